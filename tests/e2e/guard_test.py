#!/usr/bin/env python3
"""Not one key into the wrong window, with the real kelpo binary and real keystrokes.
Thefts: Auto Insert runs again and again while a window the window manager does not manage
takes the keyboard focus at a random moment. The manager's active window lags such a
theft (or never follows it), so only a check of the real focus before each key keeps the
keys out; the count of keys that reached the thief must be 0.
Refusals: a clip clicked while the target is no valid window (it vanished, or it is marked
as the desktop) types nothing anywhere, even where a form of ours holds the keyboard; each
refusal is followed by a clip that must arrive, so the program is known to type at all.
Run by run-in-x.sh."""
import os
import random
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kelpo_e2e import (HELPERS, DataFolder, Failure, FormTarget, Kelpo, active_window,  # noqa: E402
                       check, main_guard, open_entry_for, run, wait_for, xdo)

RUNS = 60
# A password long enough that most thefts land in the middle of a clip.
PASSWORD = "correct horse battery staple 42"
EMPTY = {"user": "", "password": "", "notes": ""}


class Thief:
    def __init__(self):
        self.proc = subprocess.Popen([HELPERS + "/focusthief"], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, text=True)
        self.window = int(self.ask("").split()[1])  # "ready <window id>"

    def ask(self, command):
        if command:
            self.proc.stdin.write(command + "\n")
            self.proc.stdin.flush()
        return self.proc.stdout.readline()

    def stop(self):
        self.proc.stdin.close()
        self.proc.wait(5)


def thefts(kelpo, form):
    thief = Thief()
    rng = random.Random(os.environ.get("KELPO_SEED") or None)
    stolen_keys = 0
    interrupted = 0
    try:
        # The thefts fall anywhere in the time a whole run takes here (the sender's speed
        # and the machine's load both change it), from before the first key to after the last.
        # The median of three whole runs: one slow first run must not spread the thefts
        # so wide that most of them fall after the last key.
        times = []
        for _ in range(3):
            form.click_field("user")
            submitted = form.state()["submitted"]
            start = time.monotonic()
            kelpo.click_insertion("AutoBtn")
            form.wait(lambda s: s["submitted"] == submitted + 1, "a whole run before the thefts")
            times.append(time.monotonic() - start)
        window_ms = max(20, int(sorted(times)[1] * 1000))
        for run in range(RUNS):
            form.click_field("user")
            submitted = form.state()["submitted"]
            # The thief starts counting down before the click, so the theft can come
            # anywhere from before the first key to after the last one.
            thief.proc.stdin.write("steal %d\n" % rng.randint(0, window_ms))
            thief.proc.stdin.flush()
            kelpo.click_insertion("AutoBtn")
            check(thief.proc.stdout.readline().strip() == "stolen", "the thief did not answer")
            # Whatever the run still sends after the theft arrives within this pause.
            time.sleep(0.3)
            keys = int(thief.ask("count").split()[1])
            stolen_keys += keys
            if form.state()["submitted"] == submitted:
                interrupted += 1
            check(keys == 0, "run %d: %d keys reached the thief" % (run, keys))
        print("focus thief: %d runs, thefts within %d ms, %d interrupted by the theft, "
              "%d keys reached the thief" % (RUNS, window_ms, interrupted, stolen_keys))
        # The theft must have hit runs under way, else nothing was tried.
        check(interrupted >= RUNS // 10, "only %d runs were under way at the theft" % interrupted)

        # The program still types once the focus is back.
        form.click_field("user")
        submitted = form.state()["submitted"]
        kelpo.click_insertion("AutoBtn")
        s = form.wait(lambda s: s["submitted"] == submitted + 1, "a whole run after the thefts")
        check(s["last"]["password"] == PASSWORD, "the last run typed %r" % s["last"])
    finally:
        thief.stop()


def fields(form):
    return {k: form.state().get(k) for k in EMPTY}


def second_form(forms, data, name):
    os.mkdir(os.path.join(data.path, name))
    forms.append(FormTarget(os.path.join(data.path, name)))
    return forms[-1]


# The main window's one-second tick is the latest the program takes a new foreground
# window as its target, or has handled a click; neither can be seen from outside.
def let_program_settle():
    time.sleep(1.2)


def refusals(kelpo, data, forms):
    first = forms[0]

    # (a) The target vanishes. The form that then holds the keyboard is one the window
    # manager does not manage, so it never becomes the program's foreground window and
    # the vanished one stays the target. It was started before the target closed: a
    # new window could otherwise be given the vanished one's id.
    loose = second_form(forms, data, "loose")
    xdo("windowunmap", "--sync", loose.window)
    xdo("set_window", "--overrideredirect", "1", loose.window)
    xdo("windowmap", "--sync", loose.window)
    xdo("windowactivate", "--sync", first.window)
    let_program_settle()
    first.stop()
    wait_for(lambda: not run("xwininfo", "-id", first.window, check=False), "the target to close")
    xdo("windowfocus", "--sync", loose.window)
    loose.wait(lambda s: s["focus"] == "user", "the loose form to hold the keyboard")
    kelpo.click_insertion("Names_0")
    let_program_settle()

    # A form the program can target takes the next clip.
    other = second_form(forms, data, "other")
    wait_for(lambda: active_window() == other.window, "the second form in front")
    let_program_settle()
    kelpo.click_insertion("Names_1")
    other.wait(lambda s: s["user"] == PASSWORD and s["focus"] == "password",
               "the clip in the second form")

    # (b) The last foreign window is marked as the desktop: nothing is typed into it.
    run("xprop", "-id", other.window, "-f", "_NET_WM_WINDOW_TYPE", "32a", "-set",
        "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DESKTOP")
    check(active_window() == other.window, "the desktop-marked form lost the keyboard")
    let_program_settle()
    kelpo.click_insertion("Names_0")
    let_program_settle()
    # Without the mark the same window takes the clip again.
    run("xprop", "-id", other.window, "-remove", "_NET_WM_WINDOW_TYPE")
    kelpo.click_insertion("Names_1")
    other.wait(lambda s: s["password"] == PASSWORD and s["focus"] == "notes",
               "the clip once the desktop mark is gone")
    check(fields(other) == {"user": PASSWORD, "password": PASSWORD, "notes": ""},
          "the second form holds %r" % fields(other))
    check(fields(loose) == EMPTY, "a refused clip went to the loose form: %r" % fields(loose))
    check(kelpo.proc.poll() is None, "kelpo ended")


def main():
    data = DataFolder("Example Bank", ["jane.doe", PASSWORD, "{Enter}"])
    forms = [FormTarget(data.path)]
    kelpo = Kelpo(data)
    try:
        open_entry_for(kelpo, forms[0])
        thefts(kelpo, forms[0])
        refusals(kelpo, data, forms)
        check(kelpo.proc.poll() is None, "kelpo ended")
    except Failure:
        print("forms: %r\nkelpo said:\n%s" % ([f.state() for f in forms], kelpo.errors()))
        raise
    finally:
        for form in forms:
            if form.proc.poll() is None:
                form.stop()
        kelpo.stop()


if __name__ == "__main__":
    main_guard(main)

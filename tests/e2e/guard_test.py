#!/usr/bin/env python3
# Not one key into the wrong window, with the real kelpo binary and real keystrokes.
# Thefts: Auto Insert runs again and again while a form the window manager does not manage
# takes the keyboard focus at a random moment. The manager's active window lags such a
# theft (or never follows it), so only a check of the real focus before each key keeps the
# keys out; not one key press may reach the thief (Tab and lone modifiers counted too).
# Refusals: a clip clicked while the target is no valid window (it vanished, or it is marked
# as the desktop) types nothing anywhere, even where the unmanaged form holds the keyboard;
# each refusal is followed by a clip that must arrive, so the program is known to type at all.
# Run by run-in-x.sh.
import os
import random
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kelpo_e2e import (DataFolder, Failure, FormTarget, Kelpo, active_window, check,  # noqa: E402
                       main_guard, open_entry_for, run, wait_for, xdo)

RUNS = 60
# A password long enough that most thefts land in the middle of a clip.
PASSWORD = "correct horse battery staple 42"
EMPTY = {"user": "", "password": "", "notes": "", "submitted": 0}


def fields(form):
    return {k: form.state().get(k) for k in EMPTY}


def untouched(form):  # not one key press, seen or not
    return form.state().get("keys") == 0 and fields(form) == EMPTY


def new_form(forms, data, name):
    os.mkdir(os.path.join(data.path, name))
    forms.append(FormTarget(os.path.join(data.path, name)))
    return forms[-1]


# The main window's one-second tick is the latest the program takes a new foreground
# window as its target, or has handled a click; neither can be seen from outside.
def let_program_settle():
    time.sleep(1.2)


# Auto Insert from the user field; returns the time until the form was submitted.
def log_in(kelpo, form, theft=None):
    form.click_field("user")
    submitted = form.state()["submitted"]
    start = time.monotonic()
    if theft:
        theft.start()  # counting down before the click: before the first key to after the last
    kelpo.click_insertion("AutoBtn")
    if theft:
        theft.join()
        time.sleep(0.3)  # what the run still sends after the theft arrives within this pause
        return form.state()["submitted"] == submitted
    form.wait(lambda s: s["submitted"] == submitted + 1, "a whole log-in")
    return time.monotonic() - start


def thefts(kelpo, form, thief):
    rng = random.Random(os.environ.get("KELPO_SEED") or None)
    # The thefts fall anywhere in the time a whole run takes here (the sender's speed and
    # the machine's load both change it): the median of three, as one slow first run must
    # not spread them so wide that most fall after the last key.
    span = max(0.02, sorted(log_in(kelpo, form) for _ in range(3))[1])
    interrupted = 0
    for n in range(RUNS):
        theft = threading.Timer(rng.uniform(0, span), xdo, ("windowfocus", "--sync", thief.window))
        interrupted += log_in(kelpo, form, theft)
        check(untouched(thief), "run %d: keys reached the thief: %r" % (n, thief.state()))
    print("focus thief: %d runs, thefts within %d ms, %d interrupted by the theft, "
          "%d keys reached the thief" % (RUNS, span * 1000, interrupted, thief.state()["keys"]))
    # The theft must have hit runs under way, else nothing was tried.
    check(interrupted >= RUNS // 10, "only %d runs were under way at the theft" % interrupted)
    log_in(kelpo, form)
    check(form.state()["last"]["password"] == PASSWORD, "the run after the thefts typed wrong")


def refusals(kelpo, data, forms, thief):
    first = forms[0]
    # (a) The target vanishes. The thief, which then holds the keyboard, never becomes the
    # program's foreground window, so the vanished one stays the target. It was started
    # before the target closed: a new window could otherwise be given the vanished one's id.
    xdo("windowactivate", "--sync", first.window)
    let_program_settle()
    first.stop()
    wait_for(lambda: not run("xwininfo", "-id", first.window, check=False), "the target to close")
    xdo("windowfocus", "--sync", thief.window)
    thief.wait(lambda s: s["focus"] == "user", "the thief to hold the keyboard")
    kelpo.click_insertion("Names_0")
    let_program_settle()

    # A form the program can target takes the next clip.
    other = new_form(forms, data, "other")
    wait_for(lambda: active_window() == other.window, "the second form in front")
    let_program_settle()
    kelpo.click_insertion("Names_1")
    other.wait(lambda s: s["user"] == PASSWORD and s["focus"] == "password", "the clip")

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
    check(fields(other) == dict(EMPTY, user=PASSWORD, password=PASSWORD),
          "the second form holds %r" % fields(other))
    check(untouched(thief), "a refused clip went to the thief: %r" % thief.state())


def main():
    data = DataFolder("Example Bank", ["jane.doe", PASSWORD, "{Enter}"])
    forms = [FormTarget(data.path)]
    # Unmanaged and out of the way, made before the program looks for a target.
    thief = new_form(forms, data, "thief")
    xdo("windowunmap", "--sync", thief.window)
    xdo("set_window", "--overrideredirect", "1", thief.window)
    xdo("windowmove", thief.window, 10, 10)
    xdo("windowmap", "--sync", thief.window)
    kelpo = Kelpo(data)
    try:
        open_entry_for(kelpo, forms[0])
        thefts(kelpo, forms[0], thief)
        refusals(kelpo, data, forms, thief)
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

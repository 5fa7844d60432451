#!/usr/bin/env python3
# Kelpo typing on a Wayland compositor (the private headless sway of run-in-sway.sh), into
# our log-in form as a native Wayland window:
#  - the key sender alone: every Windows-1252 character (the notation's own characters
#    among them) and 200 ASCII characters, each exact;
#  - the real program, clicked with the virtual pointer: the Auto Insert log-in with the
#    hidden password, the 200-character clip, the command clips;
#  - focus thieves: Auto Insert again and again while another window is activated at a random
#    moment, by the compositor's command or by a new window that opens and takes the focus;
#    not one key press may reach the thief, and the activation stays with it;
#  - a send killed at a random moment leaves no key pressed: the target's text is a prefix of
#    what was sent and does not grow afterwards (a held key would repeat).
import os
import random
import signal
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browser_e2e import ASCII_200, WINDOWS_1252  # noqa: E402
from kelpo_e2e import DataFolder, Failure, Kelpo, check, main_guard, run, wait_for  # noqa: E402
from wayland_e2e import (HELPERS, WaylandFormTarget, click_in, client_origin, focus,  # noqa: E402
                         focused_window, place, view, visible_window)

# Long enough that a theft after the first key falls while the run still types.
PASSWORD = "Pa55+%^~(){}word " + "correct horse battery staple " * 6  # a clip holds 200
CLIPS = ["jane.doe", PASSWORD, "{Enter}", "{Stop Auto}", ASCII_200, "{Tab}{02}", "{Shift+Tab}"]
RUNS = 30
AUTO_RUNS = 16
EMPTY = {"user": "", "password": "", "notes": "", "submitted": 0}


def escaped(text):
    return "".join("{%s}" % c if c in "+^%~(){}" else c for c in text)


def sendkeys(keys):
    out = run(HELPERS + "/sendkeys", keys).split()
    check(out == ["sending", "Ok"], "sendkeys said %r" % out)


# The program on Wayland: its windows from the compositor's tree, clicked with the
# virtual pointer.
class WaylandKelpo(Kelpo):
    find_window = staticmethod(visible_window)
    click = staticmethod(click_in)


def let_program_settle():
    time.sleep(1.2)  # the main window's one-second tick takes the new target


def open_entry_for(kelpo, form):
    focus(form.window)
    let_program_settle()
    kelpo.click_name(0)
    window = wait_for(kelpo.insertion_window, "the insertion window")
    # Out of the way of the form and the main window.
    origin = (1280 - view(window)["rect"]["width"], 0)
    place(window, *origin)
    wait_for(lambda: client_origin(window) == origin, "the insertion window in place")
    # sway's tree shows a move at once, but pointer input follows it only once the change
    # is carried out, which waits up to 200 ms for a newly shown window to settle.
    time.sleep(0.3)
    wait_for(lambda: focused_window() == form.window, "the form to be active again")
    form.wait(lambda s: s["focus"] != "", "the form's field to have the keyboard")


def by_the_sender(form):
    for text in (WINDOWS_1252, ASCII_200):
        form.click_field("notes")
        sendkeys("^a{DEL}")
        form.wait(lambda s: s["notes"] == "", "the notes emptied")
        sendkeys(escaped(text))
        form.wait(lambda s: s["notes"] == text, "%d characters by the sender" % len(text))
    form.click_field("notes")
    sendkeys("^a{DEL}")


def through_the_program(kelpo, form):
    form.click_field("user")
    submitted = form.state()["submitted"]
    kelpo.click_insertion("AutoBtn")
    s = form.wait(lambda s: s["submitted"] == submitted + 1, "the Auto Insert log-in")
    check(s["last"] == {"user": "jane.doe", "password": PASSWORD, "notes": ""},
          "Auto Insert typed %r" % s["last"])
    form.click_field("user")
    kelpo.click_insertion("Names_4")
    s = form.wait(lambda s: s["focus"] == "password", "Tab after the 200 characters")
    check(s["user"] == ASCII_200, "the 200-character clip arrived as %r" % s["user"])
    form.click_field("user")
    kelpo.click_insertion("Names_5")
    form.wait(lambda s: s["focus"] == "notes", "{Tab}{02} from the user field")
    kelpo.click_insertion("Names_6")
    form.wait(lambda s: s["focus"] == "password", "{Shift+Tab}")
    check(focused_window() == form.window, "the form lost the activation")


def untouched(thief):
    s = thief.state()
    return s.get("keys") == 0 and {k: s.get(k) for k in EMPTY} == EMPTY


def log_in(kelpo, form, steal=None, delay=0):
    focus(form.window)
    form.click_field("user")
    before = form.state()
    start = time.monotonic()
    theft = None
    if steal:
        # A window activated before the run starts is the program's new target by right;
        # the theft falls while the run types: after the form's first key.
        def after_first_key():
            deadline = time.monotonic() + 10
            while form.state().get("keys", 0) == before["keys"]:
                if time.monotonic() > deadline:
                    return  # the run did not start, which the caller sees
                time.sleep(0.001)  # a whole run takes only milliseconds
            time.sleep(delay)
            steal()
        theft = threading.Thread(target=after_first_key)
        theft.start()
    kelpo.click_insertion("AutoBtn")
    if theft:
        theft.join()
        time.sleep(0.3)
        return form.state()["submitted"] == before["submitted"]
    form.wait(lambda s: s["submitted"] == before["submitted"] + 1, "a whole log-in")
    return time.monotonic() - start


def thefts_from_the_sender(form, thief, rng):
    # Each send starts as sendkeys says "sending"; the thefts fall anywhere in the time a
    # whole send takes (the median of three).
    text = ASCII_200 * 5

    def send(steal=None, delay=0):
        form.click_field("notes")
        sendkeys("^a{DEL}")
        form.wait(lambda s: s["notes"] == "", "the notes emptied")
        sender = subprocess.Popen([HELPERS + "/sendkeys", escaped(text)], stdout=subprocess.PIPE,
                                  text=True)
        sender.stdout.readline()
        start = time.monotonic()
        if steal:
            time.sleep(delay)
            steal()
        result = sender.stdout.read().split()
        sender.wait()
        return result, time.monotonic() - start

    span = sorted(send()[1] for _ in range(3))[1]
    interrupted = 0
    for n in range(RUNS):
        result, _ = send(lambda: focus(thief.window), rng.uniform(0, span))
        check(result in (["Ok"], ["FocusLost"]), "run %d: the sender said %r" % (n, result))
        check(untouched(thief), "run %d: keys reached the thief: %r" % (n, thief.state()))
        notes = form.wait(lambda s: text.startswith(s["notes"]), "the text so far")["notes"]
        if result == ["FocusLost"]:
            interrupted += 1
            check(focused_window() == thief.window, "run %d: the thief lost the activation" % n)
        focus(form.window)
    print("sender thefts: %d runs of %d characters, thefts within %d ms, %d interrupted, "
          "0 keys reached the thief" % (RUNS, len(text), span * 1000, interrupted))
    check(interrupted >= RUNS // 4, "only %d sends were under way at the theft" % interrupted)
    form.click_field("notes")
    sendkeys("^a{DEL}")


def thefts(kelpo, form, workdir):
    rng = random.Random(os.environ.get("KELPO_SEED") or None)
    thief = WaylandFormTarget(workdir, "thief")
    place(thief.window, 700, 700)
    focus(form.window)
    thefts_from_the_sender(form, thief, rng)
    # Auto Insert, with a theft soon after the form took its first key.
    interrupted = 0
    for n in range(AUTO_RUNS):
        stopped = log_in(kelpo, form, lambda: focus(thief.window), rng.uniform(0, 0.005))
        interrupted += stopped
        check(untouched(thief), "Auto Insert %d: keys reached the thief: %r" % (n, thief.state()))
        if stopped:
            wait_for(lambda: focused_window() == thief.window,
                     "Auto Insert %d: the thief to keep the activation" % n,
                     lambda: "; %r has it" % (view(focused_window()) or {}).get("name"))
    # New windows take the focus as they open.
    for n in range(3):
        opened = []
        interrupted += log_in(kelpo, form, lambda: opened.append(
            WaylandFormTarget(workdir, "new%d" % n)), 0)
        check(opened, "the log-in did not start: the form holds %r, the thief %r"
              % (form.state(), thief.state()))
        check(untouched(opened[0]), "a new window got keys: %r" % opened[0].state())
        opened[0].stop()
    print("Auto Insert thefts: %d runs, %d interrupted, 0 keys reached the thieves"
          % (AUTO_RUNS + 3, interrupted))
    check(interrupted >= 1, "no log-in was under way at a theft")
    thief.stop()
    log_in(kelpo, form)
    check(form.state()["last"]["password"] == PASSWORD, "the run after the thefts typed wrong")


def killed_sends(form):
    rng = random.Random(os.environ.get("KELPO_SEED") or None)
    text = ASCII_200 * 10
    for n in range(5):
        form.click_field("notes")
        sendkeys("^a{DEL}")
        form.wait(lambda s: s["notes"] == "", "the notes emptied")
        sender = subprocess.Popen([HELPERS + "/sendkeys", escaped(text)], stdout=subprocess.PIPE)
        sender.stdout.readline()  # "sending"
        time.sleep(rng.uniform(0.005, 0.06))
        sender.send_signal(signal.SIGKILL)
        sender.wait()
        # What was sent before the kill still comes in; a key left pressed would repeat
        # for as long as it is held, so the text would never settle.
        seen = [None, time.monotonic()]

        def settled():
            notes = form.state()["notes"]
            if notes != seen[0]:
                seen[:] = [notes, time.monotonic()]
            return time.monotonic() - seen[1] > 1.0  # past the repeat delay
        wait_for(settled, "kill %d: the text to settle" % n, lambda: ": %r" % seen[0][-40:])
        check(text.startswith(seen[0]), "kill %d: the form holds %r" % (n, seen[0][-40:]))
    sendkeys("^a{DEL}")
    form.wait(lambda s: s["notes"] == "", "the notes emptied")


def main():
    workdir = tempfile.mkdtemp(prefix="kelpo-wl-")
    data = DataFolder("Example Bank", CLIPS, hidden=(1,))
    form = WaylandFormTarget(workdir)
    kelpo = None
    try:
        place(form.window, 760, 560)
        wait_for(lambda: focused_window() == form.window, "the form in front")
        by_the_sender(form)
        killed_sends(form)
        kelpo = WaylandKelpo(data)
        place(kelpo.main, 0, 0)
        open_entry_for(kelpo, form)
        through_the_program(kelpo, form)
        thefts(kelpo, form, workdir)
        check(kelpo.proc.poll() is None, "kelpo ended")
    except Failure:
        print("form: %r" % form.state())
        if kelpo:
            print("kelpo said:\n" + kelpo.errors())
        raise
    finally:
        form.stop()
        if kelpo:
            kelpo.stop()


if __name__ == "__main__":
    main_guard(main)

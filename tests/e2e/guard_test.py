#!/usr/bin/env python3
"""The target guard end to end: with the real kelpo binary and real keystrokes, a clip
clicked while the target is no valid window types nothing anywhere, even where a form of
ours holds the keyboard. Each refusal is followed by a clip that must arrive, so the
program is known to type at all. Run by run-in-x.sh."""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kelpo_e2e import (DataFolder, Failure, FormTarget, Kelpo, active_window, check,  # noqa: E402
                       main_guard, open_entry_for, run, wait_for, xdo)

# Neighbouring clicks go to different rows: xdotool's synchronous move to the place the
# pointer already is waits for a motion that never comes.
CLIPS = ["jane.doe", "s3cret"]
EMPTY = {"user": "", "password": "", "notes": ""}


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


def main():
    data = DataFolder("Example Bank", CLIPS)
    first = FormTarget(data.path)
    kelpo = Kelpo(data)
    forms = [first]
    try:
        open_entry_for(kelpo, first)

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
        other.wait(lambda s: s["user"] == "s3cret" and s["focus"] == "password",
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
        other.wait(lambda s: s["password"] == "s3cret" and s["focus"] == "notes",
                       "the clip once the desktop mark is gone")
        check(fields(other) == {"user": "s3cret", "password": "s3cret", "notes": ""},
              "the second form holds %r" % fields(other))
        check(fields(loose) == EMPTY, "a refused clip went to the loose form: %r" % fields(loose))
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

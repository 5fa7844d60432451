#!/usr/bin/env python3
# Chromium and Firefox ESR as native Wayland clients of the private sway, showing our log-in
# page (a window of the compositor's own shell, not through an X server), each typed into:
#  - by the key sender itself: every Windows-1252 character, the notation's own characters
#    typed literally, exact;
#  - through the real program, clicked with the virtual pointer: the Auto Insert log-in with
#    the hidden password, the 200-character clip, and the {Tab}{02} and {Shift+Tab} commands,
#    the browser keeping the activation throughout.
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browser_e2e import WINDOWS_1252, BrowserTarget  # noqa: E402
from kelpo_e2e import DataFolder, Failure, check, main_guard  # noqa: E402
from wayland_e2e import place, view  # noqa: E402
from wlkelpo_test import (CLIPS, WaylandKelpo, escaped, open_entry_for,  # noqa: E402
                          sendkeys, through_the_program)


def typed_into(name):
    browser = BrowserTarget(name, wayland=True)
    kelpo = None
    try:
        check(view(browser.window)["shell"] == "xdg_shell", name + " is no native window")
        browser.clear("notes")
        sendkeys(escaped(WINDOWS_1252))
        browser.wait(lambda s: s["notes"] == WINDOWS_1252, "every character in " + name)
        browser.clear("user")

        data = DataFolder("Example Bank", CLIPS, hidden=(1,))
        kelpo = WaylandKelpo(data)
        place(kelpo.main, 0, 0)
        # Below the main window and left of where the insertion window goes.
        place(browser.window, 0, 540)
        open_entry_for(kelpo, browser)
        through_the_program(kelpo, browser)
        check(kelpo.proc.poll() is None, "kelpo ended")
    except Failure:
        print("page state: %r%s" % (browser.state(), browser.log_tail()))
        if kelpo:
            print("kelpo said:\n" + kelpo.errors())
        raise
    finally:
        if kelpo:
            kelpo.stop()
        browser.stop()


def main():
    for name in ("chromium", "firefox"):
        typed_into(name)


if __name__ == "__main__":
    main_guard(main)

#!/usr/bin/env python3
# Chromium and Firefox ESR as native Wayland clients of the private sway, each showing the
# log-in page: a window of the compositor's own shell (not through an X server), placed and
# sized where the typing tests want it, the page's user field focused, and the page seeing
# the focus leave for another window and come back by the compositor's command.
import os
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browser_e2e import BrowserTarget  # noqa: E402
from kelpo_e2e import Failure, check, main_guard, wait_for  # noqa: E402
from wayland_e2e import WaylandFormTarget, focus, focused_window, view  # noqa: E402


def native_window_takes_and_gives_focus(name, workdir):
    browser = BrowserTarget(name, wayland=True)
    form = None
    try:
        v = view(browser.window)
        check(v["shell"] == "xdg_shell", "%s runs as a %s window" % (name, v["shell"]))
        wait_for(lambda: (lambda r: (r["x"], r["y"], r["width"], r["height"]))(
            view(browser.window)["rect"]) == (520, 300, 720, 560), name + " at its place",
            lambda: ", it is at %r" % view(browser.window)["rect"])
        check(browser.state()["focusLost"] == 0, "the page lost the focus at its start")

        form = WaylandFormTarget(workdir, name)
        wait_for(lambda: focused_window() == form.window, "the form to take the focus")
        browser.wait(lambda s: s["focusLost"] == 1 and s["focus"] == "",
                     "the page to see the focus go")
        focus(browser.window)
        browser.wait(lambda s: s["focus"] == "user", "the page's field to have it back")
        check(browser.state()["focusLost"] == 1, "the page lost the focus twice")
        form.wait(lambda s: s["focus"] == "", "the form to lose the focus")
    except Failure:
        print("page state: %r%s" % (browser.state(), browser.log_tail()))
        raise
    finally:
        if form:
            form.stop()
        browser.stop()


def main():
    workdir = tempfile.mkdtemp(prefix="kelpo-wl-")
    for name in ("chromium", "firefox"):
        native_window_takes_and_gives_focus(name, workdir)


if __name__ == "__main__":
    main_guard(main)

#!/usr/bin/env python3
# The Wayland harness on its own, with two log-in forms as native Wayland windows: the
# compositor's tree finds them and their places, real clicks through the virtual pointer
# land on the field they aim at, focus moves by the compositor's command and by the pointer
# alone, and the pointer helper refuses what it cannot do.
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kelpo_e2e import check, main_guard, wait_for  # noqa: E402
from wayland_e2e import (HELPERS, WaylandFormTarget, client_origin, click_in,  # noqa: E402
                         focus, focused_window, move_in, place, swaymsg, view, visible_window)


def pointer_refuses(*args):
    done = subprocess.run([os.path.join(HELPERS, "wlpointer"), *args], capture_output=True,
                          text=True)
    check(done.returncode != 0 and done.stderr.strip(),
          "wlpointer %s gave %d, %r" % (" ".join(args), done.returncode, done.stderr))
    return done.stderr


def main():
    workdir = tempfile.mkdtemp(prefix="kelpo-wl-")
    first = WaylandFormTarget(workdir, "first")
    second = None
    try:
        v = view(first.window)
        check(v["shell"] == "xdg_shell" and v["type"] == "floating_con",
              "the form is a %s %s, not a floating native window" % (v["type"], v["shell"]))
        check(visible_window("Form Target") == first.window, "the title finds another window")
        wait_for(lambda: focused_window() == first.window, "the new window to have the focus")

        # Clicks land where they aim, with the button asked for (as Qt numbers them); the
        # right one presses no push button.
        first.click_field("password")
        for field, button, seen in (("notes", 2, 4), ("submit", 3, 2), ("user", 1, 1)):
            click_in(first.window, first.places[field], button)
            first.wait(lambda s: s["focus"] == field and s["button"] == seen,
                       "button %d in %s" % (button, field))
        check(first.state()["submitted"] == 0, "the right button submitted the form")

        second = WaylandFormTarget(workdir, "second")
        place(first.window, 700, 500)
        place(second.window, 30, 40)
        for form, origin in ((first, (700, 500)), (second, (30, 40))):
            wait_for(lambda: client_origin(form.window) == origin, "the window at %r" % (origin,),
                     lambda: ", it is at %r" % (client_origin(form.window),))

        second.click_field("password")
        check(focused_window() == second.window, "the clicked window has no focus")
        first.wait(lambda s: s["focus"] == "", "the first form to lose the focus")

        focus(first.window)
        first.wait(lambda s: s["focus"] == "user", "the first form to have its field back")
        check(focused_window() == first.window, "focus() gave the focus elsewhere")

        # A bare move shows only where the focus follows the pointer: over the focused form
        # nothing changes, over the other one it takes the focus.
        swaymsg("focus_follows_mouse", "yes")
        move_in(first.window, first.places["notes"])
        move_in(second.window, second.places["notes"])
        wait_for(lambda: focused_window() == second.window, "the focus to follow the pointer")
        second.wait(lambda s: s["focus"] == "password", "the second form's field back")
        swaymsg("focus_follows_mouse", "no")

        check("usage" in pointer_refuses("click", "10"), "a missing coordinate passed")
        check("usage" in pointer_refuses("click", "10", "x1"), "a bad coordinate passed")
        check("usage" in pointer_refuses("click", "10", "10", "4"), "button 4 passed")
        check("usage" in pointer_refuses("drag", "10", "10"), "an unknown command passed")
        check("outside" in pointer_refuses("move", "1280", "10"), "a place off the output passed")
        check("outside" in pointer_refuses("click", "10", "-1"), "a place off the output passed")
        check(second.state()["keys"] == 0 and first.state()["keys"] == 0, "a click typed a key")
        for form in (first, second):
            check(form.proc.poll() is None, "a form ended")
    finally:
        for form in (first, second):
            if form:
                form.stop()


if __name__ == "__main__":
    main_guard(main)

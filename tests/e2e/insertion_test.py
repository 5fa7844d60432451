#!/usr/bin/env python3
"""The insertion window end to end: the real kelpo binary over a prepared data folder, the
entry opened by a real click on its name, clips typed with real keystrokes into a log-in
form of ours that keeps the keyboard focus throughout. Run by run-in-x.sh."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kelpo_e2e import (DataFolder, Failure, FormTarget, Kelpo, active_window, check,  # noqa: E402
                       main_guard, open_entry_for)

LATIN = "Zoë Ærøskøbing ßñé €‰"
SPECIAL = "Pa55+word%^~(x){y}"
CLIPS = [
    "jane.doe",       # 0
    "s3cret",         # 1, hidden
    "{Enter}",        # 2
    "{Stop Auto}",    # 3
    "alpha",          # 4
    "beta",           # 5
    SPECIAL,          # 6, hidden
    LATIN,            # 7
    "{Shift+Tab}",    # 8
    "{Tab}{02}",      # 9
]


def main():
    data = DataFolder("Example Bank", CLIPS, hidden=(1, 6))
    form = FormTarget(data.path)
    kelpo = Kelpo(data)
    try:
        open_entry_for(kelpo, form)
        lost = form.state()["focusLost"]

        def keeps_focus(step):
            check(active_window() == form.window, step + ": the form lost the keyboard")
            check(form.state()["focusLost"] == lost, step + ": the form lost the focus")

        # Auto Insert: user, password (hidden), Enter; the clips after {Stop Auto} stay out.
        kelpo.click_insertion("AutoBtn")
        s = form.wait(lambda s: s["submitted"] == 1, "the Auto Insert log-in")
        check(s["last"] == {"user": "jane.doe", "password": "s3cret", "notes": ""},
              "Auto Insert typed %r" % s["last"])
        keeps_focus("Auto Insert")

        # A left click overwrites the field and moves on; Latin-1 and Windows characters.
        form.click_field("user")
        kelpo.click_insertion("Names_0")
        form.wait(lambda s: s["user"] == "jane.doe" and s["focus"] == "password", "user")
        form.click_field("user")
        kelpo.click_insertion("Names_7")
        s = form.wait(lambda s: s["focus"] == "password", "Tab after the Latin-1 clip")
        check(s["user"] == LATIN, "overwrite typed %r" % s["user"])
        # A hidden clip (stars on its row) types its real text, special characters literally.
        kelpo.click_insertion("Names_6")
        s = form.wait(lambda s: s["focus"] == "notes", "Tab after the hidden clip")
        check(s["password"] == SPECIAL, "hidden clip typed %r" % s["password"])
        keeps_focus("overwrite")

        # Right clicks append, one blank between two appended clips.
        kelpo.click_insertion("Names_4", button=3)
        form.wait(lambda s: s["notes"] == "alpha", "first append")
        kelpo.click_insertion("Names_5", button=3)
        s = form.wait(lambda s: s["notes"] == "alpha beta", "second append")
        check(s["focus"] == "notes", "an append must not move on")
        keeps_focus("append")

        # Commands with counts and the navigation buttons.
        form.click_field("user")
        kelpo.click_insertion("Names_9")
        form.wait(lambda s: s["focus"] == "notes", "{Tab}{02} from the user field")
        kelpo.click_insertion("Names_8")
        form.wait(lambda s: s["focus"] == "password", "{Shift+Tab}")
        kelpo.click_insertion("LeftBtn")
        form.wait(lambda s: s["focus"] == "user", "<")
        kelpo.click_insertion("RightBtn")
        form.wait(lambda s: s["focus"] == "password", ">")
        kelpo.click_insertion("ClickBtn")
        s = form.wait(lambda s: s["submitted"] == 2, "Click")
        check(s["last"] == {"user": LATIN, "password": SPECIAL, "notes": "alpha beta"},
              "the form held %r" % s["last"])
        keeps_focus("commands")

        check(kelpo.proc.poll() is None, "kelpo ended")
    except Failure:
        print("form state: %r" % form.state())
        print("active window: %d, form: %d" % (active_window(), form.window))
        print("kelpo said:\n" + kelpo.errors())
        raise
    finally:
        form.stop()
        kelpo.stop()


if __name__ == "__main__":
    main_guard(main)

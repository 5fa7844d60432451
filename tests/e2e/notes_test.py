#!/usr/bin/env python3
"""Notes and quick help under the real pointer: the real kelpo binary over a prepared data
folder. Pointing at a name shows its notes (a blank note file goes at the first look) and
changes the help panel with the control; a right click on an Edit button opens the Notes
window, and what is typed there with real keys is in the note file once Esc closes it.
Runs inside run-in-x.sh."""
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kelpo_e2e import (DataFolder, Kelpo, check, client_origin, main_guard, run,  # noqa: E402
                       visible_window, wait_for, xdo)


# The pixels of a panel of the main window around its centre `place`, as PPM bytes.
def panel(kelpo, control, half=(90, 60)):
    x, y = kelpo.places["Pages"][control]
    return run_bytes("import", "-window", str(kelpo.main), "-crop",
                     "%dx%d+%d+%d" % (2 * half[0], 2 * half[1], x - half[0], y - half[1]),
                     "ppm:-")


def run_bytes(*args):
    return subprocess.run(args, check=True, capture_output=True).stdout


# Puts the pointer on a main-window control and lets the panels redraw.
def point_at(kelpo, control):
    x, y = client_origin(kelpo.main)
    cx, cy = kelpo.places["Pages"][control]
    xdo("mousemove", "--sync", x + cx, y + cy)
    time.sleep(0.3)


def main():
    with tempfile.TemporaryDirectory() as tmp:
        data = DataFolder("Bank", ["user"], slot=0)
        lib = os.path.join(data.path, "Lib1")
        with open(os.path.join(lib, "Note0.txt"), "wb") as f:
            f.write(b"   ")
        kelpo = Kelpo(data)
        try:
            note0 = os.path.join(lib, "Note0.txt")
            point_at(kelpo, "OptionBtn")
            options_help = panel(kelpo, "HelpFrame")
            point_at(kelpo, "Pagenames_0")
            wait_for(lambda: not os.path.exists(note0), "the blank note to go")
            named_help = panel(kelpo, "HelpFrame")
            point_at(kelpo, "Pagenames_5")
            empty_help = panel(kelpo, "HelpFrame")
            check(len({options_help, named_help, empty_help}) == 3,
                  "the help panel did not follow the pointer")
            point_at(kelpo, "Pagenames_0")
            check(panel(kelpo, "HelpFrame") == named_help, "the same name gave other help")
            no_notes = panel(kelpo, "NotesText")

            # Notes written with real keys; Esc closes and saves.
            x, y = client_origin(kelpo.main)
            cx, cy = kelpo.places["Pages"]["UseBtn_0"]
            xdo("mousemove", "--sync", x + cx, y + cy, "click", 3)
            notes = wait_for(lambda: visible_window("^ Notes for Bank$"), "the Notes window")
            xdo("windowactivate", "--sync", notes)
            xdo("type", "--delay", "20", "line one")
            xdo("key", "Return")
            xdo("type", "--delay", "20", "line two")
            xdo("key", "Escape")
            wait_for(lambda: not visible_window("^ Notes for Bank$"), "the Notes window to close")
            with open(note0, "rb") as f:
                saved = f.read()
            check(saved == b"line one\r\nline two", "note file holds %r" % saved)

            # Pointing at the names again shows the notes of each.
            point_at(kelpo, "Pagenames_1")
            point_at(kelpo, "Pagenames_0")
            with_notes = panel(kelpo, "NotesText")
            check(with_notes != no_notes, "the notes panel did not show the new note")
            point_at(kelpo, "Pagenames_1")
            check(panel(kelpo, "NotesText") == no_notes, "an entry without notes shows some")
            if os.environ.get("KELPO_SHOT"):  # a picture to look at, when asked for
                run("import", "-window", "root", os.environ["KELPO_SHOT"])
        finally:
            kelpo.stop()


if __name__ == "__main__":
    main_guard(main)

#!/usr/bin/env python3
"""Trying an entry from the editor before saving it, end to end: the real kelpo binary, the
real pointer and keys, our log-in form registered as the default browser of a private
session. The password clip is corrected in the editor, Test opens the form and the
insertion window on the tested entry, Auto Insert logs in with it, the insertion window's
Edit goes back to the editor and Save writes the entry's own slot. A test followed by
Cancel leaves that slot's files as they were, byte for byte. Runs inside run-in-x.sh."""
import json
import os
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from editor_test import form_as_browser  # noqa: E402
from kelpo_e2e import (DataFolder, Failure, Kelpo, active_window, check, click_in,  # noqa: E402
                       main_guard, visible_window, wait_for, xdo)

EDITOR = r"^ Kelpo \(Edit\)$"
ADDRESS = "http://127.0.0.1:8080/login"


# The bytes that make up slot `n`'s entry: its page and hide files and its names record.
def slot_bytes(lib, n):
    names = Path(lib, "Names.dat").read_bytes()[34 * n:34 * (n + 1)]
    return Path(lib, "Page%d.dat" % n).read_bytes() + Path(lib, "Page%d.h" % n).read_bytes() + names


def main():
    with tempfile.TemporaryDirectory(prefix="kelpo-e2e-") as root:
        data = DataFolder("Bank", ["jane.doe", "wrong", "{Enter}"], url=ADDRESS, slot=0)
        lib = os.path.join(data.path, "Lib1")
        env, bin_dir = form_as_browser(root)
        kelpo = Kelpo(data, env)
        forms = []
        edit = kelpo.places["Edit"]
        try:
            def open_editor(click):
                click()
                editor = wait_for(lambda: visible_window(EDITOR), "the editor")
                wait_for(lambda: active_window() == editor, "the editor to have the keyboard")
                return editor

            def from_main():
                click_in(kelpo.main, kelpo.places["Pages"]["UseBtn_0"])

            def from_insertion():
                kelpo.click_insertion("EditBtn")

            def form_started():
                out = Path(bin_dir, "form.out")
                wait_for(lambda: out.exists() and len(out.read_text().split("\n")) > 5,
                         "the log-in form to open")
                forms.append(Path(bin_dir, "form.pid").read_text().strip())
                window = int(out.read_text().split()[1])
                out.unlink()
                return window

            original = slot_bytes(lib, 0)

            # Test, then Cancel: the slot is untouched.
            editor = open_editor(from_main)
            click_in(editor, edit["data_0"])
            xdo("key", "ctrl+a")
            xdo("type", "--delay", "15", "someone.else")
            click_in(editor, edit["TestBtn"])
            wait_for(lambda: not visible_window(EDITOR), "Test to close the editor")
            form_started()
            wait_for(kelpo.insertion_window, "the insertion window")
            check(slot_bytes(lib, 0) == original, "Test changed the slot being edited")
            editor = open_editor(from_insertion)
            click_in(editor, edit["CancelBtn"])
            wait_for(lambda: visible_window("^ Kelpo$"), "the main window back")
            check(slot_bytes(lib, 0) == original, "Cancel after a test changed the slot")
            subprocess.run(["kill", forms.pop()])  # the next Test starts a form of its own
            Path(bin_dir, "form.json").unlink(missing_ok=True)

            # Correct the password, Test with an Auto Insert log-in, then Save.
            editor = open_editor(from_main)
            click_in(editor, edit["data_1"])
            xdo("key", "ctrl+a")
            xdo("type", "--delay", "15", "s3cret")
            click_in(editor, edit["TestBtn"])
            form = form_started()  # Cancel cleared the page-loaded flag: started again
            wait_for(lambda: active_window() == form, "the form to be active")
            time.sleep(1.3)  # the main window's tick takes it as the target
            kelpo.click_insertion("AutoBtn")

            def submitted():
                try:
                    s = json.loads(Path(bin_dir, "form.json").read_text())
                    return s if s.get("submitted") else None
                except (OSError, ValueError):
                    return None
            s = wait_for(submitted, "the Auto Insert log-in")
            check(s["last"]["user"] == "jane.doe" and s["last"]["password"] == "s3cret",
                  "Auto Insert typed %r" % s["last"])
            check(slot_bytes(lib, 0) == original, "Test changed the slot being edited")

            editor = open_editor(from_insertion)
            click_in(editor, edit["SaveBtn"])
            wait_for(lambda: not visible_window(EDITOR), "Save to close the editor")
            # The slot holds what was tested, which the test slot holds too.
            check(slot_bytes(lib, 0) == slot_bytes(lib, 50), "the saved entry is not the tested one")
            check(slot_bytes(lib, 0) != original, "Save wrote nothing")
        except Failure:
            print("kelpo said:\n" + kelpo.errors())
            raise
        finally:
            for pid in forms:
                subprocess.run(["kill", pid])
            kelpo.stop()


if __name__ == "__main__":
    main_guard(main)

#!/usr/bin/env python3
"""A new user's first entry, end to end: the real kelpo binary over an empty data folder,
only the real pointer and real keys. Edit on the first slot, type the entry (name,
address, password, a user name clip, a hidden password clip, {Tab} and {Enter} from the
command buttons), choose a colour and Save; the name shows in that colour. Then the name is
clicked, the password answered, the "browser" (our log-in form, registered as the default
browser of a private session) opens on the address, and Auto Insert logs in.
Runs inside run-in-x.sh."""
import json
import os
import re
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kelpo_e2e import (HELPERS, Failure, Kelpo, active_window, check, click_in,  # noqa: E402
                       client_origin, main_guard, run, visible_window, wait_for, xdo)

EDITOR = r"^ Kelpo \(Edit\)$"
PROMPT = "^ Enter Password$"
ADDRESS = "http://127.0.0.1:8080/login?next=/home"


class EmptyFolder:
    def __init__(self, root):
        self.path = os.path.join(root, "data")
        os.makedirs(self.path)


# A private session whose default browser is our log-in form: it records the address it
# was started on and says where its window and fields are.
def form_as_browser(root):
    bin_dir, apps, config, empty = (os.path.join(root, d) for d in
                                    ("bin", "share/applications", "config", "empty"))
    for d in (bin_dir, apps, config, empty):
        os.makedirs(d)
    browser = os.path.join(bin_dir, "form-browser")
    Path(browser).write_text(
        '#!/bin/sh\nd=$(dirname "$0")\nprintf \'%%s\\0\' "$@" >"$d/launched.log"\n'
        'echo $$ >"$d/form.pid"\n'
        'exec "%s/formtarget" --out "$d/form.json" >"$d/form.out"\n' % HELPERS)
    os.chmod(browser, 0o755)
    Path(apps, "formbrowser.desktop").write_text(
        "[Desktop Entry]\nType=Application\nName=Form\nExec=%s %%U\n" % browser)
    Path(config, "mimeapps.list").write_text("[Default Applications]\n" + "".join(
        "%s=formbrowser.desktop\n" % t
        for t in ("x-scheme-handler/http", "x-scheme-handler/https", "text/html")))
    env = {k: v for k, v in os.environ.items()
           if k not in ("BROWSER", "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION")}
    env.update(HOME=root, XDG_DATA_HOME=os.path.join(root, "share"), XDG_CONFIG_HOME=config,
               XDG_DATA_DIRS=empty, XDG_CONFIG_DIRS=empty, PATH="/usr/bin:/bin")
    return env, bin_dir


# The colour of the screen at (x, y), as "RRGGBB".
def pixel(x, y):
    with tempfile.NamedTemporaryFile(suffix=".png") as shot:
        run("import", "-window", "root", shot.name)
        out = run("convert", shot.name, "-crop", "1x1+%d+%d" % (x, y), "txt:-")
    return re.search(r"#([0-9A-F]{6})", out).group(1)


def type_keys(text):
    xdo("type", "--delay", "15", text)


def main():
    with tempfile.TemporaryDirectory(prefix="kelpo-e2e-") as root:
        data = EmptyFolder(root)
        env, bin_dir = form_as_browser(root)
        kelpo = Kelpo(data, env)
        form_proc_state = os.path.join(bin_dir, "form.json")
        try:
            edit = kelpo.places["Edit"]
            click_in(kelpo.main, kelpo.places["Pages"]["UseBtn_0"])
            editor = wait_for(lambda: visible_window(EDITOR), "the editor")
            wait_for(lambda: active_window() == editor, "the editor to have the keyboard")

            def click(control):
                click_in(editor, edit[control])

            type_keys("My Bank")  # the name field has the focus
            click("WebPageTitle")
            type_keys(ADDRESS)
            click("PasswordTitle")
            type_keys("Sesame")
            click("data_0")
            type_keys("jane.doe")
            xdo("key", "Return")  # on to the next row
            type_keys("s3cret")
            xdo("key", "Return")
            click("Names_1")   # Tab
            click("Names_11")  # Click
            click("HideOption_1")
            click("Clipboardcolor_9")  # red
            click("SaveBtn")
            wait_for(lambda: not visible_window(EDITOR), "the editor to close")
            wait_for(lambda: visible_window("^ Kelpo$"), "the main window back")

            names = Path(data.path, "Lib1", "Names.dat").read_bytes()
            check(names[:34] == b"My Bank".ljust(30) + bytes([255, 0, 0, 0]),
                  "names record %r" % names[:34])
            # The name shows on red (just right of the centre: past the text, before the
            # pointer mark).
            x, y = [a + b for a, b in zip(client_origin(kelpo.main),
                                          kelpo.places["Pages"]["Pagenames_0"])]
            wait_for(lambda: pixel(x + 10, y) == "FF0000", "the name in red",
                     lambda: ": the label shows #" + pixel(x + 10, y))

            # Using it: the name, the password, the form opens on the address, Auto Insert.
            click_in(kelpo.main, kelpo.places["Pages"]["Pagenames_0"])
            prompt = wait_for(lambda: visible_window(PROMPT), "the password prompt")
            xdo("windowactivate", "--sync", prompt)
            type_keys("sesame")
            xdo("key", "Return")
            out = os.path.join(bin_dir, "form.out")
            wait_for(lambda: os.path.exists(out) and len(Path(out).read_text().split("\n")) > 5,
                     "the log-in form to open")
            launched = Path(bin_dir, "launched.log").read_bytes().split(b"\0")[:-1]
            check(launched == [ADDRESS.encode()], "browser started with %r" % launched)
            form_window = int(Path(out).read_text().split()[1])
            wait_for(lambda: active_window() == form_window, "the form to be active")
            time.sleep(1.3)  # the main window's tick takes it as the target
            kelpo.click_insertion("AutoBtn")

            def submitted():
                try:
                    with open(form_proc_state, encoding="utf-8") as f:
                        s = json.load(f)
                    return s if s.get("submitted") == 1 else None
                except (OSError, ValueError):
                    return None
            s = wait_for(submitted, "the Auto Insert log-in")
            check(s["last"] == {"user": "jane.doe", "password": "s3cret", "notes": ""},
                  "Auto Insert typed %r" % s["last"])
        except Failure:
            print("kelpo said:\n" + kelpo.errors())
            raise
        finally:
            pid_file = os.path.join(bin_dir, "form.pid")
            if os.path.exists(pid_file):  # the form the program started for us
                subprocess.run(["kill", Path(pid_file).read_text().strip()])
            kelpo.stop()


if __name__ == "__main__":
    main_guard(main)

#!/usr/bin/env python3
# A new user's first entry, end to end: the real kelpo binary over an empty data folder,
# only the real pointer and real keys, the default browser a recording script registered
# the freedesktop way in a private session. F1 opens the help in that browser. Edit on the
# first slot, type the entry (name, an address full of shell syntax, password, a user name
# clip, a hidden password clip, {Tab} and Click from the command buttons), choose red and
# Save: the names file holds it in red. The Notes window (a right click on Edit) writes
# what is typed into the note file. Then a click on the name asks for the password, starts
# the browser on the address (one argument, never through a shell) and puts the insertion
# window with the entry's clips in place of the main window; Auto Insert logs in to our
# form. Runs inside run-in-x.sh.
import os
import sys
import tempfile
import types
import urllib.parse
from pathlib import Path

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kelpo_e2e import (KELPO_BIN, Failure, FormTarget, Kelpo, active_window, check,  # noqa: E402
                       click_in, main_guard, open_entry_for, visible_window,
                       wait_for, xdo)

EDITOR = r"^ Kelpo \(Edit\)$"
ADDRESS = "https://bank.example/log in?a=1&b='2' \"x\";touch {pwn}|$(touch {pwn}) `touch {pwn}`"
HELP = os.path.join(os.path.dirname(os.path.realpath(KELPO_BIN)), "tutorial")


# A private desktop session whose default browser records its arguments in `log`.
def session(root, log):
    apps, config, empty = (os.path.join(root, d) for d in ("data/applications", "config", "empty"))
    for d in (apps, config, empty):
        os.makedirs(d)
    browser = os.path.join(root, "fake-browser")
    Path(browser).write_text('#!/bin/sh\nprintf \'%%s\\0\' "$@" >"%s.tmp"\nmv "%s.tmp" "%s"\n'
                             % (log, log, log))
    os.chmod(browser, 0o755)
    Path(apps, "fakebrowser.desktop").write_text(
        '[Desktop Entry]\nType=Application\nName=Fake\nExec=%s "--flag=a b" %%U\n' % browser)
    Path(config, "mimeapps.list").write_text("[Default Applications]\n" + "".join(
        "%s=fakebrowser.desktop\n" % t
        for t in ("x-scheme-handler/http", "x-scheme-handler/https", "text/html")))
    # No desktop of the machine's own to ask instead.
    env = {k: v for k, v in os.environ.items()
           if "DESKTOP" not in k and k not in ("BROWSER", "KDE_FULL_SESSION")}
    return dict(env, HOME=root, XDG_DATA_HOME=os.path.join(root, "data"), XDG_CONFIG_HOME=config,
                XDG_DATA_DIRS=empty, XDG_CONFIG_DIRS=empty, PATH="/usr/bin:/bin")


# The arguments of the browser's next start.
def launched(log):
    wait_for(lambda: os.path.exists(log), "the browser to start")
    with open(log, "rb") as f:
        args = [a.decode("utf-8") for a in f.read().split(b"\0")[:-1]]
    os.remove(log)
    return args


def type_keys(text):
    xdo("type", "--delay", "15", text)


def write_entry(kelpo, address):
    edit = kelpo.places["Edit"]
    click_in(kelpo.main, kelpo.places["Pages"]["UseBtn_0"])
    editor = wait_for(lambda: visible_window(EDITOR), "the editor")
    wait_for(lambda: active_window() == editor, "the editor to have the keyboard")
    type_keys("My Bank")  # the name field has the focus
    for field, text in (("WebPageTitle", address), ("PasswordTitle", "Sesame"),
                        ("data_0", "jane.doe\r"), ("data_1", "s3cret\r")):
        click_in(editor, edit[field])
        type_keys(text)
    for control in ("Names_1", "Names_11", "HideOption_1", "Clipboardcolor_9", "SaveBtn"):
        click_in(editor, edit[control])  # Tab, Click, hide the password, red, Save
    wait_for(lambda: not visible_window(EDITOR), "the editor to close")
    wait_for(lambda: visible_window("^ Kelpo$"), "the main window back")


def main():
    with tempfile.TemporaryDirectory(prefix="kelpo-e2e-") as root:
        log = os.path.join(root, "launched.log")
        data = types.SimpleNamespace(path=os.path.join(root, "data"))
        os.makedirs(data.path)
        pwn = os.path.join(root, "pwned")
        address = ADDRESS.format(pwn=pwn)
        kelpo = Kelpo(data, session(os.path.join(root, "session"), log))
        form = FormTarget(root)
        try:
            xdo("windowactivate", "--sync", kelpo.main)
            xdo("key", "F1")
            check(launched(log) == ["--flag=a b", "file://" + urllib.parse.quote(HELP + "/1.htm")],
                  "F1 opened something else")

            write_entry(kelpo, address)
            names = Path(data.path, "Lib1", "Names.dat").read_bytes()
            check(names[:34] == b"My Bank".ljust(30) + bytes([255, 0, 0, 0]),
                  "names record %r" % names[:34])

            # Notes written with real keys; Esc closes and saves.
            click_in(kelpo.main, kelpo.places["Pages"]["UseBtn_0"], button=3)
            notes = wait_for(lambda: visible_window("^ Notes for My Bank$"), "the Notes window")
            xdo("windowactivate", "--sync", notes)
            type_keys("line one\rline two")
            xdo("key", "Escape")
            wait_for(lambda: not visible_window("^ Notes for My Bank$"), "the Notes window gone")
            saved = Path(data.path, "Lib1", "Note0.txt").read_bytes()
            check(saved == b"line one\r\nline two", "note file holds %r" % saved)

            # Using it: the name, the password, the browser on the address, Auto Insert.
            def answer_password():
                xdo("windowactivate", "--sync",
                    wait_for(lambda: visible_window("^ Enter Password$"), "the password prompt"))
                type_keys("sesame\r")  # the check ignores case
            open_entry_for(kelpo, form, 0, answer_password)
            check(launched(log) == ["--flag=a b", address], "the browser's arguments")
            check(not os.path.exists(pwn), "the address ran a command")
            check(not visible_window("^ Kelpo$"), "the main window is still shown")
            kelpo.click_insertion("AutoBtn")
            s = form.wait(lambda s: s["submitted"] == 1, "the Auto Insert log-in")
            check(s["last"] == {"user": "jane.doe", "password": "s3cret", "notes": ""},
                  "Auto Insert typed %r" % s["last"])
        except Failure:
            print("kelpo said:\n" + kelpo.errors())
            raise
        finally:
            form.stop()
            kelpo.stop()


if __name__ == "__main__":
    main_guard(main)

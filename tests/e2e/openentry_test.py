#!/usr/bin/env python3
"""Opening an entry with a real click: the real kelpo binary over a prepared data folder,
the default browser a recording script registered the freedesktop way in a private
session. A click on the name must start that browser on the entry's address (one
argument, whatever it holds, never through a shell) and put the insertion window with the
entry's clips in place of the main window; an entry with a password asks for it first.
F1 opens the help page in the same browser, and so does the insertion window's help button. Runs inside run-in-x.sh."""
import os
import sys
import tempfile
import time
import urllib.parse
from pathlib import Path

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kelpo_e2e import (KELPO_BIN, DataFolder, FormTarget, Kelpo, check, main_guard,  # noqa: E402
                       open_entry_for, visible_window, wait_for, xdo)

SLOT = 3
ADDRESS = "https://bank.example/log in?a=1&b='2' \"x\";touch {pwn}|$(touch {pwn}) `touch {pwn}`"
PROMPT = "^ Enter Password$"


# A private desktop session whose default browser records its arguments; returns the
# environment to run the program in and the file the browser writes.
def prepare_session(root):
    bin_dir, apps, config, empty = (os.path.join(root, d) for d in
                                    ("bin", "data/applications", "config", "empty"))
    for d in (bin_dir, apps, config, empty):
        os.makedirs(d)
    browser = os.path.join(bin_dir, "fake-browser")
    Path(browser).write_text('#!/bin/sh\nd=$(dirname "$0")\nprintf \'%s\\0\' "$@" >"$d/log.tmp"\n'
                             'mv "$d/log.tmp" "$d/launched.log"\n')
    os.chmod(browser, 0o755)
    Path(apps, "fakebrowser.desktop").write_text(
        '[Desktop Entry]\nType=Application\nName=Fake\nExec=%s "--flag=a b" %%U\n' % browser)
    Path(config, "mimeapps.list").write_text("[Default Applications]\n" + "".join(
        "%s=fakebrowser.desktop\n" % t
        for t in ("x-scheme-handler/http", "x-scheme-handler/https", "text/html")))
    env = {k: v for k, v in os.environ.items()
           if k not in ("BROWSER", "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION",
                        "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID")}
    env.update(HOME=root, XDG_DATA_HOME=os.path.join(root, "data"), XDG_CONFIG_HOME=config,
               XDG_DATA_DIRS=empty, XDG_CONFIG_DIRS=empty, PATH="/usr/bin:/bin")
    return env, os.path.join(bin_dir, "launched.log")


def browser_arguments(log):
    wait_for(lambda: os.path.exists(log), "the browser to start")
    with open(log, "rb") as f:
        return [a.decode("utf-8") for a in f.read().split(b"\0")[:-1]]


# Answers the password prompt with real keys: a wrong password first (the prompt must
# stay), then the right one typed in the wrong case (the check ignores case).
def answer_password(password):
    xdo("windowactivate", "--sync", wait_for(lambda: visible_window(PROMPT), "the prompt"))
    xdo("type", "--delay", "20", "not it")
    xdo("key", "Return")
    time.sleep(0.5)
    check(visible_window(PROMPT), "a wrong password closed the prompt")
    xdo("key", "ctrl+a")
    xdo("type", "--delay", "20", password.swapcase())
    xdo("key", "Return")
    wait_for(lambda: not visible_window(PROMPT), "the prompt to close")


def open_entry(tmp, password):
    pwn = os.path.join(tmp, "pwned")
    address = ADDRESS.format(pwn=pwn)
    data = DataFolder("Example Bank", ["user.name", "secret pass", "", "", "{Enter}"],
                      hidden=(1,), url=address, password=password, slot=SLOT)
    env, log = prepare_session(os.path.join(tmp, "session"))
    form = FormTarget(data.path)
    kelpo = Kelpo(data, env)
    try:
        if not password:  # F1 on the main window opens the first help page in that browser.
            xdo("windowactivate", "--sync", kelpo.main)
            xdo("key", "F1")
            page = os.path.join(os.path.dirname(os.path.realpath(KELPO_BIN)), "tutorial", "1.htm")
            check(os.path.isfile(page), "no help page at " + page)
            check(browser_arguments(log) == ["--flag=a b", "file://" + urllib.parse.quote(page)],
                  "F1 opened something else")
            os.remove(log)
        open_entry_for(kelpo, form, SLOT, lambda: password and answer_password(password))
        args = browser_arguments(log)
        check(args == ["--flag=a b", address], "browser arguments: %r" % args)
        check(not os.path.exists(pwn), "the address ran a command")
        check(not visible_window("^ Kelpo$"), "the main window is still shown")
        # The clip rows are the entry's: its first clip types into the form.
        kelpo.click_insertion("Names_0")
        form.wait(lambda s: s["user"] == "user.name", "the entry's first clip")
        if not password:  # F1 never reaches the insertion window; its "?" leads to the help.
            os.remove(log)
            kelpo.click_insertion("HelpBtn")
            page = os.path.join(os.path.dirname(os.path.realpath(KELPO_BIN)), "tutorial",
                                "clips.htm")
            check(browser_arguments(log) == ["--flag=a b", "file://" + urllib.parse.quote(page)],
                  "the insertion window's help button opened something else")
    finally:
        form.stop()
        kelpo.stop()


def main():
    for password in ("", "Open Sesame"):
        with tempfile.TemporaryDirectory() as tmp:
            open_entry(tmp, password)


if __name__ == "__main__":
    main_guard(main)

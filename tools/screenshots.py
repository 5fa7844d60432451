#!/usr/bin/env python3
"""Takes the pictures of Kelpo's windows that the help pages show. Runs inside
tests/e2e/run-in-x.sh (tools/screenshots.sh starts it), so nothing touches the user's own
display. Each picture has one function below, listed in SHOTS; a new window gets a new
function there. Each function is handed the program freshly started over the sample data
(its main window in full view), opens its window with real clicks and keys, and writes the
picture; the program is ended after it.
    screenshots.py OUTPUT_FOLDER"""
import functools
import http.server
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from kelpo_e2e import (HELPERS, FormTarget, Kelpo, active_window, check, click_in,  # noqa: E402
                       client_origin, run, visible_window, wait_for, xdo)

# The sample entries: slot, name, colour (RRGGBB, from the editor's swatches), bookmark,
# password, clips, hidden rows.
ENTRIES = [
    (0, "Webmail", "C0FFFF", "https://mail.example/signin", "",
     ["ann.smith", "correct horse", "{Click}"], [1]),
    (1, "Bank", "C0FFC0", "https://bank.example/", "1234",
     ["40118822", "{Tab}", "tulip7", "{Stop Auto}", "Rex", "Springfield"], [2]),
    (2, "Library card", "FFE0C0", "https://library.example/login", "",
     ["A-55713", "0810"], [1]),
    (3, "Electricity", "FFFFC0", "https://power.example/account", "", ["ann.smith@mail.example"], []),
    (4, "Tax office", "E0E0E0", "https://tax.example/", "", ["AS 12 34 56 C"], []),
    (5, "Photo club", "FFC0FF", "https://photos.example/", "", ["ann", "{Tab}{02}"], []),
    (6, "Insurance", "C0C0FF", "https://insure.example/", "", ["P-8802-11"], []),
    (7, "News", "FFFFFF", "https://news.example/", "", ["{Minimize}"], []),
    (25, "Work e-mail", "80FFFF", "https://work.example/mail", "", ["asmith", "lighthouse"], [1]),
    (26, "Timesheets", "80FF80", "https://work.example/hours", "", ["asmith"], []),
    (27, "Travel", "FFC080", "https://travel.example/", "", ["ann.smith", "{Tab}", "hello"], [2]),
]
MAIN = "^ Kelpo$"
SIGN_IN_PAGE = """<!DOCTYPE html><html><head><meta charset="utf-8"><title>Sign in - Webmail</title>
<style>body{font:16px sans-serif;background:#f2f4f7;margin:0}
header{background:#3b5b8c;color:#fff;padding:14px 24px;font-size:20px}
form{background:#fff;width:340px;margin:60px auto;padding:24px 28px;border-radius:8px;
box-shadow:0 1px 4px #0003}label{display:block;margin:12px 0 4px}
input{width:100%;box-sizing:border-box;padding:7px;font-size:15px}
button{margin-top:18px;padding:8px 20px;font-size:15px}</style></head>
<body><header>Webmail</header><form><h2>Sign in</h2>
<label for="u">User name</label><input id="u" autofocus>
<label for="p">Password</label><input id="p" type="password">
<button type="button">Sign in</button></form></body></html>"""


# The data folder all pictures show, written by the program's own file code.
class SampleData:
    def __init__(self, folder):
        self.path = folder
        for slot, name, color, url, password, clips, hidden in ENTRIES:
            run(HELPERS + "/makeentry", "--library", os.path.join(folder, "Lib1"), "--slot",
                slot, "--name", name, "--color", color, "--url", url, "--password", password,
                "--hidden", ",".join(map(str, hidden)), "--", *clips)


# The program over the sample data as at its first start, which opens in full view (every
# later start opens minimised).
def start_kelpo(data):
    settings = os.path.join(data.path, "Kelpo.ini")
    if os.path.exists(settings):
        os.remove(settings)
    return Kelpo(data)


# A window with the frame the window manager gives it.
def capture_window(window, path):
    run("import", "-frame", "-window", window, path)


# The part of the screen that holds all `windows`, frames included.
def capture_around(windows, path):
    boxes = []
    for window in windows:
        info = run("xwininfo", "-frame", "-id", window)
        value = lambda key: int(info.split(key + ":")[1].split()[0])
        boxes.append((value("Absolute upper-left X"), value("Absolute upper-left Y"),
                      value("Width"), value("Height")))
    left, top = min(b[0] for b in boxes), min(b[1] for b in boxes)
    right, bottom = max(b[0] + b[2] for b in boxes), max(b[1] + b[3] for b in boxes)
    run("import", "-window", "root", "-crop",
        "%dx%d+%d+%d" % (right - left, bottom - top, left, top), "+repage", path)


def settle():
    # Lets the last repaint reach the X server before the picture is taken.
    time.sleep(0.8)


# The main window, the pointer over a name so that Quick Help explains it.
def shot_main(kelpo, work, out):
    x, y = client_origin(kelpo.main)
    place = kelpo.places["Pages"]["Pagenames_1"]
    xdo("mousemove", "--sync", x + place[0], y + place[1])
    settle()
    capture_window(kelpo.main, out)


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {"": "text/html; charset=utf-8"}

    def log_message(self, *args):
        pass


# A web page to fill in: a Chromium window on a sign-in page when Chromium is there, else
# the test helpers' form window. Returns the window and what ends it.
def start_browser_page(work):
    chromium = shutil.which("chromium")
    if not chromium:
        form = FormTarget(work)
        return form.window, form.stop
    # The page comes from a server on the loopback address under the entry's host name,
    # so the address bar reads as a user would see it.
    site = os.path.join(work, "site")
    os.makedirs(site)
    with open(os.path.join(site, "signin"), "w", encoding="utf-8") as f:
        f.write(SIGN_IN_PAGE)
    handler = functools.partial(QuietHandler, directory=site)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    profile = tempfile.mkdtemp(prefix="profile-", dir=work)
    proc = subprocess.Popen(
        [chromium, "--no-sandbox", "--test-type", "--no-first-run", "--no-default-browser-check",
         "--disable-gpu", "--disable-sync", "--password-store=basic",
         "--user-data-dir=" + profile,
         "--host-resolver-rules=MAP mail.example:80 127.0.0.1:%d" % server.server_port,
         # Reaching the right edge of the screen, where the clips window stands over it.
         "--window-position=260,150", "--window-size=1020,700", "http://mail.example/signin"],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    window = wait_for(lambda: visible_window("Sign in - Webmail"), "the browser page")
    xdo("windowactivate", "--sync", window)
    time.sleep(1.5)  # the page's first paint and its focused field

    def stop():
        proc.terminate()
        proc.wait(10)
        server.shutdown()
    return window, stop


# The clips window beside the browser page, the user name already typed by a click.
def shot_insertion(kelpo, work, out):
    window, stop_browser = start_browser_page(work)
    try:
        xdo("windowactivate", "--sync", window)
        time.sleep(1.2)  # the main window's one-second tick takes the page as the target
        # The browser covers the main window; raised, not activated, it can be clicked
        # while the page stays the target. The right button shows the clips without
        # starting a browser of its own.
        xdo("windowraise", kelpo.main)
        click_in(kelpo.main, kelpo.places["Pages"]["Pagenames_0"], button=3)
        wait_for(kelpo.insertion_window, "the insertion window")
        wait_for(lambda: active_window() == window, "the page to have the keyboard back")
        kelpo.click_insertion("Names_0")
        time.sleep(1)
        xdo("mousemove", 0, 0)
        settle()
        capture_around([window, kelpo.insertion_window()], out)
    finally:
        stop_browser()


def shot_options(kelpo, work, out):
    click_in(kelpo.main, kelpo.places["Pages"]["OptionBtn"])
    options = wait_for(lambda: visible_window("^ Options$"), "the Options window")
    settle()
    capture_window(options, out)


# The prompt of an entry locked with a password, opened by a click on its name.
def shot_password(kelpo, work, out):
    click_in(kelpo.main, kelpo.places["Pages"]["Pagenames_1"])
    prompt = wait_for(lambda: visible_window("^ Enter Password$"), "the password prompt")
    xdo("windowactivate", "--sync", prompt)
    xdo("type", "1234")
    settle()
    capture_window(prompt, out)


# The Website Editor over an entry, opened with its Edit button.
def shot_editor(kelpo, work, out):
    click_in(kelpo.main, kelpo.places["Pages"]["UseBtn_0"])
    editor = wait_for(lambda: visible_window(r"^ Kelpo \(Edit\)$"), "the Website Editor")
    xdo("mousemove", 0, 0)
    settle()
    capture_window(editor, out)


# The Notes window of an entry, opened with a right click on its Edit button, a note being
# written.
def shot_notes(kelpo, work, out):
    click_in(kelpo.main, kelpo.places["Pages"]["UseBtn_2"], button=3)
    notes = wait_for(lambda: visible_window("^ Notes for Library card$"), "the Notes window")
    xdo("windowactivate", "--sync", notes)
    xdo("type", "--delay", "2", "Card renewed in March.")
    xdo("key", "Return")
    xdo("type", "--delay", "2", "PIN hint: the old door number.")
    xdo("mousemove", 0, 0)
    settle()
    capture_window(notes, out)


SHOTS = [("main", shot_main), ("insertion", shot_insertion), ("options", shot_options),
         ("password", shot_password), ("editor", shot_editor), ("notes", shot_notes)]


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    with tempfile.TemporaryDirectory(prefix="kelpo-shots-") as work:
        data = SampleData(os.path.join(work, "data"))
        # A desktop colour for any bit of screen a picture shows beside its windows.
        run("xsetroot", "-solid", "#5a6473")
        for name, shot in SHOTS:
            path = os.path.join(out, name + ".png")
            kelpo = start_kelpo(data)
            try:
                shot(kelpo, work, path)
            finally:
                kelpo.stop()
            check(os.path.getsize(path) > 0, "no picture " + path)
            print("wrote", path)


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Opening an entry with a real click: the real kelpo binary over a prepared data folder,
the default browser a recording script registered the freedesktop way in a private
session. A click on the name must start that browser on the entry's address (one
argument, whatever it holds) and put the insertion window with the clips in place of the
main window. Runs inside run-in-x.sh."""
import os
import re
import subprocess
import sys
import tempfile
import time
import urllib.parse

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
BUILD = os.environ.get("KELPO_BUILD", "")
KELPO_BIN = os.environ.get("KELPO_BIN", os.path.join(BUILD, "kelpo"))
TWIPS_PER_PIXEL = 15  # 96 logical dpi under Xvfb
ROW_TWIPS = 288  # insertion window rows

SLOT = 3
ADDRESS = "https://bank.example/log in?a=1&b='2' \"x\";touch {pwn}|$(touch {pwn}) `touch {pwn}`"
CLIPS = ["user.name", "secret pass", "", "", "{Enter}"]
HIDDEN = {1}


class Failure(Exception):
    pass


def wait_for(predicate, what, timeout=15.0):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure("timed out waiting for " + what)
        time.sleep(0.05)


# --- the data folder, written byte for byte as the program stores it -----------------

def padded(text, width):
    data = text.encode("cp1252")
    assert len(data) <= width
    return data + b" " * (width - len(data))


def scrambled(text, width):
    data = bytes(255 - b for b in text.encode("cp1252"))
    return data + b" " * (width - len(data))


def prepare_data(folder, address, password):
    lib = os.path.join(folder, "Lib1")
    os.makedirs(lib)
    names = bytearray()
    for slot in range(51):
        name = "Example Bank" if slot == SLOT else ""
        color = 0x00C0FFC0 if slot == SLOT else 0x00FFFFFF
        names += padded(name, 30) + color.to_bytes(4, "little")
    with open(os.path.join(lib, "Names.dat"), "wb") as f:
        f.write(names)
    with open(os.path.join(lib, "url.dat"), "wb") as f:
        f.write(b" " * (1000 * SLOT) + padded(address, 1000))
    page = scrambled(password, 30)
    for i in range(40):
        page += scrambled(CLIPS[i] if i < len(CLIPS) else "", 200)
    with open(os.path.join(lib, "Page%d.dat" % SLOT), "wb") as f:
        f.write(page)
    with open(os.path.join(lib, "Page%d.h" % SLOT), "wb") as f:
        f.write(b"".join((1 if i in HIDDEN else 0).to_bytes(2, "little") for i in range(40)))


# --- a private desktop session whose default browser records its arguments ----------

def prepare_session(root):
    bin_dir = os.path.join(root, "bin")
    apps = os.path.join(root, "data", "applications")
    config = os.path.join(root, "config")
    empty = os.path.join(root, "empty")
    for d in (bin_dir, apps, config, empty):
        os.makedirs(d)
    browser = os.path.join(bin_dir, "fake-browser")
    with open(browser, "w") as f:
        f.write('#!/bin/sh\nd=$(dirname "$0")\n'
                'printf \'%s\\0\' "$@" > "$d/log.tmp" && mv "$d/log.tmp" "$d/launched.log"\n')
    os.chmod(browser, 0o755)
    with open(os.path.join(apps, "fakebrowser.desktop"), "w") as f:
        f.write("[Desktop Entry]\nType=Application\nName=Fake Browser\n"
                'Exec=%s "--flag=a b" %%U\n' % browser)
    with open(os.path.join(config, "mimeapps.list"), "w") as f:
        f.write("[Default Applications]\n"
                "x-scheme-handler/http=fakebrowser.desktop\n"
                "x-scheme-handler/https=fakebrowser.desktop\n"
                "text/html=fakebrowser.desktop\n")
    env = {k: v for k, v in os.environ.items()
           if k not in ("BROWSER", "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION",
                        "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID")}
    env.update(HOME=root, XDG_DATA_HOME=os.path.join(root, "data"), XDG_CONFIG_HOME=config,
               XDG_DATA_DIRS=empty, XDG_CONFIG_DIRS=empty, PATH="/usr/bin:/bin")
    return env, os.path.join(bin_dir, "launched.log")


# --- windows ------------------------------------------------------------------------

def visible_windows(title_regex):
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title_regex],
                         capture_output=True, text=True)
    return [int(x) for x in out.stdout.split()]


def client_origin(window):
    info = subprocess.run(["xwininfo", "-id", str(window)], capture_output=True, text=True,
                          check=True).stdout
    x = int(re.search(r"Absolute upper-left X:\s+(-?\d+)", info).group(1))
    y = int(re.search(r"Absolute upper-left Y:\s+(-?\d+)", info).group(1))
    w = int(re.search(r"Width:\s+(\d+)", info).group(1))
    h = int(re.search(r"Height:\s+(\d+)", info).group(1))
    return x, y, w, h


def layout_twips(name):
    """A layout constant of the main window, from its header, so the click follows the
    layout when it changes."""
    with open(os.path.join(SOURCE, "src", "mainwindow", "Pages.h")) as f:
        text = f.read()
    return int(re.search(r"constexpr int %s = (\d+);" % name, text).group(1))


def name_centre(main):
    x, y, _, _ = client_origin(main)
    margin = layout_twips("Margin")
    top = margin + SLOT * layout_twips("RowPitch") + layout_twips("NameHeight") // 2
    left = margin + layout_twips("NameWidth") // 2
    return x + left // TWIPS_PER_PIXEL, y + top // TWIPS_PER_PIXEL


def capture(window, path):
    """The window as a grey image: (width, height, pixels)."""
    subprocess.run(["import", "-window", str(window), "-colorspace", "gray", "-depth", "8",
                    path], check=True)
    with open(path, "rb") as f:
        data = f.read()
    # Binary PGM: "P5", width, height, maximum, one whitespace, then the pixels.
    fields = re.match(rb"P5\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
    if not fields:
        raise Failure("unreadable capture of window %d" % window)
    w, h = int(fields.group(1)), int(fields.group(2))
    pixels = data[fields.end():]
    if len(pixels) < w * h:
        raise Failure("short capture of window %d" % window)
    return w, h, pixels


def text_lines(window, path):
    """The lines of dark (text) pixels in the left half of a window, top to bottom."""
    w, h, pixels = capture(window, path)
    dark = [any(b < 100 for b in pixels[r * w:r * w + w // 2]) for r in range(h)]
    return [r for r in range(h) if dark[r] and (r == 0 or not dark[r - 1])]


def type_keys(*args):
    subprocess.run(["xdotool"] + list(args), check=True)


def answer_password(wrong, right):
    """Answers the password prompt with real keys: a wrong password first (the prompt
    must stay), then the right one."""
    prompt = wait_for(lambda: visible_windows("^ Enter Password$"), "the password prompt")[0]
    type_keys("windowactivate", "--sync", str(prompt))
    type_keys("type", "--delay", "20", wrong)
    type_keys("key", "Return")
    time.sleep(0.5)
    if not visible_windows("^ Enter Password$"):
        raise Failure("a wrong password closed the prompt")
    type_keys("key", "ctrl+a")
    type_keys("type", "--delay", "20", right)
    type_keys("key", "Return")
    wait_for(lambda: not visible_windows("^ Enter Password$"), "the prompt to close")


def scenario(tmp, password):
    data = os.path.join(tmp, "data")
    os.makedirs(data)
    pwn = os.path.join(tmp, "pwned")
    address = ADDRESS.format(pwn=pwn)
    prepare_data(data, address, password)
    env, log = prepare_session(os.path.join(tmp, "session"))
    with open(os.path.join(tmp, "kelpo.log"), "wb") as output:
        kelpo = subprocess.Popen([KELPO_BIN, "--data-dir", data], env=env,
                                 stdout=output, stderr=output)
    try:
        main_window = wait_for(lambda: visible_windows("^ Kelpo$"), "the main window")[0]
        time.sleep(0.3)  # let it settle where the window manager put it
        x, y = name_centre(main_window)
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], check=True)
        if password:
            answer_password("not it", password.swapcase())

        wait_for(lambda: os.path.exists(log), "the browser to start")
        with open(log, "rb") as f:
            args = [a.decode("utf-8") for a in f.read().split(b"\0")[:-1]]
        if args != ["--flag=a b", address]:
            raise Failure("browser arguments: %r" % args)

        insertion = wait_for(lambda: visible_windows(r"^ Kelpo \(Insertion\)$"),
                             "the insertion window")[0]
        if visible_windows("^ Kelpo$"):
            raise Failure("the main window is still shown beside the insertion window")

        # The last three lines of text are the clips of rows 0, 1 and 4 (rows 2 and 3
        # are empty, and so is everything after row 4).
        lines = text_lines(insertion, os.path.join(tmp, "insertion.pgm"))
        pitch = ROW_TWIPS / TWIPS_PER_PIXEL
        gaps = [b - a for a, b in zip(lines[-3:], lines[-2:])] if len(lines) >= 3 else []
        if not gaps or abs(gaps[0] - pitch) > 3 or abs(gaps[1] - 3 * pitch) > 3:
            raise Failure("the clip rows do not show the entry's clips: text at %r" % lines)
        if os.path.exists(pwn):
            raise Failure("the address ran a command")
    finally:
        kelpo.terminate()
        try:
            kelpo.wait(timeout=10)
        except subprocess.TimeoutExpired:
            kelpo.kill()
            kelpo.wait()


def help_scenario(tmp):
    """F1 on the main window opens the first help page beside the program."""
    data = os.path.join(tmp, "data")
    os.makedirs(data)
    env, log = prepare_session(os.path.join(tmp, "session"))
    with open(os.path.join(tmp, "kelpo.log"), "wb") as output:
        kelpo = subprocess.Popen([KELPO_BIN, "--data-dir", data], env=env,
                                 stdout=output, stderr=output)
    try:
        main_window = wait_for(lambda: visible_windows("^ Kelpo$"), "the main window")[0]
        type_keys("windowactivate", "--sync", str(main_window))
        type_keys("key", "F1")
        wait_for(lambda: os.path.exists(log), "the browser to start")
        with open(log, "rb") as f:
            args = [a.decode("utf-8") for a in f.read().split(b"\0")[:-1]]
        page = os.path.join(os.path.dirname(os.path.realpath(KELPO_BIN)), "tutorial", "1.htm")
        if args != ["--flag=a b", "file://" + urllib.parse.quote(page)] or not os.path.isfile(page):
            raise Failure("help opened with %r" % args)
    finally:
        kelpo.terminate()
        try:
            kelpo.wait(timeout=10)
        except subprocess.TimeoutExpired:
            kelpo.kill()
            kelpo.wait()


def main():
    with tempfile.TemporaryDirectory() as tmp:
        help_scenario(tmp)
    print("ok: help page")
    for password in ("", "Open Sesame"):
        with tempfile.TemporaryDirectory() as tmp:
            try:
                scenario(tmp, password)
            except Failure:
                with open(os.path.join(tmp, "kelpo.log"), "rb") as f:
                    sys.stderr.write(f.read().decode("utf-8", "replace")[-4000:])
                raise
        print("ok:", "with password" if password else "without password")


if __name__ == "__main__":
    try:
        main()
    except Failure as failure:
        print("FAIL:", failure, file=sys.stderr)
        sys.exit(1)

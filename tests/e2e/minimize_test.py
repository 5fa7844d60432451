#!/usr/bin/env python3
""""Minimize This" on a desktop without a task bar (openbox alone, with a tray host and
nothing else): the minimised insertion window must have a way back. The tray icon brings it
back, in front and with the browser still holding the keyboard. Runs inside run-in-x.sh."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kelpo_e2e import (DataFolder, FormTarget, Kelpo, active_window, check, main_guard,  # noqa: E402
                       open_entry_for, run, wait_for, xdo)


def wm_state(window):
    out = run("xprop", "-id", window, "WM_STATE", check=False)
    return out.split("window state:")[1].split()[0] if "window state:" in out else ""


def viewable(window):
    return "IsViewable" in run("xwininfo", "-id", window, check=False)


# The tray icon: Qt's small embedded window named "Kelpo" (the main window's title starts
# with a blank).
def tray_icon():
    for w in xdo("search", "--onlyvisible", "--class", "kelpo", check=False).split():
        if xdo("getwindowname", w, check=False).strip() == "Kelpo":
            return int(w)
    return 0


def start_tray():
    tray = subprocess.Popen(["trayer", "--edge", "bottom", "--align", "right", "--widthtype",
                             "pixel", "--width", "120", "--heighttype", "pixel", "--height", "32",
                             "--transparent", "false"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for(lambda: xdo("search", "--onlyvisible", "--class", "trayer", check=False),
             "the tray host")
    return tray


def main():
    tray = start_tray()
    data = DataFolder("Example Bank", ["jane.doe", "s3cret"])
    form = FormTarget(data.path)
    kelpo = Kelpo(data)
    try:
        window = open_entry_for(kelpo, form)
        check(not tray_icon(), "a tray icon before anything was minimised")
        kelpo.click_insertion("MinimizeBtn2")
        wait_for(lambda: not viewable(window) and wm_state(window) == "Iconic",
                 "the insertion window to minimise")
        icon = wait_for(tray_icon, "a tray icon to bring the insertion window back")
        g = dict(line.split("=") for line in xdo("getwindowgeometry", "--shell", icon).split())
        xdo("mousemove", "--sync", int(g["X"]) + int(g["WIDTH"]) // 2,
            int(g["Y"]) + int(g["HEIGHT"]) // 2, "click", 1)
        wait_for(lambda: viewable(window) and wm_state(window) == "Normal",
                 "the insertion window to come back")
        wait_for(lambda: not tray_icon(), "the tray icon to go")
        # Back as it was: the browser keeps the keyboard, and a clip still types into it.
        wait_for(lambda: active_window() == form.window, "the form to keep the keyboard")
        kelpo.click_insertion("Names_0")
        form.wait(lambda s: s["user"] == "jane.doe", "a clip after the way back")
    finally:
        form.stop()
        kelpo.stop()
        tray.terminate()
        tray.wait(5)


if __name__ == "__main__":
    main_guard(main)

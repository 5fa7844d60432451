#!/usr/bin/env python3
# Start-up, the single instance and the tray with the real program (run by run-in-x.sh).
# Without a display it says so. The first start creates the private data files, opens
# " Kelpo" in normal state and stores where its frame is moved to (not while minimised); a
# second start with the same data folder ends and brings the first back; another data folder
# runs beside it and its close box ends it, writing nothing; a lock left by kill -9 does not
# block; a start beside a stopped one says why nothing opens; a data folder that cannot be
# made gives one message and a running program; two starts at the same moment give one
# program. With a real tray host (trayer),
# "Minimize to System Tray" starts in the tray, withdrawn; the icon, a second start bring
# the window back and Esc and the close box put it away; a tray that goes away leaves it
# on the task bar; the icon's menu item "Close Kelpo" ends the program. (What the insertion
# window's "Minimize This" does with the icon is in the widget tests.)
import os
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kelpo_e2e import KELPO_BIN, active_window, check, main_guard, run, wait_for, xdo  # noqa: E402

WORK = tempfile.TemporaryDirectory(prefix="kelpo-start-")
LOG = open(os.path.join(WORK.name, "kelpo.log"), "a")
STARTED = []


def start(folder):
    STARTED.append(subprocess.Popen([KELPO_BIN, "--data-dir", folder], stdout=LOG, stderr=LOG))
    return STARTED[-1]


def main_window(proc):
    return wait_for(lambda: int((xdo("search", "--all", "--pid", proc.pid, "--name", "^ Kelpo$",
                                     check=False).split() or [0])[0]), "a main window")


def visible_of(proc):  # its shown windows titled " Kelpo"
    return xdo("search", "--all", "--onlyvisible", "--pid", proc.pid, "--name", "^ Kelpo$",
               check=False).split()


def wm_state(window):
    out = run("xprop", "-id", window, "WM_STATE", check=False)
    return out.split("window state:")[1].split()[0] if "window state:" in out else ""


def state_is(window, state, viewable=True):
    wait_for(lambda: wm_state(window) == state and
             ("IsViewable" in run("xwininfo", "-id", window, check=False)) == viewable,
             "window %d in state %s" % (window, state), lambda: ": " + wm_state(window))


def ended(proc, what):
    check(proc.wait(10) == 0, what + ": exit status %s" % proc.returncode)


def files_of(folder):
    return {os.path.join(d, f): open(os.path.join(d, f), "rb").read()
            for d, _, files in os.walk(folder) for f in files}


def single_instance():
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "QT_QPA_PLATFORM")}
    code = subprocess.run([KELPO_BIN, "--data-dir", WORK.name + "/none"], env=env).returncode
    check(code == 1 and not os.path.exists(WORK.name + "/none/Kelpo.ini"),
          "without a display the program must say so, end and create nothing")
    data = WORK.name + "/data"
    first = start(data)
    win = main_window(first)
    state_is(win, "Normal")
    check(oct(os.stat(data + "/Lib1/Names.dat").st_mode)[-3:] == "600" and
          os.path.getsize(data + "/Libnames.dat") > 0, "data files missing or not private")

    # The frame's place is stored within a tick, in twips, without drift; not while minimised.
    def stored():  # MainTop MainLeft
        with open(data + "/Kelpo.ini", "rb") as f:
            record = f.read()
        return int.from_bytes(record[6:10], "little"), int.from_bytes(record[10:14], "little")
    xdo("windowmove", win, 100, 200)
    wait_for(lambda: stored() == (3000, 1500), "the place stored", lambda: ": %r" % (stored(),))
    xdo("windowminimize", "--sync", win)
    xdo("windowmove", win, 300, 300)
    time.sleep(2.2)  # two ticks, for a wrong store to happen
    check(stored() == (3000, 1500), "the stored place drifted to %r" % (stored(),))

    ended(start(data), "a second start with the same data folder")
    state_is(win, "Normal")
    wait_for(lambda: active_window() == win, "the first window in front")

    other = start(WORK.name + "/other")
    other_win = main_window(other)
    before = files_of(WORK.name + "/other")
    # The window manager now and then misses a synthetic Alt+F4 right after activating.
    for _ in range(3):
        xdo("windowactivate", "--sync", other_win, "key", "alt+F4", check=False)
        try:
            other.wait(3)
            break
        except subprocess.TimeoutExpired:
            pass
    ended(other, "the close box")
    check(files_of(WORK.name + "/other") == before, "something was written at the end")

    first.kill()
    first.wait()
    after = start(data)
    state_is(main_window(after), "Iconic", viewable=False)  # as any later run
    ended(start(data), "a start after kill -9")
    state_is(main_window(after), "Normal")
    after.kill()

    # A first start that holds the lock but cannot answer (stopped): a later start says so
    # in a box of its own and stays, instead of ending while nothing comes to the front.
    stopped = start(WORK.name + "/stopped")
    main_window(stopped)
    os.kill(stopped.pid, signal.SIGSTOP)
    later = start(WORK.name + "/stopped")
    wait_for(lambda: len(visible_of(later)) == 1 and later.poll() is None,
             "a box saying why nothing opens")
    os.kill(stopped.pid, signal.SIGCONT)
    for proc in (later, stopped):
        proc.kill()
        proc.wait()

    # A data folder that cannot be made: the main window and one message, and it runs on.
    with open(WORK.name + "/plain", "w") as f:
        f.write("x")
    bad = start(WORK.name + "/plain/data")
    wait_for(lambda: len(visible_of(bad)) >= 2, "the main window and a message")
    time.sleep(1)  # room for a second message, which must not come
    check(len(visible_of(bad)) == 2 and bad.poll() is None,
          "%d windows for an unwritable folder" % len(visible_of(bad)))
    bad.kill()
    bad.wait()

    for n in range(3):
        a, b = start(WORK.name + "/race%d" % n), start(WORK.name + "/race%d" % n)
        wait_for(lambda: a.poll() is not None or b.poll() is not None, "one of two starts to end")
        gone, survivor = (a, b) if a.poll() is not None else (b, a)
        ended(gone, "round %d, the later of two starts" % n)
        main_window(survivor)
        check(len(xdo("search", "--all", "--name", "^ Kelpo$").split()) == 1, "two programs")
        survivor.kill()
        survivor.wait()


def tray_icon():  # Qt's small embedded window named "Kelpo"; the main window's has a blank
    for w in xdo("search", "--onlyvisible", "--class", "kelpo", check=False).split():
        if xdo("getwindowname", w, check=False).strip() == "Kelpo":
            return int(w)
    return 0


def start_tray():
    STARTED.append(subprocess.Popen(
        ["trayer", "--edge", "bottom", "--align", "right", "--widthtype", "pixel", "--width",
         "120", "--heighttype", "pixel", "--height", "32", "--transparent", "false"],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    wait_for(lambda: xdo("search", "--onlyvisible", "--class", "trayer", check=False), "the tray")
    return STARTED[-1]


def click_icon(button):
    g = dict(line.split("=") for line in
             xdo("getwindowgeometry", "--shell", wait_for(tray_icon, "the tray icon")).split())
    xdo("mousemove", "--sync", int(g["X"]) + int(g["WIDTH"]) // 2,
        int(g["Y"]) + int(g["HEIGHT"]) // 2, "click", button)


def in_tray(window):
    wait_for(tray_icon, "the tray icon")
    wait_for(lambda: wm_state(window) in ("", "Withdrawn") and
             "IsUnMapped" in run("xwininfo", "-id", window), "the window in the tray")


def tray():
    tray = start_tray()
    # Settings of an earlier run (version "4.00", 42 bytes): the window on screen at 3000
    # twips, "Minimize to System Tray" (offset 30) chosen.
    data = WORK.name + "/tray"
    os.makedirs(data)
    with open(data + "/Kelpo.ini", "wb") as f:
        f.write(b"4.00\0\0\270\013\0\0\270\013\0\0\270\013\0\0\340\056\0\0" + bytes(8) +
                b"\1" + bytes(11))
    kelpo = start(data)
    main = main_window(kelpo)
    in_tray(main)
    click_icon(1)
    state_is(main, "Normal")
    xdo("windowactivate", "--sync", main, "key", "Escape")
    in_tray(main)
    ended(start(data), "a second start")
    state_is(main, "Normal")
    xdo("windowactivate", "--sync", main, "key", "alt+F4")  # the close box only minimises
    in_tray(main)
    tray.terminate()
    state_is(main, "Iconic", viewable=False)  # not lost with the tray
    start_tray()
    in_tray(main)
    ours = xdo("search", "--onlyvisible", "--class", "kelpo").split()
    click_icon(3)  # the menu: a popup window of ours
    wait_for(lambda: len(xdo("search", "--onlyvisible", "--class", "kelpo").split()) > len(ours),
             "the icon's menu")
    xdo("key", "Down", "Return")
    ended(kelpo, "Close Kelpo")


def main():
    try:
        single_instance()
        tray()
    except AssertionError:
        LOG.flush()
        print("kelpo said:\n" + open(LOG.name, errors="replace").read())
        raise
    finally:
        for proc in reversed(STARTED):
            if proc.poll() is None:
                proc.send_signal(signal.SIGKILL)
                proc.wait()


if __name__ == "__main__":
    main_guard(main)

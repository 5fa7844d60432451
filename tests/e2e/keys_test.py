#!/usr/bin/env python3
# The X11 key sender on a real server (the sendkeys helper, the program's own sender) into
# a plain text field: the user's held Shift, refused strings, named keys; and
# a sender that dies mid-send: a crash puts the keyboard back at once, SIGTERM too, and
# after SIGKILL the next start does. Runs inside run-in-x.sh, without a window manager, where
# focus works differently from the runs of the real program (see tests/CMakeLists.txt).
import ctypes
import os
import random
import signal
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kelpo_e2e import (HELPERS, DataFolder, Kelpo, check, keymap, main_guard, run,  # noqa: E402
                       wait_for, xdo)

RUNTIME = os.environ["XDG_RUNTIME_DIR"]
X11 = ctypes.CDLL("libX11.so.6")
X11.XOpenDisplay.restype = ctypes.c_void_p
DPY = ctypes.c_void_p(X11.XOpenDisplay(None))
# Long enough to be still typing at any moment picked; é is on a lent key, B needs Shift.
LONG = "a+bé" * 1500


# tests/e2e/helpers/keytarget: holds the focus and records exactly what it received.
class KeyTarget:
    def __init__(self, name):
        self.out = os.path.join(RUNTIME, name)
        self.proc = subprocess.Popen([HELPERS + "/keytarget", "--out", self.out],
                                     stdout=subprocess.PIPE, text=True)
        check(self.proc.stdout.readline().startswith("ready"), "the key target did not start")

    def text(self):
        with open(self.out, encoding="utf-8") as f:
            return f.read()


def send(keys):
    return run(HELPERS + "/sendkeys", keys).split()


def sending(keys):
    proc = subprocess.Popen([HELPERS + "/sendkeys", keys], stdout=subprocess.PIPE, text=True)
    check(proc.stdout.readline() == "sending\n", "sendkeys did not start")
    return proc


# Lent keys, keys down and journals, as the user (or the next start) would find them.
def left_behind(keymap_before):
    keys = ctypes.create_string_buffer(32)
    X11.XQueryKeymap(DPY, keys)
    down = [code for code in range(256) if keys.raw[code // 8] >> (code % 8) & 1]
    journals = [f for f in os.listdir(RUNTIME) if f.startswith("kelpo-keys-")]
    return ("keys still lent; " if keymap() != keymap_before else "") + \
        ("keys %s down; " % down if down else "") + ("journals %s" % journals if journals else "")


def keys_lent():
    return any("\nlend " in Path(RUNTIME, f).read_text(errors="replace")
               for f in os.listdir(RUNTIME) if f.startswith("kelpo-keys-"))


def what_the_user_holds(target):
    # Typing under the user's held Shift would give other characters.
    xdo("keydown", "Shift_L")
    check(send("abc") == ["sending", "ModifierHeld"], "typed under a held Shift")
    xdo("keyup", "Shift_L")
    # Named keys act on the field; Shift applies to the group. A refused string types
    # nothing, not even its beginning.
    for keys, result in (("a~b{ENTER}c{BS}d{LEFT 2}{DEL}+(xy)", "Ok"), ("abc☃", "Untypeable"),
                         ("abc{TABB}", "InvalidNotation"), ("abc{", "InvalidNotation")):
        check(send(keys) == ["sending", result], keys + " did not give " + result)
    # Every free keycode taken, as on a crowded keyboard: é has no key to borrow.
    run("sh", "-c", "xmodmap -pke | awk 'NF == 3 { print \"keycode \" $2 \" = F35\" }' | xmodmap -")
    check(send("abcé") == ["sending", "Untypeable"], "é typed on a crowded keyboard")
    send("!")
    wait_for(lambda: target.text() == "a\nbXY!d", "the keys typed",  # the cursor before the d
             lambda: ": %r" % target.text())
    run("setxkbmap", "us")


def death_mid_send(target):
    before = keymap()
    # SIGTERM: what arrived is a true beginning of the text, never a wrong character.
    proc = sending(LONG * 6)  # the target shows what it got only a while later
    wait_for(lambda: len(target.text()) >= 40, "the first keys")
    proc.send_signal(signal.SIGTERM)
    check(proc.wait(10) == -signal.SIGTERM, "SIGTERM gave %s" % proc.returncode)
    typed, expected = target.text(), (LONG * 6).replace("+b", "B")
    check(len(typed) < len(expected) and expected.startswith(typed), "typed %r" % typed[-40:])
    check(left_behind(before) == "", "after SIGTERM: " + left_behind(before))
    # A crash is met in the dying program itself: no next start is needed.
    for sig in (signal.SIGSEGV, signal.SIGABRT, signal.SIGBUS, signal.SIGFPE, signal.SIGILL):
        proc = sending(LONG)
        wait_for(keys_lent, "keys to be lent")
        proc.send_signal(sig)
        check(proc.wait(10) != 0, "%s: the sender ended well" % sig.name)
        check(left_behind(before) == "", "after %s: %s" % (sig.name, left_behind(before)))
    # SIGKILL cannot be met: the next start puts back what the journal says was lent and
    # lets go of keys left down; the last time that start is the program's own.
    runs, left_by_kill = 12, 0
    for n in range(runs):
        proc = sending(LONG)
        wait_for(keys_lent, "keys to be lent")
        time.sleep(random.random() * 0.15)  # a random moment to kill at, not a wait
        proc.kill()
        proc.wait()
        left_by_kill += "down" in left_behind(before) or "lent" in left_behind(before)
        if n < runs - 1:
            check(send("") == ["sending", "Ok"], "the next start failed")
        else:
            data = DataFolder("Bank", ["user"])
            kelpo = Kelpo(data)
            wait_for(lambda: left_behind(before) == "", "the program to put the keyboard back")
            kelpo.stop()
        check(left_behind(before) == "", "run %d, next start: %s" % (n, left_behind(before)))
    print("kill: %d runs, %d left keys lent or down" % (runs, left_by_kill))
    # Else the kills came where nothing could be left, and nothing was tried.
    check(left_by_kill > runs // 2, "only %d kills left anything behind" % left_by_kill)


def main():
    for name, case in (("held", what_the_user_holds), ("killed", death_mid_send)):
        target = KeyTarget(name)
        try:
            case(target)
        finally:
            target.proc.terminate()
            target.proc.wait(5)


if __name__ == "__main__":
    main_guard(main)

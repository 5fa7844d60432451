#!/usr/bin/env python3
# Arranging entries and libraries with the real pointer on the real binary: a library
# button dragged onto another swaps the two, a name dragged over a library button onto a
# slot there moves the entry. The program is stopped dead (SIGKILL) at a file step of each,
# started again, and every entry must still be whole in one place, with each library's name
# beside its entries. What the drags do when nothing stops them is in the widget tests, and
# every step of every operation is stopped in-process by the unit tests; here a few steps
# drawn at random (the seed is printed; KELPO_ARRANGE_SEED repeats
# a run, KELPO_ARRANGE_STEPS=all takes every step) go through a real kill and a real start.
# Runs inside run-in-x.sh.
import os
import random
import signal
import sys
import time
from pathlib import Path

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kelpo_e2e import (HELPERS, DataFolder, Kelpo, check, client_origin, main_guard,  # noqa: E402
                       run, wait_for, xdo)


def read(path):
    return Path(path).read_bytes() if os.path.exists(path) else b""


# Every named slot of Lib1-Lib19 with its five stores, and each library's name.
def census(folder):
    shown = {}
    for k in range(1, 20):
        lib = os.path.join(folder, "Lib%d" % k)
        names = read(os.path.join(lib, "Names.dat"))
        for slot in range(50):
            if names[slot * 34:slot * 34 + 30].strip():
                shown["Lib%d/%d" % (k, slot)] = b"|".join(
                    [names[slot * 34:slot * 34 + 34],
                     read(os.path.join(lib, "url.dat"))[slot * 1000:slot * 1000 + 1000].ljust(1000),
                     *(read(os.path.join(lib, f % slot))
                       for f in ("Page%d.dat", "Page%d.h", "Note%d.txt"))])
    return shown


def library_name(folder, k):
    return read(os.path.join(folder, "Libnames.dat"))[k * 13:k * 13 + 13].rstrip().decode("cp1252")


def add_entry(folder, lib, slot, name, clips):
    run(HELPERS + "/makeentry", "--library", os.path.join(folder, "Lib%d" % lib), "--slot",
        slot, "--name", name, "--url", "https://%s.example/" % name.lower(), "--", *clips)


def place(kelpo, control):
    return [a + b for a, b in zip(client_origin(kelpo.main), kelpo.places["Pages"][control])]


# A real drag: press on `start`, past the click threshold, over each of `via`, release.
def drag(kelpo, start, via, button=1):
    x, y = place(kelpo, start)
    xdo("mousemove", "--sync", x, y, "mousedown", button)
    xdo("mousemove", "--sync", x + 6, y + 4)
    for control in via:
        tx, ty = place(kelpo, control)
        for f in (0.5, 1.0):
            xdo("mousemove", "--sync", int(x + (tx - x) * f), int(y + (ty - y) * f))
            time.sleep(0.1)
        x, y = tx, ty
    time.sleep(0.2)
    xdo("mouseup", button)


PLACES = {}


def start(data, env=None):
    kelpo = Kelpo(data, env, PLACES)
    PLACES.update(kelpo.places)
    xdo("windowactivate", "--sync", kelpo.main)
    return kelpo


# The process state letter from /proc: 'T' once it stopped itself at the step.
def stopped(pid):
    with open("/proc/%d/stat" % pid) as f:
        return f.read().rsplit(")", 1)[1].split()[0] == "T"


# The steps to kill at: a sample of 1..steps, or all of them.
def sampled(steps, rng):
    if os.environ.get("KELPO_ARRANGE_STEPS") == "all":
        return list(range(1, steps + 1))
    return sorted(rng.sample(range(1, steps + 1), 2))


# The entries of library k (0-based) in a census.
def entries(census_, k):
    return sorted(v for key, v in census_.items() if key.startswith("Lib%d/" % (k + 1)))


def killed_at_steps(operation, steps, act):
    for step in steps:
        data = DataFolder("Bank", ["user", "pass"], url="https://bank.example/", slot=3)
        add_entry(data.path, 1, 4, "Mail", ["me@mail"])
        add_entry(data.path, 2, 7, "Shop", ["buyer"])
        with open(os.path.join(data.path, "Libnames.dat"), "wb") as f:
            f.write(b"Work         Home         ".ljust(19 * 13))
        before = census(data.path)
        names = {library_name(data.path, k): entries(before, k) for k in range(19)}
        kelpo = start(data, dict(os.environ, KELPO_TEST_STOP_AT="%s:%d" % (operation, step)))
        act(kelpo)
        wait_for(lambda: stopped(kelpo.proc.pid), "a stop at %s step %d" % (operation, step))
        os.kill(kelpo.proc.pid, signal.SIGKILL)
        kelpo.proc.wait(10)
        # Started again as a user would; a first start shows the window.
        os.remove(os.path.join(data.path, "Kelpo.ini"))
        start(data).stop()
        after = census(data.path)
        lost = sum(1 for v in before.values() if v not in after.values())
        half = sum(1 for v in after.values() if v not in before.values())
        # A library's name must stay with its entries (a move changes what one holds).
        misnamed = operation == "swap" and sum(
            1 for k in range(19) if entries(after, k) and
            entries(after, k) != names.get(library_name(data.path, k)))
        print("killed at %-5s step %d: lost %d, half-written %d, misnamed %d"
              % (operation, step, lost, half, misnamed))
        check(lost == half == misnamed == 0, "%s step %d: data lost" % (operation, step))


def main():
    seed = int(os.environ.get("KELPO_ARRANGE_SEED") or random.SystemRandom().randrange(10**6))
    print("kill steps drawn with KELPO_ARRANGE_SEED=%d" % seed)
    rng = random.Random(seed)
    # Library 1 "Work" onto button 2 "Home": journal, three renames, two journal updates,
    # two names, journal removed.
    killed_at_steps("swap", sampled(9, rng),
                    lambda k: drag(k, "LibraryBtn_0", ["LibraryBtn_1"]))
    # Entry 3 of library 1 onto slot 3 of library 2: four stores read and written, the
    # names record written, then five stores erased.
    killed_at_steps("move", sampled(14, rng),
                    lambda k: drag(k, "Pagenames_3", ["LibraryBtn_1", "Pagenames_3"]))


if __name__ == "__main__":
    main_guard(main)

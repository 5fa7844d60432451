#!/usr/bin/env python3
"""Click-to-submitted time of an Auto Insert log-in; run through bench/autoinsert.sh.
Two log-ins: one whose characters are all on the keyboard map, and one whose password
holds characters the map lacks (the key sender lends spare keys for those)."""
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from kelpo_e2e import (DataFolder, FormTarget, Kelpo, client_origin, open_entry_for,  # noqa: E402
                       xdo)

LOGINS = [
    ("on the keymap", {"user": "jane.doe@example.org", "password": "Tr0ub4dor&3!", "notes": ""}),
    ("with ÆØß off the keymap",
     {"user": "jane.doe@example.org", "password": "Tr0ub4dor&3 ÆØß", "notes": ""}),
]


def measure(login, runs):
    data = DataFolder("Bench", [login["user"], login["password"], "{Enter}"], hidden=(1,))
    form = FormTarget(data.path)
    kelpo = Kelpo(data)
    times, wrong = [], 0
    try:
        window = open_entry_for(kelpo, form)
        ox, oy = client_origin(window)
        x, y = kelpo.places["DoIt"]["AutoBtn"]
        xdo("mousemove", "--sync", ox + x, oy + y)
        for _ in range(runs):
            before = form.state()["submitted"]
            start = time.monotonic_ns()
            xdo("click", 1)
            s = form.wait(lambda s: s["submitted"] == before + 1, "the log-in")
            times.append((int(s["submittedAt"]) - start) / 1e6)
            wrong += s["last"] != login
            form.wait(lambda s: s["focus"] == "user", "the form to reset")
            time.sleep(0.1)
    finally:
        kelpo.stop()
        form.stop()
    return times, wrong


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 30
    print("Auto Insert log-in (user, Tab, password, Tab, Enter), click to submitted, %d runs"
          " each (includes starting xdotool):" % runs)
    failed = 0
    for label, login in LOGINS:
        times, wrong = measure(login, runs)
        failed += wrong
        print("  %-26s median %6.1f ms   max %6.1f ms   min %6.1f ms   wrong %d" %
              (label, statistics.median(times), max(times), min(times), wrong))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

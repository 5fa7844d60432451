#!/usr/bin/env python3
"""Click-to-submitted time of an Auto Insert log-in; run through bench/autoinsert.sh."""
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from kelpo_e2e import (DataFolder, FormTarget, Kelpo, client_origin, open_entry_for,  # noqa: E402
                       xdo)

LOGIN = {"user": "jane.doe@example.org", "password": "Tr0ub4dor&3 ÆØß", "notes": ""}


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 30
    data = DataFolder("Bench", [LOGIN["user"], LOGIN["password"], "{Enter}"], hidden=(1,))
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
            wrong += s["last"] != LOGIN
            form.wait(lambda s: s["focus"] == "user", "the form to reset")
            time.sleep(0.1)
    finally:
        kelpo.stop()
        form.stop()
    print("Auto Insert log-in, click to submitted, %d runs (includes starting xdotool):" % runs)
    print("  median %.1f ms   max %.1f ms   min %.1f ms   wrong %d" %
          (statistics.median(times), max(times), min(times), wrong))
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())

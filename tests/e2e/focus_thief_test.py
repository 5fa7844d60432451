#!/usr/bin/env python3
"""Not one key into the wrong window: Auto Insert runs again and again with the real kelpo
binary while a window the window manager does not manage takes the keyboard focus at a
random moment. The manager's active window lags such a theft (or never follows it), so
only a check of the real focus before each key keeps the keys out. Prints the count of
keys that reached the thief, which must be 0. Run by run-in-x.sh."""
import os
import random
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kelpo_e2e import (HELPERS, DataFolder, Failure, FormTarget, Kelpo, check,  # noqa: E402
                       main_guard, open_entry_for)

RUNS = 60
# A password long enough that most thefts land in the middle of a clip.
CLIPS = ["jane.doe", "correct horse battery staple 42", "{Enter}"]


class Thief:
    def __init__(self):
        self.proc = subprocess.Popen([HELPERS + "/focusthief"], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, text=True)
        self.window = int(self.ask("").split()[1])  # "ready <window id>"

    def ask(self, command):
        if command:
            self.proc.stdin.write(command + "\n")
            self.proc.stdin.flush()
        return self.proc.stdout.readline()

    def stop(self):
        self.proc.stdin.close()
        self.proc.wait(5)


def main():
    data = DataFolder("Example Bank", CLIPS)
    form = FormTarget(data.path)
    kelpo = Kelpo(data)
    thief = Thief()
    rng = random.Random(os.environ.get("KELPO_SEED") or None)
    stolen_keys = 0
    interrupted = 0
    try:
        open_entry_for(kelpo, form)
        # The thefts fall anywhere in the time a whole run takes here (the sender's speed
        # and the machine's load both change it), from before the first key to after the last.
        # The median of three whole runs: one slow first run must not spread the thefts
        # so wide that most of them fall after the last key.
        times = []
        for _ in range(3):
            form.click_field("user")
            submitted = form.state()["submitted"]
            start = time.monotonic()
            kelpo.click_insertion("AutoBtn")
            form.wait(lambda s: s["submitted"] == submitted + 1, "a whole run before the thefts")
            times.append(time.monotonic() - start)
        window_ms = max(20, int(sorted(times)[1] * 1000))
        for run in range(RUNS):
            form.click_field("user")
            submitted = form.state()["submitted"]
            # The thief starts counting down before the click, so the theft can come
            # anywhere from before the first key to after the last one.
            thief.proc.stdin.write("steal %d\n" % rng.randint(0, window_ms))
            thief.proc.stdin.flush()
            kelpo.click_insertion("AutoBtn")
            check(thief.proc.stdout.readline().strip() == "stolen", "the thief did not answer")
            # Whatever the run still sends after the theft arrives within this pause.
            time.sleep(0.3)
            keys = int(thief.ask("count").split()[1])
            stolen_keys += keys
            if form.state()["submitted"] == submitted:
                interrupted += 1
            check(keys == 0, "run %d: %d keys reached the thief" % (run, keys))
        print("focus thief: %d runs, thefts within %d ms, %d interrupted by the theft, "
              "%d keys reached the thief" % (RUNS, window_ms, interrupted, stolen_keys))
        # The theft must have hit runs under way, else nothing was tried.
        check(interrupted >= RUNS // 10, "only %d runs were under way at the theft" % interrupted)

        # The program still types once the focus is back.
        form.click_field("user")
        submitted = form.state()["submitted"]
        kelpo.click_insertion("AutoBtn")
        s = form.wait(lambda s: s["submitted"] == submitted + 1, "a whole run after the thefts")
        check(s["last"]["password"] == CLIPS[1], "the last run typed %r" % s["last"])
        check(kelpo.proc.poll() is None, "kelpo ended")
    except Failure:
        print("form: %r\nkelpo said:\n%s" % (form.state(), kelpo.errors()))
        raise
    finally:
        thief.stop()
        form.stop()
        kelpo.stop()


if __name__ == "__main__":
    main_guard(main)

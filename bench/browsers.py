#!/usr/bin/env python3
"""Typing into real browsers: Kelpo (a real click on a clip row, a real click on "Auto
Insert") against `xdotool type` with its default delay and with --delay 0, into our log-in
page in Chromium and in Firefox ESR, in one X server. Run through bench/browsers.sh.
Times run from the click (or xdotool's start) to the page's report that the field holds
the whole text (or that the form was submitted), so they include the page's report."""
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from browser_e2e import ASCII_200, BrowserTarget  # noqa: E402
from kelpo_e2e import DataFolder, Kelpo, client_origin, open_entry_for, wait_for, xdo  # noqa: E402

LOGIN = {"user": "jane.doe@example.org", "password": "Tr0ub4dor&3!", "notes": ""}
GOAL = 0.1  # Kelpo's median at most this share of xdotool's default-delay median


# The time from `start` to the first report that satisfies `done`, and that report.
def reported(browser, start, done, what):
    def first():
        with browser.server.lock:
            for at, report in browser.server.history:
                if at >= start and done(report):
                    return at, report
        return None
    at, report = wait_for(first, what)
    return (at - start) / 1e6, report


# A real click on a control of the insertion window, X11 style: the pointer is moved there
# once per control (xdotool's synchronous move waits for a motion, which a second move to
# the same place never makes), then each run is a bare click.
class XClicker:
    def __init__(self, kelpo, window):
        self.kelpo, self.origin, self.control = kelpo, client_origin(window), None

    def __call__(self, control):
        if control != self.control:
            x, y = self.kelpo.places["DoIt"][control]
            xdo("mousemove", "--sync", self.origin[0] + x, self.origin[1] + y)
            self.control = control
        xdo("click", 1)


# Kelpo's runs: `program` and `open_entry` make the program and open the entry for the
# browser, `clicker` makes the click of a control from the program and its insertion window.
def kelpo_runs(browser, runs, program=Kelpo, open_entry=open_entry_for, clicker=XClicker):
    data = DataFolder("Bench", [LOGIN["user"], LOGIN["password"], "{Enter}", "{Stop Auto}",
                                ASCII_200], hidden=(1,))
    kelpo = program(data)
    results = {"200 characters": [], "log-in": []}
    wrong = []
    try:
        click = clicker(kelpo, open_entry(kelpo, browser))
        for case, control in (("200 characters", "Names_4"), ("log-in", "AutoBtn")):
            for _ in range(runs):
                browser.clear("user")
                before = browser.state()["submitted"]
                start = time.monotonic_ns()
                click(control)
                if case == "log-in":
                    ms, s = reported(browser, start, lambda s: s["submitted"] > before, case)
                    ok = s["last"] == LOGIN
                else:
                    # The page loses the focus for a moment where the click activates the
                    # clips window: the text is whole, or the Tab after it has come.
                    ms, s = reported(browser, start, lambda s: len(s["user"]) >= 200 or
                                     s["focus"] == "password", case)
                    ok = s["user"] == ASCII_200
                results[case].append((ms, ok))
                if not ok:
                    wrong.append("%s: %r" % (case, s))
                # The clip's Tab, or the page's reset after the submit, comes next.
                time.sleep(0.15)
    finally:
        kelpo.stop()
    for w in wrong:
        print("  kelpo, a wrong run into %s: %s" % (browser.browser, w))
    return results


def xdotool_runs(browser, runs, delay):
    results = {"200 characters": [], "log-in": []}
    texts = {"200 characters": ASCII_200,
             # xdotool types "\n" as Linefeed, which submits nothing; "\r" is Return.
             "log-in": "%s\t%s\r" % (LOGIN["user"], LOGIN["password"])}
    for case, text in texts.items():
        for _ in range(runs):
            browser.clear("user")
            before = browser.state()["submitted"]
            command = ["xdotool", "type"] + (["--delay", str(delay)] if delay is not None else [])
            start = time.monotonic_ns()
            proc = subprocess.Popen(command + ["--", text])
            if case == "log-in":
                done = lambda s: s["submitted"] > before  # noqa: E731
            else:
                done = lambda s: len(s["user"]) >= 200  # noqa: E731
            try:
                ms, s = reported(browser, start, done, case)
                ok = (s["last"] == LOGIN) if case == "log-in" else s["user"] == ASCII_200
            except AssertionError:  # a lost character: the text never stands whole
                ms, ok = None, False
            proc.wait()
            time.sleep(0.15)
            results[case].append((ms, ok))
    return results


def summary(samples):
    times = [ms for ms, ok in samples if ok]
    correct = sum(ok for _, ok in samples)
    if not times:
        return correct, None, None
    return correct, statistics.median(times), max(times)


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 10
    browsers = sys.argv[2:] or ["chromium", "firefox"]
    print("Typing into real browsers, %d runs each; ms from the click or xdotool's start to the"
          " page's report of the whole text (correct runs)" % runs)
    met = True
    for name in browsers:
        browser = BrowserTarget(name)
        try:
            engines = [("kelpo", kelpo_runs(browser, runs)),
                       ("xdotool", xdotool_runs(browser, runs, None)),
                       ("xdotool-0", xdotool_runs(browser, runs, 0))]
        finally:
            browser.stop()
        print("\n%s" % name)
        print("  %-15s %-10s %8s %9s %9s" % ("case", "engine", "correct", "median", "max"))
        for case in ("200 characters", "log-in"):
            medians = {}
            for engine, results in engines:
                correct, median, worst = summary(results[case])
                medians[engine] = median
                print("  %-15s %-10s %5d/%-3d %9s %9s" % (
                    case, engine, correct, runs, "-" if median is None else "%.1f" % median,
                    "-" if worst is None else "%.1f" % worst))
                if engine == "kelpo" and correct != runs:
                    met = False
            if medians["kelpo"] and medians["xdotool"]:
                ratio = medians["kelpo"] / medians["xdotool"]
                if case == "200 characters":
                    met = met and ratio <= GOAL
                    print("  %-15s kelpo / xdotool (default delay): %.3f (goal at most %.2f)" %
                          (case, ratio, GOAL))
                else:
                    # Auto Insert waits for the page to take in each clip before the next
                    # (a round trip through the browser per clip), which typing the same
                    # text as one string does not: shown, not held to the typing goal.
                    print("  %-15s kelpo / xdotool (default delay): %.3f (waits for the page "
                          "after each clip)" % (case, ratio))
            else:
                met = False
    print("\ngoal (every Kelpo run correct; the 200 characters in at most %.2f of xdotool's "
          "default time): %s" %
          (GOAL, "met" if met else "NOT met"))
    return 0 if met else 1


if __name__ == "__main__":
    sys.exit(main())

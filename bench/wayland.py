#!/usr/bin/env python3
"""Kelpo typing into Chromium as a native Wayland client (headless sway) or as an X client
(Xvfb + openbox): a real click on a clip row (200 characters) and on "Auto Insert" (a
log-in), timed from the click to the page's report of the whole text. Run by
bench/wayland.sh, once under each display server; prints one JSON line of results."""
import json
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from browser_e2e import ASCII_200, BrowserTarget  # noqa: E402
from browsers import LOGIN, reported  # noqa: E402
from kelpo_e2e import DataFolder  # noqa: E402


def main():
    server, runs = sys.argv[1], int(sys.argv[2])
    wayland = server == "wayland"
    if wayland:
        import wayland_e2e as wl
        from wlkelpo_test import WaylandKelpo as Program, open_entry_for
        place = wl.place
    else:
        import kelpo_e2e as x
        Program, open_entry_for, place = x.Kelpo, x.open_entry_for, None
    browser = BrowserTarget("chromium", wayland=wayland)
    data = DataFolder("Bench", [LOGIN["user"], LOGIN["password"], "{Enter}", "{Stop Auto}",
                                ASCII_200], hidden=(1,))
    kelpo = Program(data)
    results = {"200 characters": [], "log-in": []}
    try:
        if wayland:
            place(kelpo.main, 0, 0)
            place(browser.window, 0, 540)
        open_entry_for(kelpo, browser)
        for case, control in (("200 characters", "Names_4"), ("log-in", "AutoBtn")):
            if not wayland:  # xdotool's synchronous move waits for a motion: move once
                x.click_in(kelpo.insertion_window(), kelpo.places["DoIt"][control])
                browser.clear("user")
                time.sleep(0.3)
            for _ in range(runs):
                browser.clear("user")
                before = browser.state()["submitted"]
                start = time.monotonic_ns()
                if wayland:
                    kelpo.click_insertion(control)
                else:
                    x.xdo("click", 1)
                if case == "log-in":
                    ms, s = reported(browser, start, lambda s: s["submitted"] > before, case)
                    ok = s["last"] == LOGIN
                else:
                    # The page loses the focus for a moment where the click activates
                    # the clips window: the text is whole, or the Tab after it has come.
                    ms, s = reported(browser, start, lambda s: len(s["user"]) >= 200 or
                                     s["focus"] == "password", case)
                    ok = s["user"] == ASCII_200
                results[case].append([ms, ok])
                time.sleep(0.15)  # the clip's Tab, or the page's reset after the submit
    finally:
        kelpo.stop()
        browser.stop()
    print("RESULTS " + json.dumps(results))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Kelpo typing into Chromium as a native Wayland client (headless sway) or as an X client
(Xvfb + openbox): a real click on a clip row (200 characters) and on "Auto Insert" (a
log-in), timed from the click to the page's report of the whole text. Run by
bench/wayland.sh, once under each display server; prints one JSON line of results."""
import json
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from browser_e2e import BrowserTarget  # noqa: E402
from browsers import kelpo_runs  # noqa: E402


def main():
    server, runs = sys.argv[1], int(sys.argv[2])
    if server == "wayland":
        import wayland_e2e as wl
        from wlkelpo_test import WaylandKelpo, open_entry_for

        def open_entry(kelpo, browser):
            wl.place(kelpo.main, 0, 0)
            wl.place(browser.window, 0, 540)  # below the main window, left of the clips
            return open_entry_for(kelpo, browser)

        browser = BrowserTarget("chromium", wayland=True)
        try:
            results = kelpo_runs(browser, runs, WaylandKelpo, open_entry,
                                 lambda kelpo, window: kelpo.click_insertion)
        finally:
            browser.stop()
    else:
        browser = BrowserTarget("chromium")
        try:
            results = kelpo_runs(browser, runs)
        finally:
            browser.stop()
    print("RESULTS " + json.dumps(results))


if __name__ == "__main__":
    main()

# The typing cases against a real browser (browser_e2e.py), run by one test file per
# browser so each file starts its browser once. Characters by the key sender itself under
# three layouts; clips, the hidden password, Auto Insert and the key commands through the
# real program with real clicks on the insertion window.
from browser_e2e import (ASCII_200, WINDOWS_1252, BrowserTarget, escape_keys, send_keys)
from kelpo_e2e import DataFolder, Failure, Kelpo, active_window, check, open_entry_for, run

# The characters of 0x80-0x9F, which no usual layout has, the per-mille sign among them.
WINDOWS_ONLY = "€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ Zoë ßñé"
HIDDEN = "Pa55+%^~(){}word"
CLIPS = [
    "jane.doe",       # 0
    HIDDEN,           # 1, hidden
    "{Enter}",        # 2
    "{Stop Auto}",    # 3
    ASCII_200,        # 4
    WINDOWS_ONLY,     # 5
    "{Tab}{02}",      # 6
    "{Shift+Tab}",    # 7
]


def every_character_under_each_layout(browser):
    # Finnish has the per-mille sign on a key of its own (AltGr+5).
    for layout in ("us", "de", "fr", "fi"):
        run("setxkbmap", layout)
        browser.clear("notes")
        send_keys(escape_keys(WINDOWS_1252))
        try:
            browser.wait(lambda s: s["notes"] == WINDOWS_1252, "all characters under " + layout)
        except Failure:
            got = browser.state()["notes"]
            raise Failure("under %s the field holds %r; missing %r" %
                          (layout, got, [c for c in WINDOWS_1252 if c not in got]))
    run("setxkbmap", "us")
    browser.clear("user")


def through_the_program(browser):
    data = DataFolder("Example Bank", CLIPS, hidden=(1,))
    kelpo = Kelpo(data)
    try:
        open_entry_for(kelpo, browser)
        lost = browser.state()["focusLost"]

        def keeps_focus(step):
            check(active_window() == browser.window, step + ": the browser lost the keyboard")
            check(browser.state()["focusLost"] == lost, step + ": the page lost the focus")

        kelpo.click_insertion("AutoBtn")
        s = browser.wait(lambda s: s["submitted"] == 1, "the Auto Insert log-in")
        check(s["last"] == {"user": "jane.doe", "password": HIDDEN, "notes": ""},
              "Auto Insert typed %r" % s["last"])
        keeps_focus("Auto Insert")

        # A left click types the clip over the field and moves on with Tab.
        browser.click_field("user")
        kelpo.click_insertion("Names_4")
        s = browser.wait(lambda s: s["focus"] == "password", "Tab after the 200 characters")
        check(s["user"] == ASCII_200, "the 200-character clip arrived as %r" % s["user"])
        browser.click_field("notes")
        kelpo.click_insertion("Names_5")
        s = browser.wait(lambda s: s["focus"] == "submit", "Tab after the Windows characters")
        check(s["notes"] == WINDOWS_ONLY, "the Windows characters arrived as %r" % s["notes"])
        keeps_focus("clips")

        browser.click_field("user")
        kelpo.click_insertion("Names_6")
        browser.wait(lambda s: s["focus"] == "notes", "{Tab}{02} from the user field")
        kelpo.click_insertion("Names_7")
        browser.wait(lambda s: s["focus"] == "password", "{Shift+Tab}")
        keeps_focus("commands")
        check(kelpo.proc.poll() is None, "kelpo ended")
    except Failure:
        print("kelpo said:\n" + kelpo.errors())
        raise
    finally:
        kelpo.stop()


def main(name):
    browser = BrowserTarget(name)
    try:
        every_character_under_each_layout(browser)
        through_the_program(browser)
    except Failure:
        print("page state: %r" % browser.state())
        print("active window: %d, browser: %d" % (active_window(), browser.window))
        print(browser.log_tail())
        raise
    finally:
        browser.stop()
    print("PASS")

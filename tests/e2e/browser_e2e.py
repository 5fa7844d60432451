#!/usr/bin/env python3
# Typing into a real browser: a loopback HTTP server of the test serves our log-in page
# (loginpage.html) and receives its reports, and Chromium or Firefox ESR shows the page
# under a throw-away profile on the private display that run-in-x.sh provides (or, as a
# native Wayland client, in the private compositor of run-in-sway.sh). The target
# answers like FormTarget (window, state, wait, click_field, stop), so open_entry_for drives
# either. No browser driver: the page itself reports what it holds.
# Run as `browser_e2e.py chromium|firefox`: every character by the key sender itself under
# four layouts; clips, the hidden password, Auto Insert and the key commands through the
# real program with real clicks on the insertion window.
import json
import os
import queue
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kelpo_e2e import (HELPERS, DataFolder, Failure, Kelpo, active_window,  # noqa: E402
                       check, keymap, open_entry_for, run, visible_window, wait_for, xdo)
import wayland_e2e as wl  # noqa: E402

PAGE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "loginpage.html")

# Every printable character of Windows-1252.
WINDOWS_1252 = "".join(chr(c) for c in range(0x20, 0x7F)) + \
    "€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ" + "".join(chr(c) for c in range(0xA0, 0x100))
# 200 characters that hold every printable ASCII character.
ASCII_200 = ("".join(chr(c) for c in range(0x20, 0x7F)) * 3)[:200]


# 127.0.0.1 only. Keeps the page's latest report (by its sequence number), with the
# monotonic time each report came in, and hands out commands to the page.
class PageServer:
    def __init__(self):
        self.lock = threading.Lock()
        self.latest = {}
        self.history = []  # (monotonic ns, report), for the typing benchmark
        self.commands = queue.Queue()
        with open(PAGE, "rb") as f:
            page = f.read()
        server = self

        class Handler(BaseHTTPRequestHandler):
            def log_message(self, *args):
                pass

            def reply(self, body, kind):
                self.send_response(200)
                self.send_header("Content-Type", kind)
                self.send_header("Content-Length", str(len(body)))
                self.send_header("Cache-Control", "no-store")
                self.end_headers()
                self.wfile.write(body)

            def do_GET(self):
                if self.path == "/":
                    self.reply(page, "text/html; charset=utf-8")
                elif self.path == "/command":
                    try:
                        command = server.commands.get(timeout=20)
                    except queue.Empty:
                        command = {}
                    try:
                        self.reply(json.dumps(command).encode(), "application/json")
                    except OSError:  # the page went away meanwhile: keep the command
                        if command:
                            server.commands.put(command)
                else:
                    self.send_error(404)

            def do_POST(self):
                body = self.rfile.read(int(self.headers.get("Content-Length", 0)))
                now = time.monotonic_ns()
                try:
                    report = dict(json.loads(body))
                except (TypeError, ValueError):  # not a report: nothing to keep
                    report = {}
                with server.lock:
                    if report.get("seq", 0) > server.latest.get("seq", 0):
                        server.latest = report
                        server.history.append((now, report))
                self.reply(b"{}", "application/json")

        self.httpd = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.httpd.daemon_threads = True
        self.url = "http://127.0.0.1:%d/" % self.httpd.server_address[1]
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def state(self):
        with self.lock:
            return dict(self.latest)

    def stop(self):
        self.httpd.shutdown()
        self.httpd.server_close()


# What would open a page or a panel of its own at the first start, and the offers to save
# what was typed.
FIREFOX_PREFS = {
    "browser.shell.checkDefaultBrowser": False,
    "browser.startup.homepage_override.mstone": "ignore",
    "startup.homepage_welcome_url": "",
    "startup.homepage_welcome_url.additional": "",
    "browser.aboutwelcome.enabled": False,
    "datareporting.policy.dataSubmissionEnabled": False,
    "datareporting.policy.firstRunURL": "",
    "toolkit.telemetry.reportingpolicy.firstRun": False,
    "app.update.disabledForTesting": True,
    "browser.translations.enable": False,
    "signon.rememberSignons": False,
    "browser.formfill.enable": False,
}


# `wayland`: as a native Wayland client (Firefox needs MOZ_ENABLE_WAYLAND=1 besides).
def browser_command(browser, profile, url, wayland=False):
    if browser == "chromium":
        os.makedirs(os.path.join(profile, "Default"))
        # No offer to save the password that was just typed.
        with open(os.path.join(profile, "Default", "Preferences"), "w") as f:
            json.dump({"credentials_enable_service": False,
                       "profile": {"password_manager_enabled": False},
                       "translate": {"enabled": False}}, f)
        command = ["chromium"] + ["--ozone-platform=wayland"] * wayland + [
                   "--user-data-dir=" + profile, "--no-first-run",
                   "--no-default-browser-check", "--disable-background-networking",
                   "--disable-component-update", "--disable-sync", "--disable-gpu",
                   "--password-store=basic", "--window-position=520,300",
                   "--window-size=720,560"]
        if os.geteuid() == 0:
            command.append("--no-sandbox")  # its sandbox refuses to run as root
        return command + [url]
    if browser == "firefox":
        with open(os.path.join(profile, "user.js"), "w") as f:
            for name, value in FIREFOX_PREFS.items():
                f.write("user_pref(%s, %s);\n" % (json.dumps(name), json.dumps(value)))
        # Its first window would open maximised and hide the program's main window.
        with open(os.path.join(profile, "xulstore.json"), "w") as f:
            json.dump({"chrome://browser/content/browser.xhtml": {"main-window": {
                "sizemode": "normal", "screenX": "520", "screenY": "300", "width": "720",
                "height": "560"}}}, f)
        return ["firefox-esr", "--no-remote", "--new-instance", "-profile", profile, url]
    raise ValueError(browser)


# The browser showing our log-in page, started and focused on the user field. With
# `wayland` a native Wayland window, `window` its container in sway's tree.
class BrowserTarget:
    def __init__(self, browser, wayland=False):
        self.browser = browser
        self.commands_sent = 0
        self.server = PageServer()
        self.dir = tempfile.mkdtemp(prefix="kelpo-%s-" % browser)
        profile = os.path.join(self.dir, "profile")
        os.makedirs(profile)
        self.log_path = os.path.join(self.dir, "browser.log")
        env = dict(os.environ, LC_ALL="C.UTF-8")
        env.pop("ASAN_OPTIONS", None)
        if wayland:
            env["MOZ_ENABLE_WAYLAND"] = "1"
        with open(self.log_path, "w") as log:
            # A session of its own, so the browser and its helpers end together.
            self.proc = subprocess.Popen(browser_command(browser, profile, self.server.url,
                                                         wayland),
                                         stdout=log, stderr=log, env=env,
                                         start_new_session=True)
        try:
            # A browser's first start on a busy machine takes a while.
            find = wl.visible_window if wayland else visible_window
            self.window = wait_for(lambda: find("Browser Target"), browser + "'s window",
                                   self.log_tail, seconds=60)
            # Clear of the program's main window, whose entries the tests click.
            if wayland:
                wl.swaymsg("[con_id=%d]" % self.window, "resize", "set", 720, 560)
                wl.place(self.window, 520, 300)
                wl.focus(self.window)
            else:
                xdo("windowsize", self.window, 720, 560, check=False)
                xdo("windowmove", self.window, 520, 300, check=False)
                xdo("windowactivate", self.window, check=False)
            self.wait(lambda s: s.get("focus") == "user", "the page's user field")
            self.command("the page to count focus losses", ready=True)
        except BaseException:
            self.stop()
            raise

    def log_tail(self):
        with open(self.log_path, errors="replace") as log:
            return "; the browser said:\n" + log.read()[-3000:]

    def state(self):
        return self.server.state()

    def wait(self, predicate, what):
        return wait_for(lambda: (lambda s: s if s and predicate(s) else None)(self.state()),
                        what, lambda: "; the page said %r" % self.state())

    # Hands the page a command and waits until it was carried out: a state that merely
    # looks right may come before the command, which would then land in a later case.
    def command(self, what, **command):
        self.commands_sent += 1
        command["id"] = self.commands_sent
        self.server.commands.put(command)
        return self.wait(lambda s: s.get("done", 0) >= command["id"], what)

    # Puts the focus in `name`, having emptied the fields if asked to.
    def click_field(self, name, clear=False):
        self.command("focus in " + name, focus=name, clear=clear)
        self.wait(lambda s: s["focus"] == name, "focus in " + name)

    def clear(self, name):
        self.click_field(name, clear=True)

    def stop(self):
        try:
            os.killpg(self.proc.pid, signal.SIGTERM)
            self.proc.wait(10)
        except subprocess.TimeoutExpired:
            os.killpg(self.proc.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        self.proc.wait()
        self.server.stop()
        shutil.rmtree(self.dir, ignore_errors=True)


# The characters of 0x80-0x9F, which no usual layout has, the per-mille sign among them.
WINDOWS_ONLY = "€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ Zoë ßñé"
HIDDEN = "Pa55+%^~(){}word"
CLIPS = ["jane.doe", HIDDEN, "{Enter}", "{Stop Auto}", ASCII_200, WINDOWS_ONLY, "{Tab}{02}",
         "{Shift+Tab}"]


def every_character_under_each_layout(browser):
    # Finnish has the per-mille sign on a key of its own (AltGr+5).
    for layout in ("us", "de", "fr", "fi"):
        run("setxkbmap", layout)
        before = keymap()
        browser.clear("notes")
        if layout == "de":  # the user's Caps Lock must not invert the case
            xdo("key", "Caps_Lock")
        # By the key sender itself, the brace notation's own characters typed literally.
        keys = "".join("{%s}" % c if c in "+^%~(){}" else c for c in WINDOWS_1252)
        check(run(HELPERS + "/sendkeys", keys).split() == ["sending", "Ok"], "sendkeys failed")
        wait_for(lambda: browser.state()["notes"] == WINDOWS_1252, "all characters under " + layout,
                 lambda: "; missing %r" % (set(WINDOWS_1252) - set(browser.state()["notes"])))
        check(keymap() == before, "the keymap under %s was not restored" % layout)
        if layout == "de":
            check("Caps Lock:   on" in run("xset", "q"), "the user's Caps Lock was changed")
            xdo("key", "Caps_Lock")
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

        # User, hidden password, Enter; the clips after {Stop Auto} stay out.
        kelpo.click_insertion("AutoBtn")
        s = browser.wait(lambda s: s["submitted"] == 1, "the Auto Insert log-in")
        check(s["last"] == {"user": "jane.doe", "password": HIDDEN, "notes": ""},
              "Auto Insert typed %r" % s["last"])
        keeps_focus("Auto Insert")

        # A left click types the clip over what the field holds and moves on with Tab.
        browser.click_field("user")
        kelpo.click_insertion("Names_4")
        s = browser.wait(lambda s: s["focus"] == "password", "Tab after the 200 characters")
        check(s["user"] == ASCII_200, "the 200-character clip arrived as %r" % s["user"])
        browser.click_field("user")
        kelpo.click_insertion("Names_0")
        browser.wait(lambda s: s["user"] == "jane.doe" and s["focus"] == "password", "overwrite")
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
        print("page state: %r\nactive window: %d, browser: %d%s" % (
            browser.state(), active_window(), browser.window, browser.log_tail()))
        raise
    finally:
        browser.stop()
    print("PASS")


if __name__ == "__main__":
    main(sys.argv[1])

# Shared pieces of the end-to-end runs with the real kelpo binary: a prepared data folder,
# the log-in form that receives the keys, window look-ups and real pointer clicks (xdotool).
# Everything runs on the private display that run-in-x.sh provides.
import json, os, re, subprocess, tempfile, time
from pathlib import Path

KELPO_BIN = os.environ["KELPO_BIN"]
HELPERS = os.path.join(os.environ.get("KELPO_BUILD", ""), "tests")


Failure = AssertionError  # what check raises; a plain assert fails a run the same way


def check(condition, message):
    if not condition:
        raise Failure(message)


def run(*args, check=True):
    return subprocess.run([str(a) for a in args], check=check, capture_output=True,
                          text=True).stdout


# Polls `predicate` for up to `seconds`; `detail` adds to the message of a failure.
def wait_for(predicate, what, detail=lambda: "", seconds=10):
    deadline = time.monotonic() + seconds
    while not (value := predicate()):
        check(time.monotonic() < deadline, "timed out waiting for " + what + detail())
        time.sleep(0.02)
    return value


def xdo(*args, check=True):
    return run("xdotool", *args, check=check)


# The whole keymap: the core table too, as the XKB dump leaves out keycodes without a name,
# and the key sender's spare keys are often among them.
def keymap():
    return run("sh", "-c", 'xkbcomp -xkb "$DISPLAY" - 2>/dev/null; xmodmap -pke')


def active_window():
    return int(xdo("getactivewindow", check=False) or 0)


def visible_window(title_regex):
    found = xdo("search", "--onlyvisible", "--name", title_regex, check=False).split()
    return int(found[0]) if found else 0


def client_origin(window):
    info = run("xwininfo", "-id", window)
    return [int(re.search(r"Absolute upper-left %s:\s+(-?\d+)" % a, info).group(1)) for a in "XY"]


# A real click at `place`, given in the client coordinates of `window`.
def click_in(window, place, button=1):
    x, y = client_origin(window)
    xdo("mousemove", "--sync", x + place[0], y + place[1], "click", button)


# A data folder holding one entry, written by the program's own file code.
class DataFolder:
    def __init__(self, name, clips, hidden=(), url="", password="", slot=0):
        self.dir = tempfile.TemporaryDirectory(prefix="kelpo-e2e-")
        self.path = self.dir.name
        run(HELPERS + "/makeentry", "--library", os.path.join(self.path, "Lib1"), "--slot",
            str(slot), "--name", name, "--url", url, "--password", password,
            "--hidden", ",".join(str(h) for h in hidden), "--", *clips)


# The log-in form that holds the keyboard focus and records what it receives.
class FormTarget:
    def __init__(self, workdir):
        self.state_path = os.path.join(workdir, "form.json")
        self.proc = subprocess.Popen([HELPERS + "/formtarget", "--out", self.state_path],
                                     stdout=subprocess.PIPE, text=True)
        self.window = int(self.proc.stdout.readline().split()[1])  # "ready <window id>"
        lines = (self.proc.stdout.readline().split() for _ in range(4))
        self.places = {name: (int(x), int(y)) for name, x, y in lines}

    def state(self):
        try:
            return json.loads(Path(self.state_path).read_text(encoding="utf-8"))
        except (OSError, ValueError):
            return {}

    def wait(self, predicate, what):
        return wait_for(lambda: (lambda s: s if s and predicate(s) else None)(self.state()), what)

    def click_field(self, name):
        xdo("mousemove", "--sync", *self.places[name], "click", 1)
        self.wait(lambda s: s["focus"] == name, "focus in " + name)

    def stop(self):
        self.proc.terminate()
        self.proc.wait(5)


# The program under test over a data folder, with its windows' control places.
# `places`: the control places of an earlier run, which saves probing them again.
class Kelpo:
    def __init__(self, data, env=None, places=None):
        self.log_path = os.path.join(data.path, "kelpo-stderr.log")
        with open(self.log_path, "w") as log:
            self.proc = subprocess.Popen([KELPO_BIN, "--data-dir", data.path], env=env,
                                         stdout=log, stderr=log)
        # Centres of the controls, per window, in client coordinates.
        self.places = places or {}
        for line in [] if places else run(HELPERS + "/layoutprobe").splitlines():
            window, control, x, y = line.split()
            self.places.setdefault(window, {})[control] = (int(x), int(y))
        self.main = wait_for(lambda: self.find_window("^ Kelpo$"), "the main window",
                             lambda: "; kelpo said:\n" + self.errors())

    # The window system's side, which the Wayland runs replace.
    find_window = staticmethod(visible_window)
    click = staticmethod(click_in)

    def insertion_window(self):
        return self.find_window(r"^ Kelpo \(Insertion\)$")

    def click_insertion(self, control, button=1):
        window = wait_for(self.insertion_window, "the insertion window")
        self.click(window, self.places["DoIt"][control], button)

    def click_name(self, slot, button=1):
        self.click(self.main, self.places["Pages"]["Pagenames_%d" % slot], button)

    def errors(self):
        return Path(self.log_path).read_text(encoding="utf-8", errors="replace")

    # Ends the program; a sanitizer report in its output fails the run.
    def stop(self):
        self.proc.terminate()
        self.proc.wait(10)
        errors = self.errors()
        check(not re.search("AddressSanitizer|runtime error", errors), "sanitizer said:\n" + errors)


# Makes the form the program's target and opens the entry of `slot` with a real click on
# its name (`before_insertion` answers what comes in between, such as the password prompt).
# Returns the insertion window once the form has the keyboard again.
def open_entry_for(kelpo, form, slot=0, before_insertion=lambda: None):
    xdo("windowactivate", "--sync", form.window)
    # The main window's one-second tick takes the last foreign window as the target.
    time.sleep(1.2)
    kelpo.click_name(slot)
    before_insertion()
    window = wait_for(kelpo.insertion_window, "the insertion window")
    wait_for(lambda: active_window() == form.window, "the form to have the keyboard back")
    form.wait(lambda s: s["focus"] == "user", "focus in the user field")
    return window


# Runs a test script's main: PASS, or (uncaught) the failure and exit status 1.
def main_guard(main):
    main()
    print("PASS")

"""Shared pieces of the end-to-end runs with the real kelpo binary: a prepared data folder,
the log-in form that receives the keys, window look-ups and real pointer clicks (xdotool).
Everything runs on the private display that run-in-x.sh provides."""
import json
import os
import re
import subprocess
import tempfile
import time

BUILD = os.environ.get("KELPO_BUILD", "")
KELPO_BIN = os.environ.get("KELPO_BIN", os.path.join(BUILD, "kelpo"))
HELPERS = os.path.join(BUILD, "tests")


class Failure(Exception):
    pass


def helper(name):
    return os.path.join(HELPERS, name)


def run(*args, **kwargs):
    return subprocess.run(args, check=True, capture_output=True, text=True, **kwargs).stdout


def wait_for(predicate, what, timeout=10.0):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure("timed out waiting for " + what)
        time.sleep(0.02)


def xdo(*args):
    return run("xdotool", *[str(a) for a in args])


def active_window():
    out = subprocess.run(["xdotool", "getactivewindow"], capture_output=True, text=True)
    return int(out.stdout.strip()) if out.returncode == 0 and out.stdout.strip() else 0


def visible_window(title_regex):
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title_regex],
                         capture_output=True, text=True)
    ids = [int(x) for x in out.stdout.split()]
    return ids[0] if ids else 0


def client_origin(window):
    info = run("xwininfo", "-id", str(window))
    x = int(re.search(r"Absolute upper-left X:\s+(-?\d+)", info).group(1))
    y = int(re.search(r"Absolute upper-left Y:\s+(-?\d+)", info).group(1))
    return x, y


def layout():
    """Centres of the controls, per window, in client coordinates."""
    places = {}
    for line in run(helper("layoutprobe")).splitlines():
        window, control, x, y = line.split()
        places.setdefault(window, {})[control] = (int(x), int(y))
    return places


def click(x, y, button=1):
    xdo("mousemove", "--sync", x, y)
    xdo("click", button)


class DataFolder:
    """A data folder holding one entry in slot 0 of the first library."""

    def __init__(self, name, clips, hidden=(), url=""):
        self.dir = tempfile.TemporaryDirectory(prefix="kelpo-e2e-")
        self.path = self.dir.name
        args = [helper("makeentry"), "--library", os.path.join(self.path, "Lib1"),
                "--slot", "0", "--name", name, "--url", url]
        if hidden:
            args += ["--hidden", ",".join(str(h) for h in hidden)]
        run(*args, "--", *clips)


class FormTarget:
    """The log-in form that holds the keyboard focus and records what it receives."""

    def __init__(self, workdir):
        self.state_path = os.path.join(workdir, "form.json")
        self.proc = subprocess.Popen([helper("formtarget"), "--out", self.state_path],
                                     stdout=subprocess.PIPE, text=True)
        first = self.proc.stdout.readline().split()
        if len(first) != 2 or first[0] != "ready":
            raise Failure("form target did not start")
        self.window = int(first[1])
        self.places = {}
        for _ in range(4):
            name, x, y = self.proc.stdout.readline().split()
            self.places[name] = (int(x), int(y))

    def state(self):
        try:
            with open(self.state_path, encoding="utf-8") as f:
                return json.load(f)
        except (OSError, ValueError):
            return {}

    def wait(self, predicate, what, timeout=10.0):
        return wait_for(lambda: (lambda s: s if s and predicate(s) else None)(self.state()),
                        what, timeout)

    def click_field(self, name):
        click(*self.places[name])
        self.wait(lambda s: s["focus"] == name, "focus in " + name)

    def stop(self):
        self.proc.terminate()
        self.proc.wait(5)


class Kelpo:
    """The program under test over a data folder, with its windows' control places."""

    def __init__(self, data):
        self.log_path = os.path.join(data.path, "kelpo-stderr.log")
        with open(self.log_path, "w") as log:
            self.proc = subprocess.Popen([KELPO_BIN, "--data-dir", data.path],
                                         stdout=subprocess.DEVNULL, stderr=log)
        self.places = layout()
        try:
            self.main = wait_for(lambda: visible_window("^ Kelpo$"), "the main window")
        except Failure:
            self.stop()
            raise Failure("the main window did not appear; kelpo said:\n" + self.errors())

    def insertion_window(self):
        return visible_window(r"Kelpo \(Insertion\)")

    def click_name(self, slot, button=1):
        ox, oy = client_origin(self.main)
        x, y = self.places["Pages"]["Pagenames_%d" % slot]
        click(ox + x, oy + y, button)

    def click_insertion(self, control, button=1):
        window = self.insertion_window()
        if not window:
            raise Failure("the insertion window is not shown")
        ox, oy = client_origin(window)
        x, y = self.places["DoIt"][control]
        click(ox + x, oy + y, button)

    def errors(self):
        with open(self.log_path, encoding="utf-8", errors="replace") as log:
            return log.read()

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


def open_entry_for(kelpo, form):
    """Makes the form the program's target and opens the entry of slot 0 with a real click
    on its name. Returns the insertion window once the form has the keyboard again."""
    xdo("windowactivate", "--sync", form.window)
    # The main window's one-second tick takes the last foreign window as the target.
    time.sleep(1.2)
    kelpo.click_name(0)
    window = wait_for(kelpo.insertion_window, "the insertion window")
    wait_for(lambda: active_window() == form.window, "the form to have the keyboard back")
    form.wait(lambda s: s["focus"] == "user", "focus in the user field")
    return window

# The Wayland side of the end-to-end runs, on the private sway that run-in-sway.sh provides:
# window look-ups, places and focus from sway's own tree (a Wayland client does not know
# where its window is), and real pointer clicks through the seat's virtual pointer. Windows
# are known by sway's container id. Waiting, checks and the data folder come from kelpo_e2e.
import json
import os
import re
import subprocess

from kelpo_e2e import HELPERS, FormTarget, check, run, wait_for  # noqa: F401 (for the tests)


def swaymsg(*args, check=True):
    return run("swaymsg", *args, check=check)


def tree():
    return json.loads(swaymsg("-r", "-t", "get_tree"))


# Every window (sway's views), tiled or floating, on every output and workspace.
def views(node=None):
    node = node or tree()
    children = node.get("nodes", []) + node.get("floating_nodes", [])
    if not children and node.get("type") in ("con", "floating_con") and "shell" in node:
        yield node
    for child in children:
        yield from views(child)


def view(con_id):
    return next((v for v in views() if v["id"] == con_id), None)


# The first visible window whose title matches `title_regex` (or that `pid` shows), else 0.
def visible_window(title_regex=None, pid=None):
    for v in views():
        if v.get("visible") and (pid is None or v.get("pid") == pid) and \
                (title_regex is None or re.search(title_regex, v.get("name") or "")):
            return v["id"]
    return 0


def focused_window():
    return next((v["id"] for v in views() if v.get("focused")), 0)


def focus(con_id):
    swaymsg("[con_id=%d]" % con_id, "focus")


# Puts the window's top left corner at (x, y) of the layout.
def place(con_id, x, y):
    swaymsg("[con_id=%d]" % con_id, "move", "absolute", "position", x, y)


# Where the window's surface starts, in layout coordinates: its client coordinates
# (a Qt window's mapTo it) are relative to this. The view's geometry offset is what a
# client with shadows of its own draws outside the window proper.
def client_origin(con_id):
    v = view(con_id)
    check(v is not None, "no window %d in sway's tree" % con_id)
    return (v["rect"]["x"] + v["window_rect"]["x"] - v["geometry"]["x"],
            v["rect"]["y"] + v["window_rect"]["y"] - v["geometry"]["y"])


# The seat's pointer (wlseat's virtual pointer, driven by the compositor's own cursor
# commands): `move` to a place of the layout, `click` there with a button (1 left, 2 middle,
# 3 right).
def pointer(action, x, y, button=1):
    swaymsg("seat", "-", "cursor", "set", x, y)
    if action == "click":
        for state in ("press", "release"):
            swaymsg("seat", "-", "cursor", state, "button%d" % button)


# A real click at `place`, given in the client coordinates of the window `con_id`.
def click_in(con_id, place, button=1):
    x, y = client_origin(con_id)
    pointer("click", x + place[0], y + place[1], button)


def move_in(con_id, place):
    x, y = client_origin(con_id)
    pointer("move", x + place[0], y + place[1])


# The log-in form of kelpo_e2e as a native Wayland window, its places in client coordinates
# and `window` its container in sway's tree.
class WaylandFormTarget(FormTarget):
    def __init__(self, workdir, name="form"):
        self.state_path = os.path.join(workdir, name + ".json")
        self.proc = subprocess.Popen([HELPERS + "/formtarget", "--client", "--out",
                                      self.state_path], stdout=subprocess.PIPE, text=True)
        ready = self.proc.stdout.readline()  # "ready <id>": the id is no use under Wayland
        check(ready.startswith("ready "), "the form did not start: %r" % ready)
        lines = (self.proc.stdout.readline().split() for _ in range(4))
        self.places = {name: (int(x), int(y)) for name, x, y in lines}
        self.window = wait_for(lambda: visible_window(pid=self.proc.pid), "the form's window")

    def click_field(self, name):
        click_in(self.window, self.places[name])
        self.wait(lambda s: s["focus"] == name, "focus in " + name)

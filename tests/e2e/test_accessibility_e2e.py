#!/usr/bin/python3
"""Tinevox as a screen reader meets it: the real program on the rig's X server, read
through the AT-SPI tree of a private session bus (run it under dbus-run-session).

Every control of the main window, its menus and its dialogs has a name a person
understands, and Tab in either mode stops only at controls that are shown on the
window, in the designed order. Then Orca itself, speaking only into its debug log, says
at every Tab stop of the window and of the settings dialog the name, the role and the
value a control holds, with a tone playing too, and the keys that once froze the window
leave it answering. Exits non-zero when a check fails."""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import pyatspi

# Controls a user acts on; a label that has actions of its own counts too.
CONTROL_ROLES = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_RADIO_BUTTON,
    pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY, pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_SLIDER, pyatspi.ROLE_COMBO_BOX,
    pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_CHECK_MENU_ITEM, pyatspi.ROLE_RADIO_MENU_ITEM,
}

# Tab from the first focus round to it again: the designed order with the band buttons
# as one stop, on the chosen band (the arrow keys choose among them), then the three
# menu labels.
UPPER = ["First speed", "Lower first speed", "Raise first speed", "Stop tone", "Play tone", "Close", "Volume"]
LOWER = ["Second speed", "Raise second speed", "Lower second speed"]
REST = ["Minimise", "X band", "Mode", "Settings", "Help", "First speed"]
TAB_ROWS = [("stationary", None, UPPER + REST), ("moving", "m", UPPER + LOWER + REST)]

failures = []


def check(condition, what):
    print(("PASS   : " if condition else "FAIL!  : ") + what, flush=True)
    if not condition:
        failures.append(what)
    return condition


def wait_for(probe, timeout=20.0):
    """Polls until probe gives something true; returns it, or None when time runs out."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value or time.monotonic() > deadline:
            return value
        time.sleep(0.05)


def descendants(accessible):
    yield accessible
    for i in range(accessible.childCount):
        child = accessible.getChildAtIndex(i)
        if child is not None:
            yield from descendants(child)


def actions(accessible):
    try:
        action = accessible.queryAction()
    except NotImplementedError:
        return []
    return [action.getName(i) for i in range(action.nActions)]


def act(accessible, name):
    action = accessible.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    action.doAction(names.index(name))


def labels_of(accessible):
    """The names of the labels that name a control (a list is named so on Linux: its own
    name is the entry shown)."""
    return [r.getTarget(i).name for r in accessible.getRelationSet()
            if r.getRelationType() == pyatspi.RELATION_LABELLED_BY for i in range(r.getNTargets())]


def unnamed(accessible):
    """Why a control's name says nothing to a person, or None when it does."""
    name = accessible.name
    if name != name.strip():
        return "blanks around the name"
    if not any(re.search(r"[^\W\d_]{2}", n) and n == n.strip() for n in [name] + labels_of(accessible)):
        return "no name" if not name else "only glyphs"
    return None


def badly_named(root):
    found = []
    for a in descendants(root):
        role = a.getRole()
        acts = role == pyatspi.ROLE_LABEL and [n for n in actions(a) if n != "SetFocus"]
        if role in CONTROL_ROLES or acts:
            why = unnamed(a)
            if why:
                found.append("%s %r: %s" % (a.getRoleName(), a.name, why))
    return found


def showing(a):
    return a.getState().contains(pyatspi.STATE_SHOWING)


class Tinevox:
    def __init__(self, stored=None):
        self.scratch = tempfile.mkdtemp(prefix="a11y-", dir=os.environ.get("TINEVOX_TEST_TMP"))
        built = os.environ["TINEVOX_TEST_APP_DIR"]
        for name in ("tinevox", "echolet.dll"):
            shutil.copy(os.path.join(built, name), self.scratch)
        os.chmod(self.scratch, 0o700)
        if stored:
            os.makedirs(os.path.join(self.scratch, "config"))
            with open(os.path.join(self.scratch, "config", "Tinecheck.conf"), "w") as f:
                f.write("[Settings]\n" + "".join("%s=%s\n" % row for row in stored.items()))
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", XDG_RUNTIME_DIR=self.scratch,
                   XDG_CONFIG_HOME=os.path.join(self.scratch, "config"))
        env.pop("QT_QPA_PLATFORM", None)
        self.process = subprocess.Popen([os.path.join(self.scratch, "tinevox")], env=env)
        self.app = wait_for(self._application)
        self.window = self.app and wait_for(lambda: self.top_level(pyatspi.ROLE_FILLER, "Tinevox"))

    def _application(self):
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            a = desktop.getChildAtIndex(i)
            if a is not None and a.get_process_id() == self.process.pid:
                return a
        return None

    def top_level(self, role, name=None):
        for i in range(self.app.childCount):
            a = self.app.getChildAtIndex(i)
            if a is not None and a.getRole() == role and (name is None or a.name == name) and showing(a):
                return a
        return None

    def control(self, name, root=None):
        return next((a for a in descendants(root or self.window) if a.name == name and a.getRole() != pyatspi.ROLE_LABEL),
                    None)

    def focused(self):
        for root in (self.app.getChildAtIndex(i) for i in range(self.app.childCount)):
            for a in descendants(root):
                if a.getState().contains(pyatspi.STATE_FOCUSED):
                    return a
        return None

    def mapped_windows(self):
        """The program's windows mapped on the X server: the main window, a popup menu."""
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.process.pid)],
                             capture_output=True, text=True).stdout
        return len(out.split())

    def end(self):
        self.process.send_signal(signal.SIGTERM)
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        shutil.rmtree(self.scratch, ignore_errors=True)


def key(*keys):
    subprocess.run(["xdotool", "key", "--delay", "50", *keys], check=True)


def every_control_is_named(t):
    """The main window, the settings dialog opened by its label's action (as a screen
    reader presses it), the Mode and Help menus, and the About dialog."""
    check(badly_named(t.window) == [], "main window: %s" % badly_named(t.window))
    for label, opens in (("Mode", "ShowMenu"), ("Settings", "Press"), ("Help", "ShowMenu")):
        check(t.control(label) is not None and opens in actions(t.control(label)),
              "%s is a button whose action %s opens it" % (label, opens))

    act(t.control("Settings"), "Press")
    dialog = wait_for(lambda: t.top_level(pyatspi.ROLE_DIALOG, "Settings"))
    if check(dialog is not None, "the Settings label's action opens the dialog"):
        check(badly_named(dialog) == [], "settings dialog: %s" % badly_named(dialog))
        for role, name in (("combo box", "X Frequency"), ("combo box", "K Frequency"), ("combo box", "Bytes per Cycle"),
                           ("text", "Ka Frequency")):
            check(any(a.getRoleName() == role and name in labels_of(a) for a in descendants(dialog)),
                  "a %s named by the label %r" % (role, name))
        act(t.control("Cancel", dialog), "Press")
        check(wait_for(lambda: t.top_level(pyatspi.ROLE_DIALOG, "Settings") is None), "Cancel closes the dialog")

    # A popup menu is no window of the application's tree (a screen reader follows it by
    # its events): the menu is seen mapped on the X server, and its access keys act.
    act(t.control("Help"), "ShowMenu")
    if check(wait_for(lambda: t.mapped_windows() == 2), "the Help label's action opens a menu"):
        key("a")  # "&About"
        about = wait_for(lambda: t.top_level(pyatspi.ROLE_DIALOG, "About"))
        if check(about is not None, "About opens from the Help menu"):
            check(badly_named(about) == [], "About dialog: %s" % badly_named(about))
            key("Return")  # OK has the focus
            check(wait_for(lambda: t.top_level(pyatspi.ROLE_DIALOG, "About") is None), "OK closes About")


def tab_stops_only_on_what_is_shown(t, row, mode_key, stops):
    """Each Tab lands on the next stop, which is shown and lies on the window."""
    if mode_key:
        key("alt+m")
        if not check(wait_for(lambda: t.mapped_windows() == 2), "%s: Alt+M opens the Mode menu" % row):
            return
        key(mode_key)
        check(wait_for(lambda: t.mapped_windows() == 1), "%s: the menu closes" % row)
    window = t.window.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    check(wait_for(lambda: t.focused() is not None and t.focused().name == stops[0]),
          "%s: the first speed has the focus" % row)
    for expected in stops[1:]:
        key("Tab")
        now = wait_for(lambda: t.focused() if t.focused() is not None and t.focused().name == expected else None, 5)
        if not check(now is not None, "%s: Tab reaches %r (the focus is on %r)" %
                     (row, expected, t.focused() and t.focused().name)):
            return
        box = now.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        inside = (box.x >= window.x and box.y >= window.y and box.x + box.width <= window.x + window.width
                  and box.y + box.height <= window.y + window.height)
        check(showing(now) and inside, "%s: %r is shown on the window" % (row, expected))


class Orca:
    """Orca on the private session bus, its speech going only into its debug log."""

    def __init__(self, scratch):
        self.log = os.path.join(scratch, "orca.log")
        prefs = os.path.join(scratch, "orca-prefs")
        os.makedirs(prefs)
        # Orca's own hook for its user: its log is written line by line, so that what
        # it says can be waited for as it says it.
        with open(os.path.join(prefs, "orca-customizations.py"), "w") as f:
            f.write("import orca.debug\nif orca.debug.debugFile:\n    orca.debug.debugFile.reconfigure(line_buffering=True)\n")
        self.process = subprocess.Popen(["orca", "--replace", "--disable", "speech", "--debug-file", self.log,
                                         "--user-prefs", prefs], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.ready = wait_for(lambda: "Startup complete" in self._read(), 60)
        self.heard = 0

    def _read(self):
        try:
            with open(self.log, errors="replace") as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def utterances(self):
        return re.findall(r"SPEECH OUTPUT: '(.*?)' ?\{", self._read())

    def after(self, keys, *expected):
        """Presses keys and waits until Orca has said every expected text (in one
        utterance each, in any order); returns what it said since the keys."""
        start = len(self.utterances())
        key(*keys)
        said = lambda: self.utterances()[start:]
        wait_for(lambda: all(any(e in u for u in said()) for e in expected), 10)
        return said()

    def end(self):
        self.process.terminate()
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


def sink_percent():
    out = subprocess.run(["pactl", "get-sink-volume", "@DEFAULT_SINK@"], capture_output=True, text=True).stdout
    return int(re.search(r"(\d+)%", out).group(1))


def plays(t):
    out = subprocess.run(["pactl", "list", "sink-inputs"], capture_output=True, text=True).stdout
    return ('application.process.id = "%d"' % t.process.pid) in out


# Stored so that each value is one a screen reader once got wrong ("36" as "3", "35.2"
# as "35.").
STORED = {"Speed": "36", "Band": "K", "XFreq": "9.41", "KFreq": "24.125", "KaFreq": "35.2", "Accuracy": "25",
          "ShowFreq": "1"}


def tab_rows(t, playing):
    """What Orca says at each Tab stop from the first speed: name and role, and the value."""
    speed = ("First speed read only text" if playing else "First speed text", "%s selected" % STORED["Speed"])
    rows = [("Lower first speed push button",), ("Raise first speed push button",), ("Stop tone push button",),
            ("Play tone push button",), ("Close push button",), ("Volume slider %d" % sink_percent(),),
            ("Minimise push button",), ("Band panel", "K band", "selected radio button"),
            ("Mode push button",), ("Settings push button",), ("Help push button",), speed]
    if playing:  # the speed's step buttons and the bands are locked
        rows = [r for r in rows if "speed push" not in r[0] and r[0] != "Band panel"]
    return rows


def says(orca, keys, expected, what):
    said = orca.after(keys, *expected)
    return check(all(any(e in u for u in said) for e in expected), "%s: Orca says %s (it said %s)" % (what, expected, said))


def orca_speaks_what_is_there(t, orca):
    if not check(orca.ready, "Orca starts"):
        return
    check(wait_for(lambda: any("First speed text" in u for u in orca.utterances())), "Orca hears the first focus")
    check(any(STORED["Speed"] + " selected" in u for u in orca.utterances()), "the first speed is said as it is")
    for expected in tab_rows(t, playing=False):
        says(orca, ["Tab"], expected, "idle, Tab")
        if expected[0] == "Band panel":
            says(orca, ["Down"], ("Ka band", "selected radio button"), "Down on the chosen band")
            check(t.control("Ka band").getState().contains(pyatspi.STATE_CHECKED), "Down chooses the next band")
            says(orca, ["Up"], ("K band", "selected radio button"), "Up")

    go = t.control("Play tone").queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(go.x + go.width // 2), str(go.y + go.height // 2), "click", "1"])
    check(wait_for(lambda: plays(t)), "GO plays a tone")
    for _ in range(12):
        if wait_for(lambda: t.focused() is not None and t.focused().name == "First speed", 1):
            break
        key("Tab")
    for expected in tab_rows(t, playing=True):
        says(orca, ["Tab"], expected, "playing, Tab")
    # The keys that sent Qt's word finder into an endless loop, and the window after them.
    says(orca, ["End", "ctrl+Left"], (STORED["Speed"],), "End, Ctrl+Left")
    says(orca, ["Tab"], ("Stop tone push button",), "the window still answers: Tab")
    key("space")
    check(wait_for(lambda: not plays(t)), "STOP silences the tone")

    says(orca, ["alt+s"], ("Settings dialog",), "Alt+S")
    dialog = [("OK push button",), ("Cancel push button",), ("Bytes per Cycle combo box", STORED["Accuracy"]),
              ("Display Frequency check box checked",), ("K Frequency combo box", STORED["KFreq"]),
              ("X Frequency combo box", STORED["XFreq"]), ("Ka Frequency text", STORED["KaFreq"] + " selected"),
              ("Units panel", "MPH", "selected radio button")]
    for expected in dialog:
        says(orca, ["Tab"], expected, "settings, Tab")


def main():
    if not os.environ.get("DISPLAY") or not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
        print("the rig's X server and a private session bus are needed", file=sys.stderr)
        return 1
    t = Tinevox()
    try:
        if not check(t.window is not None, "the main window is in the accessibility tree"):
            return 1
        every_control_is_named(t)
        # The volume slider is a stop once the sound server has answered.
        check(wait_for(lambda: t.control("Volume").getState().contains(pyatspi.STATE_ENABLED)),
              "the volume slider is enabled")
        for row in TAB_ROWS:
            tab_stops_only_on_what_is_shown(t, *row)
    finally:
        t.end()

    orca = Orca(tempfile.mkdtemp(prefix="orca-", dir=os.environ.get("TINEVOX_TEST_TMP")))
    t = Tinevox(STORED)
    try:
        if check(t.window is not None, "the main window is in the accessibility tree"):
            orca_speaks_what_is_there(t, orca)
    finally:
        t.end()
        orca.end()
    print("Totals: %d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

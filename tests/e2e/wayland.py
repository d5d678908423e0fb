# SPDX-FileCopyrightText: 2026 The Nova Wing authors
# SPDX-License-Identifier: GPL-2.0-or-later

"""A Wayland desktop for the end-to-end tests: sway on wlroots' headless
backend with its software renderer and Xwayland, the windows read from
sway's tree (swaymsg) and screenshots taken with grim.  Keys are typed with
the tool that reaches the window: wtype through the compositor for a native
Wayland window, xdotool on Xwayland's display for an X11 one (Xwayland 24.1
under sway 1.12 hands an X11 client every key wtype types as Escape).

sway refuses to run as root, so when the tests run as root it runs as the
user nobody, with a runtime directory of its own, and so do the game and
xdotool (Xwayland lets in only clients of the compositor's own user); the
game is started inside its directory, which it then reaches by its working
directory even where a folder above is closed to nobody (a checkout under
/root).  wtype, grim and swaymsg run as the test's own user (root reaches
nobody's sockets).
"""

import json
import os
import shutil
import subprocess
import tempfile
import time

import harness
import pictures
from harness import Failure, Skip, wait_for

NEEDED_TOOLS = ("sway", "swaymsg", "wtype", "grim", "Xwayland", "xdotool", "setpriv")


class Sway:
    """One headless sway with Xwayland, stopped with stop()."""

    def __init__(self, log, work, width=1024, height=768, scale=1):
        missing = [t for t in NEEDED_TOOLS if shutil.which(t) is None]
        if missing:
            raise Skip("no Wayland desktop to test on, missing: " + ", ".join(missing))
        self.log = log
        self.runtime = tempfile.mkdtemp(prefix="novawing-wayland-", dir=work)
        config = os.path.join(self.runtime, "sway.conf")
        with open(config, "w") as f:
            # One output of a known size; windows without borders or title
            # bars, so a window's rectangle is its picture; Xwayland for the
            # X11 clients.
            f.write(f"output HEADLESS-1 resolution {width}x{height} position 0 0\n"
                    "default_border none\ndefault_floating_border none\n"
                    "xwayland enable\n")
            if scale != 1:
                # A desktop at that scale, where the game's native window
                # floats at its own size, as the X11 one does, rather than
                # filling a tile.
                f.write(f"output HEADLESS-1 scale {scale}\n"
                        'for_window [app_id="novawing"] floating enable\n')
        command = ["sway", "-c", config]
        # What starts a client as the compositor's user.
        self.as_user = ""
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": self.runtime,
               "XDG_RUNTIME_DIR": self.runtime, "WLR_BACKENDS": "headless",
               "WLR_RENDERER": "pixman", "WLR_LIBINPUT_NO_DEVICES": "1"}
        if os.geteuid() == 0:
            os.chmod(work, 0o755)
            os.chown(self.runtime, 65534, 65534)
            self.as_user = "setpriv --reuid=65534 --regid=65534 --clear-groups "
            command = self.as_user.split() + command
        os.chmod(self.runtime, 0o700)
        self.log_path = os.path.join(work, "sway.log")
        self.process = subprocess.Popen(
            command, env=env, stdout=subprocess.DEVNULL, stderr=open(self.log_path, "w"),
            start_new_session=True, cwd=self.runtime)
        try:
            self.socket = wait_for("sway's IPC socket", self._ipc_socket, 20, 0.1)
            self.env = dict(os.environ, XDG_RUNTIME_DIR=self.runtime, SWAYSOCK=self.socket,
                            WAYLAND_DISPLAY=wait_for("sway's Wayland socket",
                                                     self._wayland_socket, 20, 0.1))
            self.env.pop("DISPLAY", None)
            self.display = self._xwayland_display()
            self.env["DISPLAY"] = self.display
        except BaseException:
            self.stop()
            raise
        log(f"sway {width}x{height} headless at scale {scale}, {self.env['WAYLAND_DISPLAY']}, "
            f"Xwayland on {self.display}")

    def _ipc_socket(self):
        if self.process.poll() is not None:
            raise Failure(f"sway ended at once: {self.log_tail()}")
        for name in os.listdir(self.runtime):
            if name.startswith("sway-ipc."):
                return os.path.join(self.runtime, name)
        return None

    def _wayland_socket(self):
        for name in sorted(os.listdir(self.runtime)):
            if name.startswith("wayland-") and not name.endswith(".lock"):
                return name
        return None

    def _xwayland_display(self):
        """The X display sway gives its clients, asked of a client it starts."""
        answer = os.path.join(self.runtime, "display.txt")
        self.msg("exec", f"echo \"$DISPLAY\" > {answer}.part && mv {answer}.part {answer}")
        display = wait_for("sway's Xwayland display", lambda: harness.Game._read(answer), 20)
        if not display.startswith(":"):
            raise Failure(f"sway gave its clients no X display: {display!r}")
        return display

    def log_tail(self):
        try:
            with open(self.log_path, errors="replace") as f:
                return " | ".join(f.read().strip().splitlines()[-5:])
        except FileNotFoundError:
            return ""

    def run(self, *args, timeout=20):
        return subprocess.run(list(args), env=self.env, capture_output=True, text=True,
                              timeout=timeout)

    def msg(self, *args):
        result = self.run("swaymsg", *args)
        if result.returncode != 0:
            raise Failure(f"swaymsg {' '.join(args)} failed: {result.stderr.strip()}")
        return result.stdout

    def windows(self):
        """Every window in sway's tree: its app_id (native Wayland) or X11
        class (Xwayland), the process it belongs to and where its picture is."""
        found = []

        def walk(node):
            if node.get("pid") is not None and node.get("type") in ("con", "floating_con"):
                props = node.get("window_properties") or {}
                rect, inner = node["rect"], node["window_rect"]
                found.append({
                    "shell": node.get("shell"), "app_id": node.get("app_id"),
                    "class": props.get("class"), "pid": node["pid"],
                    "focused": node.get("focused"),
                    "box": (rect["x"] + inner["x"], rect["y"] + inner["y"],
                            inner["width"], inner["height"])})
            for child in node.get("nodes", []) + node.get("floating_nodes", []):
                walk(child)

        walk(json.loads(self.msg("-t", "get_tree", "-r")))
        return found

    def window_named(self, name, timeout=20):
        """The window whose app_id or X11 class is `name`, once it has a size."""
        def look():
            for window in self.windows():
                if name in (window["app_id"], window["class"]) and window["box"][2] > 0:
                    return window
            return None

        try:
            return wait_for(f"a window named {name} in sway's tree", look, timeout, 0.1)
        except Failure:
            raise Failure(f"no window named {name}; sway has {self.windows()}")

    def screenshot(self, box, path):
        x, y, w, h = box
        result = self.run("grim", "-t", "ppm", "-g", f"{x},{y} {w}x{h}", path)
        if result.returncode != 0:
            raise Failure(f"grim failed: {result.stderr.strip()}")
        return pictures.read_ppm(path)

    def hold(self, window, key, milliseconds):
        """Presses a key and lets it go later: for an X11 window through
        Xwayland's test extension (xdotool), which delivers it to the window
        Xwayland gives the focus, as sway tells it; for a native one on
        sway's virtual keyboard (wtype)."""
        if window["shell"] == "xwayland":
            tool = "xdotool"
            result = self.run(*self.as_user.split(), "xdotool", "keydown", key,
                              "sleep", f"{milliseconds / 1000:g}", "keyup", key)
        else:
            tool = "wtype"
            result = self.run("wtype", "-P", key, "-s", str(milliseconds), "-p", key)
        if result.returncode != 0:
            raise Failure(f"{tool} failed: {result.stderr.strip()}")

    def stop(self):
        if self.process.poll() is None:
            os.killpg(self.process.pid, 15)
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                os.killpg(self.process.pid, 9)
                self.process.wait()


class WaylandSession(harness.Session):
    """A Session whose desktop is sway instead of a bare X server.  The
    terminal's shell gets sway's WAYLAND_DISPLAY and Xwayland's DISPLAY.
    With a screen_size, sway's output has that many pixels; with a scale,
    it is a desktop at that scale."""

    def __init__(self, artifacts, scale=1, **options):
        super().__init__(artifacts, **options)
        self.scale = scale

    def __enter__(self):
        cols, rows, alternate_screen, (width, height) = self.options
        try:
            self.x = Sway(self.log, self.work, width, height, self.scale)
            env = {key: self.x.env[key] for key in ("DISPLAY", "WAYLAND_DISPLAY",
                                                    "XDG_RUNTIME_DIR")}
            self.terminal = harness.Terminal(self.log, self.work, cols, rows, env,
                                             alternate_screen)
        except BaseException:
            self.close()
            raise
        return self


def wait_picture(session, window, what, probe, label=None, timeout=10):
    """Screenshots of the window through the compositor until one satisfies
    `probe`; returns it, saved as a PNG among the artifacts with a label."""
    path = os.path.join(session.work, "shot.ppm")

    def look():
        shot = session.x.screenshot(window["box"], path)
        return shot if probe(shot) else None

    try:
        shot = wait_for(what, look, timeout, 0.1)
    except Failure:
        shot = session.x.screenshot(window["box"], path)
        session.save_picture(shot, "not-" + what.replace(" ", "-"))
        raise
    if label:
        session.save_picture(shot, label)
    return shot


def hold_until(session, window, key, what, probe, timeout=10):
    """Holds `key` for a moment at a time, typed with the tool that reaches
    the window, until the window shows what `probe` looks for."""
    path = os.path.join(session.work, "shot.ppm")
    deadline = time.monotonic() + timeout
    while True:
        session.x.hold(window, key, 300)
        shot = session.x.screenshot(window["box"], path)
        if probe(shot):
            return shot
        if time.monotonic() > deadline:
            session.save_picture(shot, "not-" + what.replace(" ", "-"))
            raise Failure(f"{key} typed into the {window['shell']} window did not bring {what}")

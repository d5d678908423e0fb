# SPDX-FileCopyrightText: 2026 The Nova Wing authors
# SPDX-License-Identifier: GPL-2.0-or-later

"""The machinery of the end-to-end tests: a private X server (Xvfb), a real
terminal for the game's console (a tmux pane of fixed size running an
interactive shell), the game started in that terminal as a person would
type it, keys sent through the X server's test extension, and screenshots.

Each test owns everything it starts: its own display number, its own tmux
server on its own socket, and the game process; all of it is stopped on the
way out, also when the test fails.  What the test saw stays behind in its
artifacts directory: numbered screenshots (PNG), terminal captures, the raw
byte stream the terminal received, the game's standard error and a log.
"""

import os
import shutil
import signal
import subprocess
import tempfile
import time

import pictures

PROMPT = "novawing-e2e$ "
NEEDED_TOOLS = ("Xvfb", "xdotool", "xwd", "tmux")


class Skip(Exception):
    """The machine lacks a tool these tests need."""


class Failure(AssertionError):
    pass


class Disturbed(Exception):
    """Something the game does at random (an enemy shot hitting a ship that
    a case watches) spoiled the observation; the case may be played again."""


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(what, probe, timeout, interval=0.05):
    """Calls `probe` until it gives a true value, which is returned; fails
    with a message naming `what` after `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


def alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        return True
    # A child that has ended but not been reaped is not alive either.
    try:
        with open(f"/proc/{pid}/stat") as f:
            return f.read().split(") ")[-1].split()[0] != "Z"
    except OSError:
        return False


class XServer:
    """A virtual X server on a display number it picks itself (-displayfd),
    so parallel tests never share one."""

    def __init__(self, log, width=1024, height=768, depth=24):
        self.log = log
        self.size = (width, height)
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             f"{width}x{height}x{depth}", "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 20
        while not number.endswith(b"\n"):
            if time.monotonic() > deadline or self.process.poll() is not None:
                os.close(read_end)
                self.stop()
                raise Failure("Xvfb did not start")
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()
        self.env = dict(os.environ, DISPLAY=self.display)
        log(f"Xvfb {width}x{height}x{depth} on display {self.display}")

    def run(self, *args, timeout=20):
        return subprocess.run(list(args), env=self.env, capture_output=True, text=True,
                              timeout=timeout)

    def stop(self):
        if self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGTERM)
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                os.killpg(self.process.pid, signal.SIGKILL)
                self.process.wait()


class Terminal:
    """A real terminal: a tmux pane of a fixed size running an interactive
    shell, so that the game's curses console draws on a screen that can be
    read back (capture-pane) and whose byte stream is recorded."""

    def __init__(self, log, workdir, cols, rows, env, alternate_screen=True):
        self.log = log
        self.cols, self.rows = cols, rows
        self.socket = os.path.join(workdir, "tmux.sock")
        self.stream_path = os.path.join(workdir, "stream.bin")
        conf = os.path.join(workdir, "tmux.conf")
        with open(conf, "w") as f:
            # No status line, so the pane is the whole terminal.
            f.write("set -g status off\n")
            f.write(f"set -g alternate-screen {'on' if alternate_screen else 'off'}\n")
            f.write("set -g history-limit 2000\n")
        rc = os.path.join(workdir, "bashrc")
        with open(rc, "w") as f:
            f.write(f"PS1='{PROMPT}'\nunset PROMPT_COMMAND\nHISTFILE=/dev/null\n")
        extra = []
        for key, value in env.items():
            extra += ["-e", f"{key}={value}"]
        self.tmux("-f", conf, "new-session", "-d", "-x", str(cols), "-y", str(rows), *extra,
                  f"bash --noprofile --rcfile '{rc}' -i")
        try:
            self.tmux("pipe-pane", "-o", "-t", "0", f"cat >> '{self.stream_path}'")
            wait_for("the shell prompt", lambda: PROMPT.strip() in self.screen(), 10)
        except BaseException:
            self.close()
            raise
        log(f"terminal {cols}x{rows} (alternate screen {'on' if alternate_screen else 'off'})")

    def tmux(self, *args):
        result = subprocess.run(["tmux", "-S", self.socket, *args], capture_output=True,
                                text=True, timeout=20)
        if result.returncode != 0:
            raise Failure(f"tmux {' '.join(args)} failed: {result.stderr.strip()}")
        return result.stdout

    def screen(self):
        """The pane's screen as text, one line per row."""
        return self.tmux("capture-pane", "-p", "-t", "0")

    def alternate_on(self):
        return self.tmux("display-message", "-p", "-t", "0", "#{alternate_on}").strip() == "1"

    def type_line(self, line):
        self.tmux("send-keys", "-t", "0", "-l", line)
        self.tmux("send-keys", "-t", "0", "Enter")

    def stream(self):
        try:
            with open(self.stream_path, "rb") as f:
                return f.read()
        except FileNotFoundError:
            return b""

    def close(self):
        subprocess.run(["tmux", "-S", self.socket, "kill-server"], capture_output=True,
                       timeout=20)


class Game:
    """The game typed into the terminal's shell, with its process id, exit
    code and standard error recorded in files (or, with stderr_to_file
    False, standard error left on the terminal, as a player has it), and
    its window found on the X server by that process id."""

    def __init__(self, session, command, directory, name="novawing", stderr_to_file=True):
        self.session = session
        self.name = name
        work = session.work
        self.pid_file = os.path.join(work, f"{name}.pid")
        self.rc_file = os.path.join(work, f"{name}.rc")
        self.err_file = os.path.join(session.artifacts, f"{name}-stderr.txt")
        self.pid = None
        self.window = None
        errors = f" 2> '{self.err_file}'" if stderr_to_file else ""
        session.terminal.type_line(
            f"cd '{directory}' && sh -c 'echo $$ > {self.pid_file}; exec {command}'"
            f"{errors}; echo $? > '{self.rc_file}'")
        text = wait_for("the game to start", lambda: self._read(self.pid_file), 10)
        self.pid = int(text)
        session.games.append(self)
        session.log(f"started `{command}` in {directory}, pid {self.pid}")

    @staticmethod
    def _read(path):
        try:
            with open(path) as f:
                text = f.read().strip()
            return text or None
        except FileNotFoundError:
            return None

    def exit_code(self):
        text = self._read(self.rc_file)
        return int(text) if text is not None else None

    def wait_exit(self, timeout=10):
        code = wait_for("the game to end", lambda: self._read(self.rc_file), timeout)
        self.session.log(f"the game ended with exit code {code}")
        return int(code)

    def stderr(self):
        try:
            with open(self.err_file, errors="replace") as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def find_window(self, timeout=15):
        """Waits for the game's window to be mapped and gives it the keyboard
        focus (there is no window manager to do it)."""
        x = self.session.x

        def search():
            result = x.run("xdotool", "search", "--onlyvisible", "--pid", str(self.pid))
            ids = result.stdout.split()
            return ids[0] if ids else None

        self.window = wait_for("the game window", search, timeout, 0.1)
        x.run("xdotool", "windowfocus", "--sync", self.window)
        self.session.log(f"game window {self.window}")
        return self.window

    def screenshot(self, label=None):
        """The window's contents now.  With a label the picture is also saved
        as a numbered PNG among the artifacts."""
        path = os.path.join(self.session.work, "shot.xwd")
        result = self.session.x.run("xwd", "-silent", "-id", self.window, "-out", path)
        check(result.returncode == 0, f"xwd failed: {result.stderr.strip()}")
        shot = pictures.read_xwd(path)
        if label:
            self.session.save_picture(shot, label)
        return shot

    def key_down(self, key):
        self.session.x.run("xdotool", "keydown", key)

    def key_up(self, key):
        self.session.x.run("xdotool", "keyup", key)

    def tap(self, key, hold=0.2):
        self.key_down(key)
        time.sleep(hold)
        self.key_up(key)

    def wait_screen(self, what, probe, timeout=6):
        """Takes screenshots until one satisfies `probe`, and returns it."""

        def look():
            shot = self.screenshot()
            return shot if probe(shot) else None

        return wait_for(what, look, timeout, 0)

    def hold_until(self, key, what, probe, timeout=6):
        """Holds `key` down until a screenshot satisfies `probe`, then lets it
        go.  The title menu reads the keys once a pass, about every quarter
        second, so releasing as soon as the effect shows makes one press act
        exactly once."""
        self.key_down(key)
        try:
            return self.wait_screen(what, probe, timeout)
        finally:
            self.key_up(key)

    def stop(self):
        if self.pid and alive(self.pid):
            # SIGTERM first: the game restores the terminal on its way out.
            os.kill(self.pid, signal.SIGTERM)
            deadline = time.monotonic() + 3
            while alive(self.pid) and time.monotonic() < deadline:
                time.sleep(0.05)
            if alive(self.pid):
                os.kill(self.pid, signal.SIGKILL)


class Session:
    """Everything one test case starts, and the place where it leaves what it
    saw.  Use as a context manager: on leaving, the game, the terminal and
    the X server are stopped whatever happened."""

    def __init__(self, artifacts, cols=80, rows=24, alternate_screen=True,
                 screen_size=(1024, 768)):
        missing = [t for t in NEEDED_TOOLS if shutil.which(t) is None]
        if missing:
            raise Skip("missing tools: " + ", ".join(missing))
        self.artifacts = artifacts
        shutil.rmtree(artifacts, ignore_errors=True)
        os.makedirs(artifacts)
        self.work = tempfile.mkdtemp(prefix="novawing-e2e-")
        self.counter = 0
        self.games = []
        self.started = time.monotonic()
        self.log_file = open(os.path.join(artifacts, "log.txt"), "w")
        self.x = None
        self.terminal = None
        self.options = (cols, rows, alternate_screen, screen_size)

    def log(self, message):
        line = f"[{time.monotonic() - self.started:7.2f}] {message}"
        print(line, flush=True)
        self.log_file.write(line + "\n")
        self.log_file.flush()

    def __enter__(self):
        cols, rows, alternate_screen, screen_size = self.options
        try:
            self.x = XServer(self.log, *screen_size)
            env = {"DISPLAY": self.x.display, "SDL_VIDEODRIVER": "x11"}
            self.terminal = Terminal(self.log, self.work, cols, rows, env, alternate_screen)
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, kind, value, trace):
        if value is not None:
            self.log(f"{'DISTURBED' if isinstance(value, Disturbed) else 'FAILED'}: {value}")
            for game in self.games:
                if game.window and game.pid and alive(game.pid):
                    try:
                        game.screenshot("at-failure")
                        self.capture_terminal("at-failure")
                    except Exception as error:
                        self.log(f"no picture at the failure: {error}")
        self.close()
        return False

    def next_name(self, label, suffix):
        self.counter += 1
        safe = "".join(c if c.isalnum() or c in "-_" else "-" for c in label)
        return os.path.join(self.artifacts, f"{self.counter:02d}-{safe}{suffix}")

    def save_picture(self, picture, label):
        path = self.next_name(label, ".png")
        pictures.write_png(picture, path)
        self.log(f"screenshot {os.path.basename(path)}")

    def capture_terminal(self, label):
        """The terminal's screen now, saved among the artifacts."""
        text = self.terminal.screen()
        with open(self.next_name(label, ".txt"), "w") as f:
            f.write(text)
        return text

    def close(self):
        for game in self.games:
            try:
                game.stop()
            except Exception as error:  # keep cleaning up
                self.log(f"stopping the game: {error}")
        if self.terminal is not None:
            try:
                with open(os.path.join(self.artifacts, "terminal-final.txt"), "w") as f:
                    f.write(self.terminal.screen())
            except Exception:
                pass
            stream = self.terminal.stream()
            with open(os.path.join(self.artifacts, "terminal-stream.bin"), "wb") as f:
                f.write(stream)
            self.terminal.close()
            self.terminal = None
        if self.x is not None:
            self.x.stop()
            self.x = None
        shutil.rmtree(self.work, ignore_errors=True)
        if not self.log_file.closed:
            self.log_file.close()

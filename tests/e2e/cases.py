# SPDX-FileCopyrightText: 2026 The Nova Wing authors
# SPDX-License-Identifier: GPL-2.0-or-later

"""Nova Wing played as a person would: the game started from a shell in a
real terminal, its window on a real X server, keys pressed on a keyboard,
and what the window and the terminal show checked at known places.

    cases.py CASE --game-dir DIR --artifacts DIR [--build-dir DIR --cmake CMAKE]
    cases.py installed --installed-prefix /usr --game-dir DIR --artifacts DIR

Exit code 0 when the case passes, 1 when it fails, 77 when the machine lacks
a tool it needs (CTest reports that as skipped).
"""

import argparse
import math
import os
import re
import shutil
import signal
import subprocess
import sys
import time

import harness
import pictures
import wayland
from harness import Disturbed, Failure, Game, Session, check, wait_for

# Where the title menu draws its cursor, the gun-shot image, for each item;
# on the players item its x tells the player count.
SPOTS = {
    "Start": (345, 195),
    "one player": (473, 245),
    "two players": (500, 245),
    "Help": (345, 295),
    "Quit": (345, 370),
}

BLUE = (0, 0, 255)  # player 1's health bar
MAGENTA = (255, 0, 255)  # and the damage part over its top
# Player 2's bar is drawn with raw pixel values; on a 32-bit screen with 8
# bits per channel, 65000 is this bright cyan and 655 this dark blue.
CYAN_65000 = (0, 0xFD, 0xE8)
BLUE_655 = (0, 0x02, 0x8F)

STARTUP_TRACE = (
    ["dimensioning memory", "loading video config", "initilizing sdl",
     "Creating Screen Surface", "Loading Bitmaps", "Loading Graphics:", "Menu screen",
     "Gane Over Screen", "Life Token", "Help Screen"]
    + [line for d in range(10) for line in (f"Number  {d}", "setting colourkey", "setting alpha")]
    + ["Player Bitmaps 1", "2", "3", "4", "5", "6", "starting menu"])


class Art:
    """The game's own images, read from its data/ directory, as the tests
    expect to find them on the screen."""

    def __init__(self, game_dir):
        def load(name):
            return pictures.read_bmp(os.path.join(game_dir, "data", name))

        self.title = load("title.bmp")
        self.help = load("helpscreen.bmp")
        self.ship = pictures.Sprite(load("forward.bmp"))  # the level banking frame
        self.shots = [pictures.Sprite(load(f"bullet{i}.bmp"), alpha=222) for i in (1, 2, 3)]
        self.digit0 = pictures.Sprite(load("0.bmp"), alpha=128)
        self.join = pictures.Sprite(load("join.bmp"))
        icon = load("bullet4.bmp")  # the missile icon
        self.icon_size = (icon.width, icon.height)
        # The cursor cycles through the first three shot images; its box is
        # the largest of them.
        self.cursor_size = (max(s.width for s in self.shots), max(s.height for s in self.shots))


# ---------------------------------------------------------------------------
# What the screen shows


def menu_cursor(shot, art):
    """The menu item whose cursor the window shows over the title image, or
    None when the window does not show the title with exactly one cursor."""
    count, box = pictures.differing_box(shot, art.title)
    if box is None:
        return None
    cw, ch = art.cursor_size
    for name, (x, y) in SPOTS.items():
        if x <= box[0] and y <= box[1] and box[2] <= x + cw and box[3] <= y + ch:
            return name
    return None


def showing_help(shot, art):
    count, box = pictures.differing_box(shot, art.help)
    return box is None


def title_gone(shot, art):
    count, box = pictures.differing_box(shot, art.title)
    return count > art.title.width * art.title.height // 2


def rest_position(shot, art, player):
    """Where a ship comes to rest after entering, with no key held: it enters
    at a bottom corner moving 80 pixels a frame inwards and 60 up, and damps
    to two thirds a frame (80 53 35 23 15 10 7 5 3 2, then still: 233 pixels
    in; the first frame's 60 up is cut short by the bottom edge for a ship
    taller than that, then 115 more)."""
    w, h = art.ship.width, art.ship.height
    y = min(shot.height - 60, shot.height - h) - 115
    return (233, y) if player == 1 else (shot.width - w - 233, y)


def ship_at(shot, art, position):
    return art.ship.score(shot, *position, need=0.9) >= 0.9


def find_ship(shot, art, player):
    """Player ship positions in that player's lower quarter of the screen."""
    half_w, half_h = shot.width // 2, shot.height // 2
    region = (0, half_h, half_w, shot.height) if player == 1 else \
        (half_w, half_h, shot.width, shot.height)
    return art.ship.find(shot, region, need=0.9)


def health_bar(shot, art, player, background, damage):
    """Checks a player's health bar, 15 pixels wide at x 50 (player 1) or 50
    in from the right edge (player 2), from y 25 down to 145 above the
    bottom: the damage colour on top (none at full health), the background
    colour below, and nothing of the kind just outside.  The score, drawn
    after the bars, covers the top of a bar where its first digit reaches
    over it; those rows are left out."""
    x = 50 if player == 1 else shot.width - 50
    digit_x = 20 if player == 1 else shot.width - 53
    top = 25
    if digit_x < x + 15 and x < digit_x + art.digit0.width:
        top = max(top, 10 + art.digit0.height)
    bottom = shot.height - 145
    runs = pictures.column_runs(shot, x, x + 15, top, bottom)
    colours = [r[0] for r in runs]
    check(colours in ([background], [damage, background], [damage]),
          f"player {player}'s health bar at x {x} shows rows {runs[:4]}... "
          f"not {damage} over {background}")
    for y in ([24] if top == 25 else []) + [bottom]:
        row = pictures.column_runs(shot, x, x + 15, y, y + 1)
        check(row[0][0] not in (background, damage),
              f"player {player}'s health bar at x {x} reaches row {y}, beyond its place")
    return runs


def status_boxes(art, player, width, height):
    """The boxes of a player's status display drawn before the scores: the
    missile icons of a full stock (rows 1 to 32 of the grid) and the health
    bar, as (x0, y0, x1, y1)."""
    iw, ih = art.icon_size
    boxes = []
    for p in range(1, 33):
        for q in range(1, 4):
            x, y = (10 * q + 10, 10 * p + 10) if player == 1 else (width - 10 * q - 3, 10 * p + 3)
            boxes.append((x, y, x + iw, y + ih))
    x = 50 if player == 1 else width - 50
    boxes.append((x, 25, x + 15, height - 145))
    return boxes


def score_zero_at(shot, art, player):
    """Whether a player's score shows as the single digit 0: at (20, 10) for
    player 1, at 53 in from the right edge for player 2.  Only the digit's
    pixels that lie over the black background are compared, not those over
    the missile icons or the health bar drawn before it."""
    x, y = (20, 10) if player == 1 else (shot.width - 53, 10)
    boxes = status_boxes(art, player, shot.width, shot.height)

    def on_black(px, py):
        sx, sy = x + px, y + py
        return not any(b[0] <= sx < b[2] and b[1] <= sy < b[3] for b in boxes)

    digit = art.digit0.part(on_black)
    return digit.score(shot, x, y, tolerance=8, need=0.8) >= 0.8


def gun_x(art, ship):
    """The ship's gun centre: half its width in from its left edge, a half
    rounded to even as the game rounds."""
    return round(ship[0] + art.ship.width / 2)


def shots_above(shot, art, ship):
    """Gun shots found above the ship at `ship`, near its two gun columns
    (the centre and 10 pixels left of it): (x, y) positions."""
    cx = gun_x(art, ship)
    found = set()
    for column in (cx - 10, cx):
        region = (column - 3, 0, column + 4, ship[1])
        for sprite in art.shots:
            found.update(sprite.find(shot, region, tolerance=6, need=0.8))
    return sorted(found)


# ---------------------------------------------------------------------------
# Full screen on sdl12-compat


def sdl12_compat_folder(binary):
    """Where the game finds sdl12-compat: "" when the system's own SDL 1.2
    is sdl12-compat, the folder of the libsdl1.2-compat package when that
    sits beside classic SDL 1.2, None when there is none.  Which library is
    which is asked of the library itself: sdl12-compat reports 1.2.50 and
    later, classic SDL 1.2 ended at 1.2.15."""
    listing = subprocess.run(["dpkg", "-L", "libsdl1.2-compat"], capture_output=True, text=True)
    folders = [""] + sorted({os.path.dirname(path) for path in listing.stdout.split()
                             if os.path.basename(path).startswith("libSDL-1.2.so")})
    for folder in folders:
        ldd = subprocess.run(["ldd", binary], capture_output=True, text=True,
                             env=dict(os.environ, LD_LIBRARY_PATH=folder))
        found = re.search(r"libSDL-1\.2\.so\.0 => (\S+)", ldd.stdout)
        if not found:
            continue
        version = subprocess.run(
            [sys.executable, "-c", "import ctypes, sys\n"
             "f = ctypes.CDLL(sys.argv[1]).SDL_Linked_Version\n"
             "f.restype = ctypes.POINTER(ctypes.c_uint8 * 3)\n"
             "print(*f().contents)", found.group(1)], capture_output=True, text=True)
        parts = version.stdout.split()
        if len(parts) == 3 and parts[:2] == ["1", "2"] and int(parts[2]) >= 50:
            return folder
    return None


def compat_with_tool(args, tool):
    """The sdl12-compat folder for a case that needs it and `tool`; the case
    is skipped where either is missing."""
    folder = sdl12_compat_folder(os.path.join(args.game_dir, "novawing"))
    if folder is None:
        raise harness.Skip("no sdl12-compat: neither the system's SDL 1.2 nor libsdl1.2-compat")
    if shutil.which(tool) is None:
        raise harness.Skip(f"missing tools: {tool}")
    return folder


def scaled_layout(shot, image):
    """Where a picture of `image`'s size lands when scaled to the full height
    of `shot` at its own aspect ratio, centred: (left, width, scale)."""
    scale = shot.height / image.height
    width = round(image.width * scale)
    return (shot.width - width) // 2, width, scale


def fills_height(shot, image, tolerance=12):
    """Whether `shot` shows `image` scaled to its full height at the image's
    own aspect ratio, centred between black bars.  Compared as the mean
    colours of an 8 x 6 grid of cells, which holds for nearest and linear
    scaling alike and leaves room for the menu cursor; the first and last
    rows are compared too, so that a picture cut short or zoomed fails."""
    left, width, scale = scaled_layout(shot, image)
    for x0, x1 in ((0, left - 2), (left + width + 2, shot.width)):
        if x1 > x0 and pictures.column_runs(shot, x0, x1, 0, shot.height) != \
                [(pictures.BLACK, 0, shot.height)]:
            return False
    cw, ch = image.width // 8, image.height // 6
    boxes = [(i * cw, j * ch, (i + 1) * cw, (j + 1) * ch) for i in range(8) for j in range(6)]
    boxes += [(0, 0, image.width, 1), (0, image.height - 1, image.width, image.height)]
    for x0, y0, x1, y1 in boxes:
        on_screen = (left + round(x0 * scale), round(y0 * scale),
                     left + round(x1 * scale), max(round(y0 * scale) + 1, round(y1 * scale)))
        want = pictures.mean_colour(image, (x0, y0, x1, y1))
        got = pictures.mean_colour(shot, on_screen)
        if max(abs(a - b) for a, b in zip(want, got)) > tolerance:
            return False
    return True


def scaled_health_bar(shot, image):
    """Player 1's health bar (x 50 to 65, down to row 335 of the game's 480)
    where the scaled picture puts it: blue in its lower part down to its
    scaled bottom edge, and not below."""
    left, _, scale = scaled_layout(shot, image)
    x0, x1 = left + math.ceil(51 * scale), left + int(64 * scale)
    bottom = 335 * scale
    inside = pictures.column_runs(shot, x0, x1, round(300 * scale), int(bottom) - 1)
    below = pictures.column_runs(shot, x0, x1, int(bottom) + 2, int(bottom) + 20)
    return [run[0] for run in inside] == [BLUE] and all(run[0] != BLUE for run in below)


# ---------------------------------------------------------------------------
# A window at the desktop's scale


def game_pixels(shot, scale):
    """The game's own picture in a window that shows it at a whole `scale`:
    the first pixel of each `scale` x `scale` block, or None when any block
    is not all of one colour (a blurred or shifted picture)."""
    if shot.width % scale or shot.height % scale:
        return None
    step = 3 * scale
    rows = []
    for y in range(0, shot.height, scale):
        row = shot.row(y)
        if any(shot.row(y + k) != row for k in range(1, scale)):
            return None
        # Each colour channel of the block's first pixel, and of every other
        # pixel across the block, must be the same bytes.
        channels = [row[c::step] for c in range(3)]
        for k in range(1, scale):
            if any(row[3 * k + c::step] != channels[c] for c in range(3)):
                return None
        small = bytearray(len(row) // scale)
        for c in range(3):
            small[c::3] = channels[c]
        rows.append(bytes(small))
    return pictures.Picture(shot.width // scale, shot.height // scale, b"".join(rows))


def doubled(probe):
    """A probe of the game's 640x480 picture, made one of a 1280x960 window
    that shows it with each pixel a 2 x 2 block of one colour."""
    def look(shot):
        small = game_pixels(shot, 2) if (shot.width, shot.height) == (1280, 960) else None
        return small is not None and probe(small)
    return look


# The settings of the player's that would scale the window, left out so that
# only the desktop's own scale is at work.
SCALING_UNSET = "env " + " ".join(f"-u {name}" for name in (
    "SDL12COMPAT_WINDOW_SCALING", "SDL12COMPAT_SCALE_METHOD", "SDL12COMPAT_HIGHDPI",
    "GDK_SCALE", "QT_SCALE_FACTOR"))


# ---------------------------------------------------------------------------
# Steps shared by the cases


def prepare_game_dir(session, game_dir, config=None, without=()):
    """A game directory of its own: the real executable and data, with
    config.cfg written as given (None: no config.cfg at all) and the named
    data files left out."""
    directory = os.path.join(session.work, "game")
    os.makedirs(os.path.join(directory, "data"))
    os.symlink(os.path.join(game_dir, "novawing"), os.path.join(directory, "novawing"))
    for name in os.listdir(os.path.join(game_dir, "data")):
        if name not in without:
            os.symlink(os.path.join(game_dir, "data", name),
                       os.path.join(directory, "data", name))
    if config is not None:
        with open(os.path.join(directory, "config.cfg"), "w") as f:
            f.write(config)
    session.log(f"game directory {directory}: config.cfg "
                f"{'absent' if config is None else repr(config)}, without {list(without)}")
    return directory


def launch(session, directory, command="./novawing"):
    game = Game(session, command, directory)
    game.find_window()
    return game


def wait_menu(game, art, item, label=None):
    shot = game.wait_screen(f"the title menu with the cursor at {item}",
                            lambda s: menu_cursor(s, art) == item, 10)
    if label:
        game.session.save_picture(shot, label)
    return shot


def menu_key(game, art, key, item):
    """One press of `key` in the menu, held until the cursor stands at `item`."""
    game.session.log(f"menu: {key} to {item}")
    return game.hold_until(key, f"{key} to move the cursor to {item}",
                           lambda s: menu_cursor(s, art) == item)


def menu_stays(game, art, item, seconds=1.0, label=None):
    """The cursor stays at `item` over several menu passes."""
    end = time.monotonic() + seconds
    shot = None
    while time.monotonic() < end:
        shot = game.screenshot()
        where = menu_cursor(shot, art)
        if where != item:
            game.session.save_picture(shot, "unexpected-menu")
            raise Failure(f"the cursor should have stayed at {item}, the window shows {where}")
    if label:
        game.session.save_picture(shot, label)


def quit_from_menu(game, art, current="Start", players="one player"):
    """Down to Quit from the item `current` (`players` names how the players
    item shows), then Space; returns the exit code."""
    items = ["Start", players, "Help", "Quit"]
    for item in items[items.index(current) + 1 :]:
        menu_key(game, art, "Down", item)
    menu_stays(game, art, "Quit", 0.4, "quit-selected")
    game.key_down("space")
    try:
        code = game.wait_exit(10)
    finally:
        game.key_up("space")
    return code


def start_play(game, art):
    game.session.log("menu: Space on Start")
    shot = game.hold_until("space", "play to begin", lambda s: title_gone(s, art))
    return shot


def terminal_restored(session, game):
    """After the game: the shell prompt back on the normal screen, the
    terminal's modes as a shell wants them, and the standard character set
    selected last."""
    term = session.terminal
    text = wait_for("the shell prompt", lambda: (lambda t: t if t.rstrip().endswith(
        harness.PROMPT.strip()) else None)(term.screen()), 5)
    check(not term.alternate_on(), "the terminal is still on the alternate (curses) screen")
    with open(session.next_name("after-exit", ".txt"), "w") as f:
        f.write(text)
    stream = term.stream()
    charsets = re.findall(rb"\x1b\(([0-9A-Za-z])", stream)
    check(b"U" in charsets, "the game never selected the PC character set (ESC ( U)")
    check(charsets and charsets[-1] == b"B",
          f"the last character-set escape is ESC ( {charsets[-1:]}, not ESC ( B")
    stty = os.path.join(session.work, "stty.txt")
    term.type_line(f"stty -a > '{stty}'")
    modes = wait_for("stty", lambda: Game._read(stty), 5).split()
    for mode in ("icanon", "echo", "icrnl", "onlcr"):
        check(mode in modes and "-" + mode not in modes,
              f"the terminal was left with -{mode}: {' '.join(modes)}")
    session.log("terminal restored: normal screen, prompt, sane modes, ESC ( B last")


# The console trace of one frame of play, from the pass's "checking" to its
# "PageFlip"; each score drawn adds "Drawing number" and a line per digit.
FRAME_ONE_PLAYER = [
    "checking", "Working", "Player 2 dialog", "checking for sdlk_escape", "MoveBullets",
    "EnemyGenerator", "EnemyAI", "Resetting OldTimer", "Drawing Everything",
    "inDrawEverything", "Starting to render Starfield", "Rendering Player 1s ship",
    "RenderEnemyShips", "RenderBullets", "Rendering player 1 missiles",
    "Rendering player 1 health", "Rendering Player 1 lives", "Rendering score", "<score>",
    "Player 2 press 2 to join drawing", "Rendering Game Over", "Exiting sub", "PageFlip"]
FRAME_TWO_PLAYERS = [
    "checking", "Working", "checking for sdlk_escape", "MoveBullets", "EnemyGenerator",
    "EnemyAI", "Resetting OldTimer", "Drawing Everything", "inDrawEverything",
    "Starting to render Starfield", "Rendering Player 1s ship", "RenderPlayerTwosShip",
    "RenderEnemyShips", "RenderBullets", "Rendering player 1 missiles",
    "Rendering player 1 health", "Rendering Player 1 lives", "Rendering player 2 stuff",
    "Rendering score", "<score>", "<score>", "Player 2 press 2 to join drawing",
    "Rendering Game Over", "Exiting sub", "PageFlip"]


def frame_traces(screen):
    """The complete frames of play on a terminal screen, each as its lines
    with every drawn score (its "Drawing number N" line and one line per
    digit, " dIt was ok, at  x  y  d") folded into "<score>"; and for each,
    whether a waiting pass ("checking", "SDL_Delay") follows it."""
    lines = [line.rstrip() for line in screen.split("\n")]
    frames = []
    for start in range(1, len(lines)):
        if lines[start] != "Working" or lines[start - 1] != "checking":
            continue
        frame = ["checking"]
        i = start
        while i < len(lines) and lines[i] != "PageFlip":
            number = re.fullmatch(r"Drawing number (\d+)", lines[i])
            if number:
                digits = number.group(1)
                shown = lines[i + 1 : i + 1 + len(digits)]
                expected = [re.compile(rf" {d}It was ok, at +-?\d+ +-?\d+ +{d}") for d in digits]
                if len(shown) == len(digits) and all(
                        e.fullmatch(s) for e, s in zip(expected, shown)):
                    frame.append("<score>")
                    i += 1 + len(digits)
                    continue
            frame.append(lines[i])
            i += 1
        if i < len(lines):
            frame.append("PageFlip")
            frames.append((frame, lines[i + 1 : i + 3] == ["checking", "SDL_Delay"]))
    return frames


def trace_snapshots(session, count, interval=0.07):
    screens = []
    for _ in range(count):
        screens.append(session.terminal.screen())
        time.sleep(interval)
    return screens


def one_player_frames(session):
    """Frames on the trace while player 1 plays alone, each checked line by
    line; the join check is among them."""
    screens = trace_snapshots(session, 10)
    frames = [f for s in screens for f in frame_traces(s)]
    check(frames, "no complete frame on the trace")
    for frame, _ in frames:
        check(frame == FRAME_ONE_PLAYER, "a frame of one player traced as:\n  "
              + "\n  ".join(frame))
    return frames


def retrying(args, attempt, tries=3):
    """Runs `attempt` (given its artifacts directory) until it is not
    disturbed by enemy fire, at most `tries` times.  The enemies come at
    random and may hit a ship that a case watches; that is detected (the
    ship knocked off its place) and the case is played again from the
    start.  Anything else fails at once."""
    reasons = []
    for n in range(1, tries + 1):
        artifacts = args.artifacts if n == 1 else os.path.join(args.artifacts, f"retry-{n}")
        try:
            return attempt(artifacts)
        except Disturbed as disturbance:
            reasons.append(str(disturbance))
            print(f"attempt {n} disturbed: {disturbance}", flush=True)
    raise Failure(f"disturbed in all {tries} attempts: " + "; ".join(reasons))


# ---------------------------------------------------------------------------
# The cases


def case_startup_trace(args):
    """The start-up progress lines appear on the terminal in their order."""
    art = Art(args.game_dir)
    with Session(args.artifacts, cols=100, rows=60) as session:
        game = launch(session, args.game_dir)
        wait_menu(game, art, "Start", "title")
        check(session.terminal.alternate_on(), "the console should use the curses screen")
        lines = session.capture_terminal("startup-trace").split("\n")
        shown = [line.rstrip() for line in lines]
        check(shown[: len(STARTUP_TRACE)] == STARTUP_TRACE,
              "the start-up trace differs:\n" + "\n".join(
                  f"  {i + 1:2d}: expected {e!r}, shown {s!r}" for i, (e, s) in
                  enumerate(zip(STARTUP_TRACE, shown)) if e != s))
        check(not any(shown[len(STARTUP_TRACE):]), "lines after 'starting menu' in the menu")
        check(quit_from_menu(game, art) == 0, "Quit should end with exit code 0")
        terminal_restored(session, game)


def case_menu_cursor(args):
    """Down and Up move the cursor one item per press, and stop at the ends."""
    art = Art(args.game_dir)
    with Session(args.artifacts) as session:
        game = launch(session, args.game_dir)
        wait_menu(game, art, "Start", "start")
        # Up on the first item stays there.
        game.tap("Up", 0.6)
        menu_stays(game, art, "Start", 0.6, "up-on-start")
        for item in ("one player", "Help", "Quit"):
            menu_key(game, art, "Down", item)
            menu_stays(game, art, item, 0.6, f"down-to-{item}")
        # Held for several passes, Down on the last item stays there.
        game.tap("Down", 1.0)
        menu_stays(game, art, "Quit", 0.6, "down-on-quit")
        for item in ("Help", "one player", "Start"):
            menu_key(game, art, "Up", item)
            menu_stays(game, art, item, 0.6, f"up-to-{item}")
        check(quit_from_menu(game, art) == 0, "Quit should end with exit code 0")


def case_player_count(args):
    """Space on the players item switches between one and two players, and
    the cursor's x shows which (473 one, 500 two); Left acts as Space."""
    art = Art(args.game_dir)
    with Session(args.artifacts) as session:
        game = launch(session, args.game_dir)
        wait_menu(game, art, "Start")
        menu_key(game, art, "Down", "one player")
        menu_stays(game, art, "one player", 0.6, "one-player")
        menu_key(game, art, "space", "two players")
        menu_stays(game, art, "two players", 1.0, "two-players")
        menu_key(game, art, "space", "one player")
        menu_stays(game, art, "one player", 1.0, "one-player-again")
        menu_key(game, art, "Left", "two players")
        menu_stays(game, art, "two players", 1.0, "two-players-by-left")
        check(quit_from_menu(game, art, "two players", "two players") == 0, "Quit should end with exit code 0")


def case_help(args):
    """Help shows the help screen and keeps it up, readable, until a key is
    pressed; then the menu is back with the cursor on Help."""
    art = Art(args.game_dir)
    with Session(args.artifacts) as session:
        game = launch(session, args.game_dir)
        wait_menu(game, art, "Start")
        menu_key(game, art, "Down", "one player")
        menu_key(game, art, "Down", "Help")
        shot = game.hold_until("space", "the help screen", lambda s: showing_help(s, art))
        session.save_picture(shot, "help")
        for second in range(1, 4):
            time.sleep(1.0)
            shot = game.screenshot(f"help-after-{second}s")
            check(showing_help(shot, art), f"the help screen is gone after {second} s")
        game.tap("Return", 0.3)
        wait_menu(game, art, "Help", "menu-back")
        menu_stays(game, art, "Help", 1.0)
        check(quit_from_menu(game, art, "Help") == 0, "Quit should end with exit code 0")


def at_rest(game, art, player, timeout=3):
    """Waits for a player's ship at its rest position and returns that
    screenshot.  A ship that an enemy shot hit on its way is knocked off its
    course and never gets there: that is a disturbance, not a fault, when
    the ship is found elsewhere on its side."""
    first = game.screenshot()
    rest = rest_position(first, art, player)
    try:
        shot = game.wait_screen(f"player {player}'s ship at rest at {rest}",
                                lambda s: ship_at(s, art, rest), timeout)
    except Failure:
        last = game.screenshot("not-at-rest")
        elsewhere = find_ship(last, art, player)
        if elsewhere and damage_shown(last, player):
            raise Disturbed(f"player {player}'s ship is at {elsewhere}, not at rest at {rest}:"
                            " an enemy shot hit it and knocked it off its course")
        raise
    game.session.log(f"player {player}'s ship at rest at {rest}")
    return shot, rest


def damage_shown(shot, player):
    """Whether a player's health bar shows any damage, the colour of its
    damage part anywhere in it (it shows through the transparent parts of
    the score digits drawn over the top of the bars)."""
    x0 = 50 if player == 1 else shot.width - 50
    colour = bytes(MAGENTA if player == 1 else BLUE_655)
    for y in range(25, shot.height - 145):
        row = shot.row(y, x0, x0 + 15)
        if any(row[i : i + 3] == colour for i in range(0, 45, 3)):
            return True
    return False


def still_at_rest(shot, art, player, rest):
    """Between screenshots a ship that nobody steers stays at rest, unless
    an enemy shot hits it (knocking it away) or an enemy flies over it."""
    if ship_at(shot, art, rest):
        return
    elsewhere = find_ship(shot, art, player)
    if not elsewhere:
        raise Disturbed(f"player {player}'s ship is hidden at {rest}: an enemy flies over it")
    check(damage_shown(shot, player),
          f"player {player}'s ship moved from {rest} to {elsewhere} unhit, with no key held")
    raise Disturbed(f"player {player}'s ship is at {elsewhere}: an enemy shot knocked it away")


def case_play_start(args):
    """Start: player 1's ship enters at the lower left and comes to rest
    there, and its health bar stands full at the left; the trace shows every
    frame's steps in order, the join check among them."""
    art = Art(args.game_dir)

    def attempt(artifacts):
        with Session(artifacts, rows=50) as session:
            game = launch(session, args.game_dir)
            wait_menu(game, art, "Start")
            first = start_play(game, art)
            session.save_picture(first, "first-frame")
            shot, rest = at_rest(game, art, 1)
            session.save_picture(shot, "ship-at-rest")
            runs = health_bar(shot, art, 1, BLUE, MAGENTA)
            check(len(runs) == 1, f"player 1 starts with damage shown: {runs}")
            session.log(f"player 1's health bar: {runs}")
            time.sleep(0.3)
            still_at_rest(game.screenshot("still-at-rest"), art, 1, rest)
            frames = one_player_frames(session)
            check(any(waits for _, waits in frames),
                  "no waiting pass between frames on the trace")
            session.capture_terminal("trace-in-play")
            game.tap("Escape", 0.3)
            check(game.wait_exit() == 0, "Escape should end the program with exit code 0")

    retrying(args, attempt)


def case_firing(args):
    """Space fires gun shots from the ship's two guns, in turn; they rise 10
    pixels a frame from the ship's top edge and leave at the top."""
    art = Art(args.game_dir)

    def attempt(artifacts):
        with Session(artifacts) as session:
            game = launch(session, args.game_dir)
            wait_menu(game, art, "Start")
            start_play(game, art)
            shot, rest = at_rest(game, art, 1)
            # The Space that chose Start may have fired a shot; let it go.
            game.wait_screen("no shot above the ship",
                             lambda s: not shots_above(s, art, rest), 3)
            game.screenshot("before-firing")

            cx = gun_x(art, rest)
            seen = []  # the shots on the guns' columns, per screenshot
            game.key_down("space")
            try:
                end = time.monotonic() + 1.5
                while time.monotonic() < end:
                    shot = game.screenshot()
                    still_at_rest(shot, art, 1, rest)
                    found = shots_above(shot, art, rest)
                    grid = [(x, y) for x, y in found
                            if x in (cx - 10, cx) and (rest[1] - y) % 10 == 0]
                    session.log(f"shots {grid}" + (f", elsewhere {sorted(set(found) - set(grid))}"
                                                   if len(grid) < len(found) else ""))
                    seen.append(grid)
                    if len(seen) in (3, 8):
                        session.save_picture(shot, f"firing-{len(seen)}")
            finally:
                game.key_up("space")
            with_shots = [s for s in seen if s]
            check(len(with_shots) >= 3, f"shots seen in only {len(with_shots)} screenshots")
            check(any(len({y for _, y in s}) >= 2 for s in with_shots),
                  "never more than one shot at a time above the ship")
            columns = {x for s in with_shots for x, _ in s}
            check(columns == {cx - 10, cx},
                  f"shots should leave from both guns, at x {cx - 10} and {cx}: {columns}")
            highest = [min(y for _, y in s) for s in with_shots]
            check(min(highest[len(highest) // 2 :]) < highest[0],
                  f"the shots do not rise: highest shot per screenshot {highest}")
            check(min(highest) < rest[1] // 2,
                  f"no shot reached the upper half of the way: {highest}")
            # Released, the last shots fly off the top.
            game.wait_screen("the shots to leave the screen",
                             lambda s: not shots_above(s, art, rest), 5)
            game.screenshot("after-firing")
            game.tap("Escape", 0.3)
            check(game.wait_exit() == 0, "Escape should end the program with exit code 0")

    retrying(args, attempt)


def case_player_two_joins(args):
    """The 2 key lets player 2 join: its ship enters at the lower right, its
    health bar and score appear at the right, the join prompt goes and the
    trace stops showing the join check."""
    art = Art(args.game_dir)

    def attempt(artifacts):
        with Session(artifacts, rows=50) as session:
            game = launch(session, args.game_dir)
            wait_menu(game, art, "Start")
            shot = start_play(game, art)
            w = shot.width
            prompt_spot = (w - art.join.width - 50, 25)

            # Alone, player 1 is asked about once a second whether player 2
            # joins: the prompt blinks at the top right (first after 31 frames).
            shot = game.wait_screen(
                "the join prompt", lambda s: art.join.score(s, *prompt_spot, need=0.9) >= 0.9, 3)
            session.save_picture(shot, "join-prompt")
            one_player_frames(session)

            bar_probe = (w - 50 + 7, shot.height - 150)
            shot = game.hold_until("2", "player 2's health bar",
                                   lambda s: s.pixel(*bar_probe) == CYAN_65000)
            session.save_picture(shot, "joined")
            shot, rest = at_rest(game, art, 2, 2)
            session.save_picture(shot, "two-players")
            runs = health_bar(shot, art, 2, CYAN_65000, BLUE_655)
            session.log(f"player 2's health bar: {runs}")
            health_bar(shot, art, 1, BLUE, MAGENTA)
            # The digits are drawn half transparent over whatever flies under
            # them; an enemy passing there hides them for a moment.
            for player, where in ((2, "top right"), (1, "top left")):
                game.wait_screen(f"player {player}'s score 0 at the {where}",
                                 lambda s: score_zero_at(s, art, player), 3)
            if not find_ship(game.screenshot(), art, 1):
                raise Disturbed("player 1's ship is not to be seen in the lower left: "
                                "knocked away or flown over by an enemy")

            after = trace_snapshots(session, 15)
            session.capture_terminal("trace-two-players")
            check(not any("Player 2 dialog" in s for s in after),
                  "the join check goes on in the trace after player 2 joined")
            frames = [f for s in after for f, _ in frame_traces(s)]
            check(frames, "no complete frame on the trace")
            for frame in frames:
                check(frame == FRAME_TWO_PLAYERS, "a frame of two players traced as:\n  "
                      + "\n  ".join(frame))
            # The prompt is gone for good: it would have blinked on by now.
            end = time.monotonic() + 2.4
            while time.monotonic() < end:
                s = game.screenshot()
                check(art.join.score(s, *prompt_spot, need=0.5) < 0.5,
                      "the join prompt still shows with two players")
                time.sleep(0.1)
            game.tap("Escape", 0.3)
            check(game.wait_exit() == 0, "Escape should end the program with exit code 0")

    retrying(args, attempt)


def case_escape(args):
    """Escape during play ends the program with exit code 0 and leaves the
    terminal as it was: the shell's screen and prompt, sane modes, the
    standard character set."""
    art = Art(args.game_dir)
    with Session(args.artifacts) as session:
        game = launch(session, args.game_dir)
        wait_menu(game, art, "Start")
        start_play(game, art)
        time.sleep(1.0)
        game.screenshot("playing")
        check(session.terminal.alternate_on(), "the console should use the curses screen")
        session.capture_terminal("trace-in-play")
        game.tap("Escape", 0.3)
        check(game.wait_exit() == 0, "Escape should end the program with exit code 0")
        check(game.stderr() == "", f"unexpected standard error: {game.stderr()!r}")
        terminal_restored(session, game)


def case_terminal_resize(args):
    """The terminal is resized during play: smaller, tiny, a single row, then
    larger than at the start.  After each change the trace goes on in the new
    size as on a terminal that had it from the start, the rows full down to
    the newest line on the second-to-last row and the last row empty; the
    game plays on, and Escape still ends it and restores the terminal."""
    art = Art(args.game_dir)
    with Session(args.artifacts) as session:
        term = session.terminal
        game = launch(session, args.game_dir)
        wait_menu(game, art, "Start")
        start_play(game, art)
        time.sleep(0.5)
        session.capture_terminal("trace-80x24")

        def laid_out(cols, rows):
            shown = term.screen().split("\n")[:rows]
            if len(shown) != rows or rows < 2:
                return shown if len(shown) == rows else None
            full = all(line.strip() and len(line) <= cols for line in shown[:-1])
            return shown if full and not shown[-1].strip() else None

        # Whether the game went on writing its trace after the terminal's
        # stream had `start` bytes.  Read from the bytes the game writes, not
        # from the screen: between frames the game sleeps with the same last
        # lines showing, so two looks at the screen can match while it plays.
        # On one row only the first character of each line shows, so there
        # it is the stream growing by a dozen frames' worth (about 180 bytes
        # a frame) instead of whole lines.
        def went_on(start, rows):
            new = term.stream()[start:]
            return new.count(b"PageFlip") >= 3 if rows >= 2 else len(new) >= 2000

        for cols, rows in ((60, 10), (20, 5), (20, 1), (100, 40)):
            session.log(f"terminal resized to {cols}x{rows}")
            term.tmux("resize-window", "-t", "0", "-x", str(cols), "-y", str(rows))
            wait_for(f"the trace laid out on {cols}x{rows}", lambda: laid_out(cols, rows), 30)
            session.capture_terminal(f"trace-{cols}x{rows}")
            start = len(term.stream())
            wait_for(f"the trace going on on {cols}x{rows}", lambda: went_on(start, rows), 30)
        check(game.exit_code() is None, "the game ended during the resizes")
        game.tap("Escape", 0.3)
        check(game.wait_exit() == 0, "Escape should end the program with exit code 0")
        check(game.stderr() == "", f"unexpected standard error: {game.stderr()!r}")
        terminal_restored(session, game)


def case_x_server_gone(args):
    """The X server goes away during play.  Xlib prints its message to
    standard error, here the terminal the trace is on, and ends the game
    with exit(); the terminal is put back as the shell had it, and the
    message stands on the normal screen above the prompt."""
    art = Art(args.game_dir)
    with Session(args.artifacts) as session:
        term = session.terminal
        game = Game(session, "./novawing", args.game_dir, stderr_to_file=False)
        game.find_window()
        wait_menu(game, art, "Start")
        start_play(game, art)
        start = len(term.stream())
        wait_for("the trace of play", lambda: term.stream()[start:].count(b"PageFlip") >= 3, 30)
        check(term.alternate_on(), "the console should use the curses screen")
        session.capture_terminal("trace-in-play")
        session.log("the X server is stopped")
        session.x.stop()
        code = game.wait_exit(15)
        check(code != 0, "the game ended with exit code 0 when its display went away")
        terminal_restored(session, game)
        # The message came after the terminal's restore, whose last bytes are
        # ESC ( B, so it went to the normal screen; and it is shown there.
        stream = term.stream()
        after = stream[stream.rfind(b"\x1b(B") + 3:]
        check(re.search(rb"XIO|X server", after),
              f"no message about the X server after the restore: {after[:200]!r}")
        shown = session.capture_terminal("after")
        said = [line for line in shown.split("\n") if "XIO" in line or "X server" in line]
        check(said, "no message about the X server on the screen:\n" + shown)
        session.log(f"the message on the normal screen: {said}")


def case_quit(args):
    """Quit in the title menu ends the program with exit code 0, the
    terminal restored."""
    art = Art(args.game_dir)
    with Session(args.artifacts) as session:
        game = launch(session, args.game_dir)
        wait_menu(game, art, "Start", "title")
        check(quit_from_menu(game, art) == 0, "Quit should end with exit code 0")
        check(game.stderr() == "", f"unexpected standard error: {game.stderr()!r}")
        terminal_restored(session, game)


def case_no_config(args):
    """Without config.cfg SDL chooses the mode: under X11 a window of the
    whole X screen, the title at its top left."""
    art = Art(args.game_dir)
    with Session(args.artifacts, screen_size=(1024, 768)) as session:
        directory = prepare_game_dir(session, args.game_dir, config=None)
        game = launch(session, directory)
        shot = wait_menu(game, art, "Start", "title")
        check((shot.width, shot.height) == session.x.size,
              f"the window is {shot.width}x{shot.height}, the X screen "
              f"{session.x.size[0]}x{session.x.size[1]}")
        # Outside the title image nothing is drawn.
        for y in range(shot.height):
            row = shot.row(y, art.title.width if y < art.title.height else 0)
            check(row == bytes(len(row)), f"something drawn beside the title in row {y}")
        check(quit_from_menu(game, art) == 0, "Quit should end with exit code 0")


def case_bad_video_mode(args):
    """A mode that cannot be set (depth 3): exit code 1 after the four
    progress lines, a message on standard error, the terminal restored."""
    with Session(args.artifacts, cols=80, rows=30, alternate_screen=False) as session:
        directory = prepare_game_dir(session, args.game_dir,
                                     config="xres\n640\nyres\n480\ndepth\n3\n")
        game = Game(session, "./novawing", directory)
        code = game.wait_exit(15)
        check(code == 1, f"exit code {code}, expected 1")
        error = game.stderr()
        session.log(f"standard error: {error!r}")
        check(error.strip() and "video mode" in error,
              f"no message about the video mode on standard error: {error!r}")
        check(error.count("\n") == 1, f"the message should be one line: {error!r}")
        shown = [line.rstrip() for line in session.capture_terminal("trace").split("\n")]
        terminal_restored(session, game)
        four = STARTUP_TRACE[:4]
        check(shown[:4] == four, f"the progress lines shown are {shown[:6]}, expected {four}")
        check(not any(line in shown for line in STARTUP_TRACE[4:]),
              "the game went on past 'Creating Screen Surface'")


def case_missing_image(args):
    """A missing image: exit code 1 with a message naming the file, after the
    loading lines up to it, the terminal restored."""
    with Session(args.artifacts, cols=80, rows=60, alternate_screen=False) as session:
        directory = prepare_game_dir(session, args.game_dir, config=open(
            os.path.join(args.game_dir, "config.cfg")).read(), without=("enemy2.bmp",))
        game = Game(session, "./novawing", directory)
        code = game.wait_exit(15)
        check(code == 1, f"exit code {code}, expected 1")
        error = game.stderr()
        session.log(f"standard error: {error!r}")
        check("data/enemy2.bmp" in error, f"the message does not name data/enemy2.bmp: {error!r}")
        check(error.count("\n") == 1, f"the message should be one line: {error!r}")
        shown = [line.rstrip() for line in session.capture_terminal("trace").split("\n")]
        terminal_restored(session, game)
        upto = STARTUP_TRACE[: STARTUP_TRACE.index("6") + 1]
        check(shown[: len(upto)] == upto, "the loading lines up to '6' are not all shown")
        check("starting menu" not in shown, "the game went on to the menu")


def free_display_number():
    """A display number where no X server runs: far above the numbers Xvfb
    -displayfd hands out (the lowest free ones), and with no socket."""
    for number in range(9100, 9200):
        if not (os.path.exists(f"/tmp/.X11-unix/X{number}")
                or os.path.exists(f"/tmp/.X{number}-lock")):
            return number
    raise Failure("no free display number from 9100 to 9199")


def case_no_display(args):
    """With DISPLAY at a display where no server runs, or unset, or a
    Wayland session whose compositor is not there, and no SDL_VIDEODRIVER:
    exit code 1 with one line saying that no graphical display is available
    and naming what is missing, before any image is loaded, the terminal
    restored each time.  On the system's SDL 1.2, and on sdl12-compat beside
    it where that is installed."""
    with Session(args.artifacts, cols=80, rows=30, alternate_screen=False) as session:
        directory = prepare_game_dir(session, args.game_dir, config=open(
            os.path.join(args.game_dir, "config.cfg")).read())
        number = free_display_number()
        # A runtime folder with no compositor's socket in it.
        runtime = os.path.join(session.work, "runtime")
        os.makedirs(runtime, mode=0o700)
        wayland = f"-u DISPLAY WAYLAND_DISPLAY=wayland-9 XDG_RUNTIME_DIR={runtime}"
        runs = [("no-server", f"-u WAYLAND_DISPLAY DISPLAY=:{number}",
                 f"X server on DISPLAY=:{number}"),
                ("unset", "-u DISPLAY -u WAYLAND_DISPLAY",
                 "DISPLAY and WAYLAND_DISPLAY are both unset"),
                ("wayland-no-server", wayland, "WAYLAND_DISPLAY=wayland-9")]
        compat = sdl12_compat_folder(os.path.join(args.game_dir, "novawing"))
        if compat:
            runs.append(("compat-no-server",
                         f"-u WAYLAND_DISPLAY LD_LIBRARY_PATH={compat} DISPLAY=:{number}",
                         f"X server on DISPLAY=:{number}"))
            runs.append(("compat-wayland-no-server", f"{wayland} LD_LIBRARY_PATH={compat}",
                         "Wayland compositor on WAYLAND_DISPLAY=wayland-9"))
        for name, settings, named in runs:
            session.log(f"{name}: env -u SDL_VIDEODRIVER {settings} ./novawing")
            session.terminal.type_line("clear")
            game = Game(session, f"env -u SDL_VIDEODRIVER {settings} ./novawing", directory,
                        name=f"novawing-{name}")
            code = game.wait_exit(60)  # only so that a game that never ends fails
            check(code == 1, f"{name}: exit code {code}, expected 1")
            error = game.stderr()
            session.log(f"standard error: {error!r}")
            # SDL2 may add its own lines about the Wayland it did not find;
            # the game's line is the last.
            line = error.rstrip("\n").split("\n")[-1]
            check(line.startswith("novawing: no graphical display is available"),
                  f"{name}: no line saying that no graphical display is available: {error!r}")
            check(named in line, f"{name}: the message does not name {named}: {line!r}")
            shown = [l.rstrip() for l in session.capture_terminal(name).split("\n")]
            terminal_restored(session, game)
            check("Loading Bitmaps" not in shown, f"{name}: the game went on to load images")


def case_fifo_in_place_of_a_file(args):
    """A FIFO where config.cfg is means no settings, and the game goes on at
    once; a FIFO where an image is stops start-up with exit code 1 and the
    line naming the file.  Nothing ever writes to either FIFO, so a game that
    waits on one never ends."""
    with Session(args.artifacts, cols=80, rows=60, alternate_screen=False) as session:
        directory = prepare_game_dir(session, args.game_dir, config=None,
                                     without=("title.bmp",))
        os.mkfifo(os.path.join(directory, "config.cfg"))
        os.mkfifo(os.path.join(directory, "data", "title.bmp"))
        game = Game(session, "./novawing", directory)
        code = game.wait_exit(60)  # only so that a game that waits on a FIFO fails
        check(code == 1, f"exit code {code}, expected 1")
        error = game.stderr()
        session.log(f"standard error: {error!r}")
        check("cannot load image data/title.bmp" in error and "not a regular file" in error,
              f"the message does not refuse data/title.bmp: {error!r}")
        check(error.count("\n") == 1, f"the message should be one line: {error!r}")
        shown = [line.rstrip() for line in session.capture_terminal("trace").split("\n")]
        terminal_restored(session, game)
        # config.cfg gave no settings, so the mode was SDL's own choice, and
        # loading stopped at the first image.
        check("Menu screen" in shown, "the game did not get as far as the title image")
        check("Gane Over Screen" not in shown, "the game went on past the title image")


def case_wayland(args):
    """On a Wayland desktop (headless sway): the game's window appears through
    Xwayland with the X11 class novawing, shows the title (as it is, or
    scaled to the window where sway tiles it), Space starts play and Escape
    ends the game with exit code 0, typed on Xwayland's display.  On
    sdl12-compat the same again as a native Wayland window
    (SDL_VIDEODRIVER=wayland) with the app_id novawing, its keys typed
    through the compositor."""
    art = Art(args.game_dir)
    runs = [("xwayland", "env -u SDL_VIDEODRIVER ./novawing", "xwayland", "class")]
    compat = sdl12_compat_folder(os.path.join(args.game_dir, "novawing"))
    if compat is not None:
        library = f"LD_LIBRARY_PATH={compat} " if compat else ""
        if compat:
            runs.append(("compat-xwayland", f"env -u SDL_VIDEODRIVER {library}./novawing",
                         "xwayland", "class"))
        runs.append(("compat-native", f"env {library}SDL_VIDEODRIVER=wayland ./novawing",
                     "xdg_shell", "app_id"))
    with wayland.WaylandSession(args.artifacts) as session:
        for name, command, shell, field in runs:
            session.log(f"{name}: {command}")
            game = Game(session, session.x.as_user + command, args.game_dir,
                        name=f"novawing-{name}")
            window = session.x.window_named("novawing")
            session.log(f"{name}: window {window}")
            check(window["shell"] == shell, f"{name}: a {window['shell']} window, not {shell}")
            check(window[field] == "novawing", f"{name}: its {field} is {window[field]!r}")
            # sway floats a window of fixed size, as the X11 one is; a native
            # one it tiles, and sdl12-compat scales the picture into the tile.
            def title(s):
                return menu_cursor(s, art) == "Start" or fills_height(s, art.title)

            wayland.wait_picture(session, window, "the title", title, f"{name}-title")
            if shell == "xdg_shell":
                # Each wtype brings a virtual keyboard with a keymap of its
                # own, and SDL2 2.26 (Debian 12) crashes in its key handler
                # when a native window's keymap changes under it: one wtype
                # types the whole game, with holds far longer than a pass.
                typing = subprocess.Popen(
                    ["wtype", "-s", "300", "-P", "space", "-s", "1500", "-p", "space",
                     "-s", "2500", "-P", "Escape", "-s", "1500", "-p", "Escape"],
                    env=session.x.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                try:
                    wayland.wait_picture(session, window, "play", lambda s: not title(s),
                                         f"{name}-playing")
                finally:
                    typing.wait(30)
            else:
                wayland.hold_until(session, window, "space", "play", lambda s: not title(s))
                time.sleep(1.0)
                session.save_picture(session.x.screenshot(window["box"], os.path.join(
                    session.work, "shot.ppm")), f"{name}-playing")

                # The game reads its keys once a frame: press until it goes.
                def pressed_escape():
                    if game.exit_code() is None:
                        session.x.hold(window, "Escape", 300)
                    return game.exit_code() is not None

                wait_for("Escape typed into the X11 window to end the game", pressed_escape,
                         20, 0.2)
            code = game.wait_exit(5)
            check(code == 0, f"{name}: Escape should end the game with exit code 0, not {code}")
            terminal_restored(session, game)


def case_desktop_scale(args):
    """On a desktop at 200 % (X's Xft.dpi 192), on sdl12-compat: the 640x480
    game in a 1280x960 window, each of its pixels a 2 x 2 block of one
    colour, in the title menu, the help screen and play; the help screen
    ignores the mouse there as anywhere, the keys work as ever, and Escape in
    play ends the game with exit code 0.  With the player's own
    SDL12COMPAT_WINDOW_SCALING=1 the window is 640x480 again."""
    folder = compat_with_tool(args, "xrdb")
    art = Art(args.game_dir)
    clean = SCALING_UNSET + " -u SDL_VIDEODRIVER"
    library = f" LD_LIBRARY_PATH={folder}" if folder else ""
    with Session(args.artifacts, screen_size=(1600, 1200)) as session:
        resources = os.path.join(session.work, "resources")
        with open(resources, "w") as f:
            f.write("Xft.dpi: 192\n")
        merged = session.x.run("xrdb", "-nocpp", "-merge", resources)
        check(merged.returncode == 0, f"xrdb failed: {merged.stderr.strip()}")

        game = launch(session, args.game_dir, f"{clean}{library} ./novawing")

        def window_size():
            return (game.screenshot().width, game.screenshot().height)

        shot = game.wait_screen("the title menu in a 1280x960 window, pixels doubled",
                                doubled(lambda s: menu_cursor(s, art) == "Start"), 10)
        session.save_picture(shot, "title-doubled")
        for key, item in (("Down", "one player"), ("Down", "Help")):
            game.hold_until(key, f"{key} to move the cursor to {item}",
                            doubled(lambda s, item=item: menu_cursor(s, art) == item))
        shot = game.hold_until("space", "the help screen, doubled",
                               doubled(lambda s: showing_help(s, art)))
        session.save_picture(shot, "help-doubled")
        # The mouse moves and clicks all over the window: the help stays.
        for x, y in ((100, 100), (1200, 900), (640, 480)):
            session.x.run("xdotool", "mousemove", "--window", game.window, str(x), str(y),
                          "click", "1")
        time.sleep(1.0)
        check(doubled(lambda s: showing_help(s, art))(game.screenshot("help-after-mouse")),
              "the help screen went (or lost its doubled pixels) under the mouse")
        game.tap("Return", 0.3)
        game.wait_screen("the menu back at Help", doubled(lambda s: menu_cursor(s, art) == "Help"))
        for key, item in (("Up", "one player"), ("Up", "Start")):
            game.hold_until(key, f"{key} to move the cursor to {item}",
                            doubled(lambda s, item=item: menu_cursor(s, art) == item))
        game.hold_until("space", "play to begin, doubled", doubled(lambda s: title_gone(s, art)))
        time.sleep(1.0)
        shot = game.screenshot("playing-doubled")
        check(doubled(lambda s: True)(shot), f"in play the window is {shot.width}x{shot.height} "
              "or its pixels are not 2 x 2 blocks of one colour")
        game.tap("Escape", 0.3)
        check(game.wait_exit() == 0, "Escape should end the program with exit code 0")
        check(game.stderr() == "", f"unexpected standard error: {game.stderr()!r}")
        terminal_restored(session, game)

        session.log("the player's own SDL12COMPAT_WINDOW_SCALING=1")
        game = Game(session, f"{clean}{library} SDL12COMPAT_WINDOW_SCALING=1 ./novawing",
                    args.game_dir, name="novawing-as-set")
        game.find_window()
        wait_menu(game, art, "Start", "title-as-set")
        check(window_size() == (640, 480),
              f"with the player's scaling of 1 the window is {window_size()}")
        check(quit_from_menu(game, art) == 0, "Quit should end with exit code 0")
        terminal_restored(session, game)


def case_desktop_scale_wayland(args):
    """On a Wayland desktop at 200 % (headless sway, output scale 2), on
    sdl12-compat, as a native Wayland window: 640x480 in the desktop's
    units, 1280x960 pixels on the output, each game pixel a 2 x 2 block of
    one colour in the title menu and in play; Space starts play and Escape
    ends the game with exit code 0."""
    folder = compat_with_tool(args, "sway")
    art = Art(args.game_dir)
    library = f"LD_LIBRARY_PATH={folder} " if folder else ""
    with wayland.WaylandSession(args.artifacts, scale=2, screen_size=(2560, 1920)) as session:
        game = Game(session, f"{session.x.as_user}{SCALING_UNSET} {library}SDL_VIDEODRIVER=wayland "
                    "./novawing", args.game_dir)
        window = session.x.window_named("novawing")
        session.log(f"window {window}")
        check(window["shell"] == "xdg_shell", f"a {window['shell']} window, not a native one")
        check(window["box"][2:] == (640, 480),
              f"the window is {window['box'][2]}x{window['box'][3]} in the desktop's units")

        wayland.wait_picture(session, window, "the title in 1280x960 pixels, doubled",
                             doubled(lambda s: menu_cursor(s, art) == "Start"), "title-doubled")
        # One wtype for the whole game: SDL2 2.26 crashes when a native
        # window's keymap changes under it (see case_wayland).
        typing = subprocess.Popen(
            ["wtype", "-s", "300", "-P", "space", "-s", "1500", "-p", "space",
             "-s", "2500", "-P", "Escape", "-s", "1500", "-p", "Escape"],
            env=session.x.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            wayland.wait_picture(session, window, "play, doubled",
                                 doubled(lambda s: title_gone(s, art)), "playing-doubled")
        finally:
            typing.wait(30)
        code = game.wait_exit(5)
        check(code == 0, f"Escape should end the game with exit code 0, not {code}")
        terminal_restored(session, game)


def case_installed(args):
    """The installed game starts by name from any directory, shows its title
    screen and quits from the menu with exit code 0, writing nothing.  It is
    installed into a scratch prefix with `cmake --install`, or, with
    --installed-prefix, taken as already installed there (a Debian package)."""
    with Session(args.artifacts) as session:
        prefix = args.installed_prefix
        if prefix is None:
            prefix = os.path.join(session.work, "prefix")
            result = subprocess.run(
                [args.cmake, "--install", args.build_dir, "--prefix", prefix],
                capture_output=True, text=True, timeout=120)
            with open(os.path.join(args.artifacts, "install.txt"), "w") as f:
                f.write(result.stdout + result.stderr)
            check(result.returncode == 0, f"cmake --install failed: {result.stderr}")
        launcher = os.path.join(prefix, "bin", "novawing")
        check(os.access(launcher, os.X_OK), f"no launcher {launcher}")
        data = os.path.join(prefix, "share", "novawing")
        for name in ("config.cfg", "data/title.bmp", "data/enemy2.bmp"):
            check(os.path.isfile(os.path.join(data, name)), f"{name} is not installed in {data}")
        # The pictures to expect are the installed ones.
        art = Art(data)
        elsewhere = os.path.join(session.work, "somewhere else")
        os.makedirs(elsewhere)
        session.terminal.type_line(f"export PATH='{prefix}/bin':\"$PATH\"")
        game = Game(session, "novawing", elsewhere)
        game.find_window()
        wait_menu(game, art, "Start", "title")
        check(quit_from_menu(game, art) == 0, "Quit should end with exit code 0")
        terminal_restored(session, game)
        check(os.listdir(elsewhere) == [], f"the game wrote files: {os.listdir(elsewhere)}")


def case_full_screen(args):
    """Full screen on a large display, on sdl12-compat, under a window
    manager (without one a full-screen request is not honoured): the
    640x480 picture scaled to the screen's full height at 4:3 between black
    bars, in the title menu and in play."""
    folder = compat_with_tool(args, "openbox")
    art = Art(args.game_dir)
    with Session(args.artifacts, screen_size=(1920, 1080)) as session:
        manager = subprocess.Popen(["openbox"], env=session.x.env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL, start_new_session=True)
        try:
            # A window manager that speaks EWMH announces its desktops.
            wait_for("the window manager", lambda: session.x.run(
                "xdotool", "get_num_desktops").returncode == 0, 10, 0.1)
            default = open(os.path.join(args.game_dir, "config.cfg")).read()
            directory = prepare_game_dir(session, args.game_dir,
                                         config=default.rstrip("\n") + "\nsdl_fullscreen\n")
            command = f"env LD_LIBRARY_PATH={folder} ./novawing" if folder else "./novawing"
            game = launch(session, directory, command)
            with open(f"/proc/{game.pid}/maps") as f:
                check("libSDL2" in f.read(), "the game did not load SDL2 beneath sdl12-compat")

            def showing(what, probe, timeout):
                # sdl12-compat may replace its first window while it goes
                # full screen: a window that has gone is looked for again.
                def look():
                    try:
                        shot = game.screenshot()
                    except Failure:
                        game.find_window()
                        shot = game.screenshot()
                    return shot if (shot.width, shot.height) == session.x.size and \
                        probe(shot) else None
                return wait_for(what, look, timeout, 0)

            shot = showing("the title menu filling the screen's height",
                           lambda s: fills_height(s, art.title), 10)
            session.save_picture(shot, "title-full-screen")
            game.key_down("space")
            try:
                showing("play to begin", lambda s: not fills_height(s, art.title), 6)
            finally:
                game.key_up("space")
            shot = showing("player 1's health bar scaled with the picture",
                           lambda s: scaled_health_bar(s, art.title), 6)
            session.save_picture(shot, "play-full-screen")
            game.tap("Escape", 0.3)
            check(game.wait_exit() == 0, "Escape should end the program with exit code 0")
        finally:
            manager.terminate()
            manager.wait(5)


def case_run_command(args):
    """The README's run command in a checkout, typed as a new user would:
    ./run.sh installs what is missing, builds the game and starts it; the
    title menu shows, and Quit ends it with exit code 0.  It builds build/ of
    the checkout (--source-dir), so it is no CTest case: ./test.sh runs it in
    each of its fresh Debian roots, from nothing."""
    source = os.path.abspath(args.source_dir or ".")
    with Session(args.artifacts) as session:
        game = Game(session, "./run.sh", source)
        # run.sh becomes the game (exec), so the window carries its process id.
        x = session.x

        def window_or_end():
            if game.exit_code() is not None:
                return "ended"
            ids = x.run("xdotool", "search", "--onlyvisible", "--pid", str(game.pid)).stdout
            return ids.split()[0] if ids.split() else None

        found = wait_for("the build and the game window", window_or_end, RUN_COMMAND_TIME - 60, 1)
        check(found != "ended", f"./run.sh ended with exit code {game.exit_code()} before a "
              f"window showed; the end of its standard error:\n{game.stderr()[-3000:]}")
        game.find_window()
        art = Art(os.path.join(source, "build", "game"))
        wait_menu(game, art, "Start", "title")
        check(quit_from_menu(game, art) == 0, "Quit should end with exit code 0")
        terminal_restored(session, game)


CASE_TIME_LIMIT = 100  # seconds; CTest's timeout for a case is 120
RUN_COMMAND_TIME = 1500  # installing and building from nothing on two cores

CASES = {name[len("case_"):]: function for name, function in globals().items()
         if name.startswith("case_")}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("case", choices=sorted(CASES))
    parser.add_argument("--game-dir", required=True)
    parser.add_argument("--artifacts", required=True)
    parser.add_argument("--build-dir")
    parser.add_argument("--cmake", default=shutil.which("cmake"))
    parser.add_argument("--installed-prefix", help="installed: use the game installed there")
    parser.add_argument("--source-dir", help="run_command: the checkout to run ./run.sh in")
    args = parser.parse_args()
    args.game_dir = os.path.abspath(args.game_dir)
    args.artifacts = os.path.abspath(args.artifacts)
    # Give up before CTest's own timeout would kill this process outright:
    # a failure raised here still stops the X server, the terminal and the
    # game on the way out, and so does being told to stop.
    def give_up(signum, frame):
        raise Failure(f"stopped by signal {signum}" if signum != signal.SIGALRM
                      else f"the case took longer than {CASE_TIME_LIMIT} s")

    signal.signal(signal.SIGALRM, give_up)
    signal.signal(signal.SIGTERM, give_up)
    signal.signal(signal.SIGHUP, give_up)
    signal.alarm(RUN_COMMAND_TIME if args.case == "run_command" else CASE_TIME_LIMIT)
    try:
        CASES[args.case](args)
    except harness.Skip as reason:
        print(f"SKIPPED: {reason}")
        return 77
    except Failure as failure:
        print(f"FAILED: {failure}\n(screenshots and terminal captures in {args.artifacts})")
        return 1
    print(f"PASSED: {args.case}")
    return 0


if __name__ == "__main__":
    sys.exit(main())

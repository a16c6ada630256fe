#!/usr/bin/env python3
"""Drives the built application in real X windows, as a new user would, and saves what the
screen shows into docs/screenshots/x11-*.png.

    python3 scripts/drive_x11.py [--out DIR] [--only NAME]

Each run starts its own Xvfb (on a free display from :57 up), with no window manager (a
desktop exactly the size of the handheld, as in a kiosk) or with openbox on a 1024x900,
1366x768 or 1920x1080 desktop, and clicks and types with xdotool: a list opened and a row
picked right after a fresh start, a search, a row's detail closed by its close box, the station
picker with a group list open, About, the menu, 옵션 and 종료. It checks that the window fits
the desktop, that every dialog it finds stays inside the emulated screen and that 종료 ends the
program with status 0; and, at the desktop's own zoom (0.91 for 480x800 on 1366x768) and at 1:
that 즐겨찾기 closes every way without taking the program down, that a click outside the
station list closes it and goes on (the other field takes the focus, 조회하기 searches), that
옵션's list opens under its box, that a train's ten stops all show, that --zoom 2 keeps the
window on the desktop and says so, and that the window manager's close of a square screen at
zoom 0.5 leaves the portrait screen and a second close ends the program. The pictures show the
rest (look at them). Installs xvfb, xdotool, openbox, imagemagick and x11-utils when missing.
Builds nothing: build the default preset first.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
BIN = Path(os.environ.get("VELOMAR_BUILD_DIR", ROOT / "build" / "default")) / "bin"
APP = BIN / "velomar"
CLI = BIN / "velomar-cli"
PACKAGES = ["xvfb", "xdotool", "openbox", "imagemagick", "x11-utils", "x11-xserver-utils"]
# The Hangul syllables the runs type, bound to spare keys (media keys from 240 up, none of
# them a modifier) for the whole run: xdotool would bind each to a key only while typing it,
# and a program busy just then (the first letter typed counts the trains of the timetables)
# reads the key after it was unbound again.
TYPED = "대전부산동구"


class Run:
    """One start of the program on a fresh desktop, and what is done with it."""

    def __init__(self, name, desktop, window_manager, screen, steps, zoom=None, time="07:00",
                 pair=None):
        self.name, self.desktop, self.window_manager = name, desktop, window_manager
        self.screen, self.steps, self.zoom, self.time, self.pair = screen, steps, zoom, time, pair


failures = []


def check(condition, what):
    print(("  ok   " if condition else "  FAIL ") + what)
    if not condition:
        failures.append(what)


def run(*args, **kwargs):
    return subprocess.run(args, check=False, capture_output=True, text=True, **kwargs)


class Screen:
    """Where the emulated screen's controls are, in its own pixels (the dialog-unit rules of
    the portrait template), and how they map to the desktop."""

    def __init__(self, size):
        self.width, self.height = size
        wide = self.width >= 480
        self.strip = 52 if wide else 26
        self.fx = 2.0 if self.width == 240 else 4.0 if self.width == 480 else self.width / 120
        self.fy = 26 / 8 if wide else 13 / 8
        self.row = 30 if wide else 15  # a result row and a list entry, roughly
        self.header = 33 if wide else 19
        self.origin = (0, 0)
        self.zoom = 1.0
        self.errors = None  # the file that holds the program's standard error

    def form(self, x_du, y_du):
        return (x_du * self.fx, self.strip + y_du * self.fy)

    def desktop(self, point):
        return (round(self.origin[0] + point[0] * self.zoom),
                round(self.origin[1] + point[1] * self.zoom))

    # Controls, centred, in emulated pixels.
    def hour_list(self):
        return self.form(51, 22)

    def hour_entry(self, below):
        x, y = self.form(51, 28)
        return (x, y + self.row * 1.2 * (below + 0.5))

    def search(self):
        x, y = self.form(19, 47)
        return (x + (160 if self.width >= 480 else 81), y + (29 if self.width >= 480 else 13))

    def departure_button(self):
        x, y = self.form(1, 32)
        return (x + (48 if self.width >= 480 else 25), y + (19 if self.width >= 480 else 10))

    def result_row(self, index):
        x, y = self.form(60, 67)
        return (x, y + 1 + self.header + self.row * (index + 0.5))

    def menu_button(self):
        return (32 if self.width >= 480 else 20, self.height - self.strip / 2)

    def info_button(self):
        return (96 if self.width >= 480 else 60, self.height - self.strip / 2)


class Desktop:
    def __init__(self, size, window_manager, out, work):
        self.size = size
        self.out = out
        self.display = free_display()
        self.env = dict(os.environ, DISPLAY=f":{self.display}", XDG_RUNTIME_DIR=str(work))
        self.env.pop("QT_QPA_PLATFORM", None)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.processes = []
        try:
            self.start_servers(size, window_manager)
        except BaseException:
            self.close()  # a server that came up is not left behind
            raise

    def start_servers(self, size, window_manager):
        # -noreset: without it the server restarts each time its last client leaves, and a
        # client connecting just then is turned away.
        self.start(["Xvfb", f":{self.display}", "-screen", "0", f"{size[0]}x{size[1]}x24",
                    "-nolisten", "tcp", "-noreset"])
        self.wait_for(lambda: run("xdpyinfo", env=self.env).returncode == 0, "Xvfb")
        for i, character in enumerate(TYPED):
            run("xmodmap", "-e", f"keycode {240 + i} = U{ord(character):04X}", env=self.env)
        if window_manager:
            self.start(["openbox", "--sm-disable"])
            self.wait_for(lambda: "window id" in run(
                "xprop", "-root", "_NET_SUPPORTING_WM_CHECK", env=self.env).stdout, "openbox")

    def start(self, command, **kwargs):
        with open(os.environ.get("DRIVE_X11_LOG", os.devnull), "a") as log:
            process = subprocess.Popen(command, env=self.env, stdout=log, stderr=log, **kwargs)
        self.processes.append(process)
        return process

    @staticmethod
    def wait_for(test, what, seconds=30):
        end = time.time() + seconds
        while time.time() < end:
            if test():
                return
            time.sleep(0.1)
        raise RuntimeError(f"{what} did not come up")

    def xdotool(self, *args):
        return run("xdotool", *args, env=self.env).stdout

    def click(self, point, pause=0.6):
        self.xdotool("mousemove", str(point[0]), str(point[1]), "click", "1")
        time.sleep(pause)

    def key(self, name, pause=0.5):
        self.xdotool("key", name)
        time.sleep(pause)

    def window(self, name):
        """Geometry (x, y, width, height) of the visible window called `name`, or None."""
        ids = self.xdotool("search", "--onlyvisible", "--name", f"^{name}$").split()
        if not ids:
            return None
        # xwininfo, not xdotool: under a window manager xdotool adds the frame to the place.
        info = run("xwininfo", "-id", ids[-1], env=self.env).stdout
        fields = {}
        for line in info.splitlines():
            key, _, value = line.strip().partition(":")
            fields[key] = value.strip()
        return tuple(int(fields[k]) for k in ("Absolute upper-left X", "Absolute upper-left Y",
                                              "Width", "Height"))

    def frame(self, name):
        """What the window manager adds around `name`: (left, right, top, bottom)."""
        ids = self.xdotool("search", "--onlyvisible", "--name", f"^{name}$").split()
        text = run("xprop", "-id", ids[-1], "_NET_FRAME_EXTENTS", env=self.env).stdout \
            if ids else ""
        if "=" not in text:
            return (0, 0, 0, 0)
        return tuple(int(v) for v in text.split("=", 1)[1].split(","))

    def popup(self):
        """Geometry of the open drop-down list (a window without a window manager frame)."""
        tree = run("xwininfo", "-root", "-children", env=self.env).stdout
        for line in tree.splitlines():
            if '"velomar": ("velomar"' not in line:
                continue
            size, _, place = line.split()[-2].partition("+")
            width, height = (int(v) for v in size.split("x"))
            x, y = (int(v) for v in place.split("+"))
            if width > 20 and height > 20:
                return (x, y, width, height)
        return None

    def pixels(self, start, end):
        """The colours (r, g, b) of the desktop's pixels from `start` down to `end`."""
        x, y0 = start
        y1 = end[1]
        whole = Path(tempfile.mkstemp(suffix=".txt")[1])
        run("import", "-window", "root", "-crop", f"1x{y1 - y0}+{x}+{y0}", "-depth", "8",
            f"txt:{whole}", env=self.env)
        colours = []
        for line in whole.read_text().splitlines()[1:]:
            values = line.split("(", 1)[1].split(")", 1)[0].split(",")
            colours.append(tuple(int(float(v)) for v in values[:3]))
        whole.unlink()
        return colours

    def close_window(self, name):
        """The window manager's close, as its close button or Alt+F4 asks for it."""
        ids = self.xdotool("search", "--onlyvisible", "--name", f"^{name}$").split()
        if ids:
            self.xdotool("windowactivate", "--sync", ids[-1])
            self.key("alt+F4")

    def shoot(self, name, area):
        """Saves the desktop's `area` (x, y, width, height) as x11-NAME.png."""
        x, y, w, h = area
        x, y = max(0, x), max(0, y)
        w, h = min(w, self.size[0] - x), min(h, self.size[1] - y)
        whole = Path(tempfile.mkstemp(suffix=".png")[1])
        run("import", "-window", "root", str(whole), env=self.env)
        target = self.out / f"x11-{name}.png"
        run("convert", str(whole), "-crop", f"{w}x{h}+{x}+{y}", "+repage", str(target))
        whole.unlink()
        print(f"  wrote {target.relative_to(ROOT) if target.is_relative_to(ROOT) else target}")

    def close(self):
        for process in reversed(self.processes):
            process.terminate()
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()


_used_displays = set()


def free_display():
    # Never the same number twice in a run: an X server just told to stop may still hold it.
    for number in range(57, 200):
        if number in _used_displays:
            continue
        if not Path(f"/tmp/.X{number}-lock").exists() and \
                not Path(f"/tmp/.X11-unix/X{number}").exists():
            _used_displays.add(number)
            return number
    raise RuntimeError("no free X display between :57 and :199")


def start_app(desktop, screen, work, plan):
    settings = work / f"{plan.name}.sqlite3"
    if plan.pair:
        # A store that has seen its first start, holding the pair to search.
        for kind, name, value in (("--number", "Velomar", "1020"),
                                  ("--text", "StartStation", plan.pair[0]),
                                  ("--text", "EndStation", plan.pair[1])):
            run(str(CLI), "--settings", str(settings), "settings", "set", kind, name, value)
    args = [str(APP), "--settings", str(settings), "--time", plan.time,
            "--screen", f"{screen.width}x{screen.height}"]
    if plan.zoom:
        args += ["--zoom", plan.zoom]
    screen.errors = work / f"{plan.name}.stderr"
    with open(screen.errors, "w") as errors:
        app = subprocess.Popen(args, env=desktop.env, cwd=work, stdout=subprocess.DEVNULL,
                               stderr=errors)
    desktop.processes.append(app)
    window_name = "Velomar"
    desktop.wait_for(lambda: desktop.window(window_name) is not None, "the window")
    time.sleep(1.0)
    x, y, w, h = desktop.window(window_name)
    screen.origin = (x, y)
    screen.zoom = w / screen.width
    return app, (x, y, w, h)


def check_fits(desktop, screen, geometry, frame):
    x, y, w, h = geometry
    left, right, top, bottom = frame
    print(f"  window {w}x{h} at {x},{y}, frame {frame}, zoom {screen.zoom:.2f}")
    check(x - left >= 0 and y - top >= 0 and x + w + right <= desktop.size[0] and
          y + h + bottom <= desktop.size[1],
          "the whole window, frame and menu strip included, is on the desktop")


def check_dialog_inside(desktop, screen, name):
    dialog = desktop.window(name)
    if dialog is None:  # a zoomed screen draws its dialogs itself
        return
    x, y, w, h = dialog
    ox, oy = screen.origin
    check(x >= ox and y >= oy and x + w <= ox + screen.width * screen.zoom + 1 and
          y + h <= oy + screen.height * screen.zoom + 1, f"{name} stays inside the screen")


def close_box(desktop, screen, name, strip=None):
    """Clicks the close box of the dialog `name` (a window of its own at zoom 1)."""
    dialog = desktop.window(name)
    if dialog is None:
        desktop.key("Escape")
        return
    x, y, w, _ = dialog
    caption = (strip or screen.strip) * screen.zoom
    desktop.click((round(x + w - caption / 2), round(y + caption / 2)))
    check(desktop.window(name) is None, f"{name}'s close box closes it")


def portrait_steps(desktop, screen, name, area, app=None):
    # A fresh start: open the hour list and pick a row with the mouse.
    desktop.click(screen.desktop(screen.hour_list()))
    desktop.shoot(f"{name}-1-list-open", area)
    desktop.click(screen.desktop(screen.hour_entry(1)))
    desktop.shoot(f"{name}-2-picked", area)
    # Search: a full page, no scroll bars.
    desktop.click(screen.desktop(screen.search()), pause=1.0)
    desktop.shoot(f"{name}-3-page", area)
    # A row's detail, closed by touch.
    desktop.click(screen.desktop(screen.result_row(1)), pause=1.0)
    desktop.shoot(f"{name}-4-detail", area)
    check_dialog_inside(desktop, screen, "상세정보")
    close_box(desktop, screen, "상세정보")
    # After the dialog the next pick stays.
    desktop.click(screen.desktop(screen.hour_list()))
    desktop.click(screen.desktop(screen.hour_entry(2)))
    desktop.shoot(f"{name}-5-picked-after-dialog", area)
    # The picker with its first group list open.
    desktop.click(screen.desktop(screen.departure_button()), pause=1.0)
    desktop.click(screen.desktop(picker_first_list(screen)))
    desktop.shoot(f"{name}-6-picker-list", area)
    desktop.key("Escape")
    desktop.key("Escape")
    # About, closed by its close box.
    desktop.click(screen.desktop(screen.info_button()), pause=1.0)
    desktop.shoot(f"{name}-7-about", area)
    check_dialog_inside(desktop, screen, "Velomar 정보")
    close_box(desktop, screen, "Velomar 정보", strip=26)  # drawn alike on every screen


def picker_first_list(screen):
    """The 가 list of a picker centred on the screen (its units narrowed to fit)."""
    fx = min(screen.fx, screen.width / 122)
    caption = screen.strip
    height = round(180 * screen.fy) + caption
    top = max(0, (screen.height - height) // 2) + caption
    left = max(0, (screen.width - round(122 * fx)) // 2)
    return (left + 38 * fx, top + 29 * screen.fy)


def menu_steps(desktop, screen, name, area, app):
    desktop.click(screen.desktop(screen.menu_button()))
    desktop.shoot(f"{name}-menu", area)
    # The entries from the bottom up: 종료, (separator), 옵션, 즐겨찾기.
    desktop.key("Escape")
    for entry, title in ((2, "즐겨찾기"), (1, "옵션")):
        open_menu_entry(desktop, screen, entry)
        desktop.shoot(f"{name}-{'favorites' if entry == 2 else 'options'}", area)
        desktop.key("Escape")
        check(app.poll() is None, f"{title} closed by Escape; the program still runs")
    quit_by_menu(desktop, screen, app)


def open_menu_entry(desktop, screen, from_bottom):
    desktop.click(screen.desktop(screen.menu_button()))
    desktop.click(screen.desktop(menu_entry(screen, from_bottom)), pause=1.0)


def quit_by_menu(desktop, screen, app):
    open_menu_entry(desktop, screen, 0)
    try:
        status = app.wait(timeout=5)
    except subprocess.TimeoutExpired:
        status = None
    check(status == 0, f"종료 ends the program with status 0 (got {status})")


def menu_entry(screen, from_bottom):
    """Entry `from_bottom` (0 = 종료) of the menu that opens upwards from its strip."""
    entry = 36 if screen.width >= 480 else 22  # measured on the pictures
    separator = 2 if screen.width >= 480 else 1
    bottom = screen.height - screen.strip
    y = bottom - entry * (from_bottom + 0.5) - (separator if from_bottom > 0 else 0)
    return (entry * 1.5, y)


def square_steps(desktop, screen, name, area, app=None):
    desktop.shoot(f"{name}-1-square", area)
    # Search inside the square form, then 취소 for the portrait one.
    desktop.click(screen.desktop((131 * 320 / 131 / 2, 50 * 13 / 8 + 18)), pause=1.0)
    desktop.shoot(f"{name}-2-square-page", area)
    desktop.click(screen.desktop((300, 188 * 13 / 8)), pause=1.0)
    desktop.click(screen.desktop(screen.search()), pause=1.0)
    desktop.shoot(f"{name}-3-portrait-spread", area)


# ---- What a new user ran into at the desktop's own zoom, with real windows ----------------

def dialog_place(screen, width_du, height_du):
    """(x, y, width, height, caption) of a template dialog centred on the screen, in emulated
    pixels, its units narrowed to fit the screen as the program does."""
    caption = screen.strip
    fx = min(screen.fx, screen.width / width_du)
    fy = min(screen.fy, (screen.height - caption) / height_du)
    w, h = round(width_du * fx), round(height_du * fy) + caption
    return ((screen.width - w) // 2, (screen.height - h) // 2, w, h, caption)


def template_point(screen, place, rect_du, width_du, height_du):
    """The middle of the item at `rect_du` (x, y, w, h) of a dialog at `place`."""
    x, y, w, h, caption = place
    fx, fy = w / width_du, (h - caption) / height_du
    return (x + (rect_du[0] + rect_du[2] / 2) * fx,
            y + caption + (rect_du[1] + rect_du[3] / 2) * fy)


def favorites_point(screen, rect_du):
    return template_point(screen, dialog_place(screen, 120, 180), rect_du, 120, 180)


FAVORITES_WAYS = {
    "its close box": lambda d, s: d.click(s.desktop(close_box_point(dialog_place(s, 120, 180)))),
    "취소": lambda d, s: d.click(s.desktop(favorites_point(s, (81, 145, 37, 14)))),
    "선택": lambda d, s: d.click(s.desktop(favorites_point(s, (3, 145, 37, 14)))),
    "Escape": lambda d, s: d.key("Escape"),
}


def close_box_point(place):
    x, y, w, _, caption = place
    return (x + w - caption / 2, y + caption / 2)


def alive(app, what):
    check(app.poll() is None, f"{what}: the program still runs (status {app.poll()})")


def favorites_closing_steps(desktop, screen, name, app):
    """즐겨찾기 closed every way a user closes it; below zoom 1 each used to end in a crash."""
    for way, close in FAVORITES_WAYS.items():
        open_menu_entry(desktop, screen, 2)
        close(desktop, screen)
        time.sleep(0.8)
        alive(app, f"즐겨찾기 closed by {way} at zoom {screen.zoom:.2f}")
        if app.poll() is not None:
            return


def form_point(screen, rect_du):
    x, y, w, h = rect_du
    return screen.form(x + w / 2, y + h / 2)


def type_text(desktop, text):
    for character in text:
        desktop.xdotool("type", character)
        time.sleep(0.3)


def type_into(desktop, screen, rect_du, text):
    """Clicks a field, selects what it holds and types `text` over it."""
    desktop.click(screen.desktop(form_point(screen, rect_du)), pause=0.4)
    desktop.key("ctrl+a", pause=0.4)
    type_text(desktop, text)


def stored(work, name, key):
    return run(str(CLI), "--settings", str(work / f"{name}.sqlite3"), "settings", "get",
               key).stdout.strip()


DEPARTURE_FIELD = (27, 32, 30, 12)
ARRIVAL_FIELD = (88, 32, 30, 12)
SEARCH_TILE = (19, 47, 74, 20)


def station_list_steps(desktop, screen, name, area, work):
    """The list under a station field closes with a click outside, and the click goes on."""
    type_into(desktop, screen, DEPARTURE_FIELD, "대전")
    desktop.key("Escape")
    type_into(desktop, screen, ARRIVAL_FIELD, "부")
    desktop.shoot(f"{name}-station-list", area)
    # A click on the other field while the list is open moves the focus there too.
    desktop.click(screen.desktop(form_point(screen, DEPARTURE_FIELD)), pause=0.6)
    desktop.key("ctrl+a", pause=0.4)
    type_text(desktop, "동대구")
    desktop.key("Escape")
    # With the list open under 부산 (부산진 is offered too), 조회하기 closes it and searches.
    type_into(desktop, screen, ARRIVAL_FIELD, "부산")
    desktop.click(screen.desktop(form_point(screen, SEARCH_TILE)), pause=1.2)
    desktop.shoot(f"{name}-station-list-searched", area)
    pair = (stored(work, name, "StartStation"), stored(work, name, "EndStation"))
    check(pair == ("동대구", "부산"),
          f"after a click on 출발역 with the list open the typing went there, and 조회하기 "
          f"with the list open searched (stored pair {pair})")


def fit_zoom_steps(desktop, screen, name, area, app, work):
    check(screen.zoom < 1, f"the screen is drawn below its size (zoom {screen.zoom:.2f})")
    favorites_closing_steps(desktop, screen, name, app)
    if app.poll() is None:
        station_list_steps(desktop, screen, name, area, work)
        quit_by_menu(desktop, screen, app)


def options_list_steps(desktop, screen, name, area, app, work, times=3):
    """옵션's list opens under its box; a window manager that had just framed the dialog now
    and then reported it at 0,0, and the list opened in the screen's top left corner."""
    place = dialog_place(screen, 122, 153)
    box = template_point(screen, place, (61, 20, 46, 12), 122, 153)
    # The closed list is 12 units high from unit 20 down.
    box_bottom = place[1] + place[4] + 32 * (place[3] - place[4]) / 153
    for attempt in range(times):
        open_menu_entry(desktop, screen, 1)
        desktop.click(screen.desktop(box), pause=1.0)
        popup = desktop.popup()
        if attempt == 0:
            desktop.shoot(f"{name}-options-list", area)
        top = None if popup is None else (popup[1] - screen.origin[1]) / screen.zoom
        check(top is not None and box_bottom - 8 <= top <= box_bottom + 8,
              f"옵션's list opens under its box (top {top}, box bottom {box_bottom:.0f})")
        desktop.key("Escape")
        desktop.key("Escape")
    alive(app, "옵션 opened and closed")


def desktop_zoom1_steps(desktop, screen, name, area, app, work):
    favorites_closing_steps(desktop, screen, name, app)
    if app.poll() is None:
        options_list_steps(desktop, screen, name, area, app, work)
        quit_by_menu(desktop, screen, app)


def detail_steps(desktop, screen, name, area, app, work):
    """KTX 151 from 서울 at 14:35 calls at ten stations, 부산 17:29 the last: all show."""
    desktop.click(screen.desktop(screen.search()), pause=1.2)
    desktop.click(screen.desktop(screen.result_row(1)), pause=1.2)
    desktop.shoot(f"{name}-detail-ten-stops", area)
    # The list, drawn white to its right edge where no scroll bar takes the room.
    x, y = 70 + 4 + 344 - 10, 100 + 52 + 40
    shot = desktop.pixels(screen.desktop((x, y)), screen.desktop((x, y + 300)))
    check(shot and all(min(p) > 235 for p in shot),
          "no scroll bar beside the ten stops of KTX 151")
    close_box_at = screen.desktop((70 + 356 - 26, 100 + 26))
    desktop.click(close_box_at, pause=0.8)
    alive(app, "the detail closed by its close box")
    quit_by_menu(desktop, screen, app)


def zoom_cut_steps(desktop, screen, name, area, app, work):
    said = screen.errors.read_text()
    check("does not fit" in said and "using" in said,
          f"--zoom {screen.zoom:.2f}: standard error says a smaller zoom was taken "
          f"({said.strip()!r})")
    desktop.shoot(f"{name}", area)
    quit_by_menu(desktop, screen, app)


def square_close_steps(desktop, screen, name, area, app, work):
    """The window manager's close of the square screen drawn at half size gives the portrait
    screen, as at zoom 1; the next close ends the program."""
    desktop.shoot(f"{name}-1-square", area)
    desktop.close_window("Velomar")
    time.sleep(1.5)
    check(app.poll() is None and desktop.window("Velomar") is not None,
          "closing the square screen leaves the portrait screen on the desktop")
    desktop.shoot(f"{name}-2-portrait", area)
    desktop.close_window("Velomar")
    try:
        status = app.wait(timeout=5)
    except subprocess.TimeoutExpired:
        status = None
    check(status == 0, f"closing the portrait screen ends the program with status 0 (got {status})")


# ---- The runs ------------------------------------------------------------------------------

def kiosk(name, size, steps):
    return Run(name, size, False, size, lambda d, s, n, a, app, w: steps(d, s, n, a))


def with_menu(desktop, screen, name, area, app, work):
    menu_steps(desktop, screen, name, area, app)


def openbox(name, desktop, screen, steps, **options):
    return Run(f"openbox-{name}", desktop, True, screen, steps, **options)


HD, LAPTOP = (1920, 1080), (1366, 768)
RUNS = [
    kiosk("240x320", (240, 320), portrait_steps),
    kiosk("240x400", (240, 400), portrait_steps),
    kiosk("320x320", (320, 320), square_steps),
    kiosk("480x800", (480, 800), portrait_steps),
    openbox("1024x900", (1024, 900), (480, 800), with_menu),
    openbox("1366x768", LAPTOP, (480, 800), with_menu),
    openbox("1366x768-240x320", LAPTOP, (240, 320), with_menu),
    openbox("1366x768-fit", LAPTOP, (480, 800), fit_zoom_steps),
    openbox("1920x1080", HD, (480, 800), desktop_zoom1_steps),
    openbox("1366x768-detail", LAPTOP, (480, 800), detail_steps, time="14:00",
            pair=("서울", "부산")),
    openbox("1920x1080-detail", HD, (480, 800), detail_steps, time="14:00",
            pair=("서울", "부산")),
    openbox("1920x1080-zoom2", HD, (480, 800), zoom_cut_steps, zoom="2"),
    openbox("1366x768-zoom2", LAPTOP, (480, 800), zoom_cut_steps, zoom="2"),
    openbox("1920x1080-240x320-zoom2", HD, (240, 320),
            lambda d, s, n, a, app, w: options_list_steps(d, s, n, a, app, w, times=1)
            or quit_by_menu(d, s, app), zoom="2"),
    openbox("1366x768-320x320-zoom0.5", LAPTOP, (320, 320), square_close_steps, zoom="0.5"),
    openbox("1920x1080-320x320-zoom0.5", HD, (320, 320), square_close_steps, zoom="0.5"),
]


def drive(plan, out, work):
    print(f"{plan.name}: desktop {plan.desktop[0]}x{plan.desktop[1]}, "
          f"{'openbox' if plan.window_manager else 'no window manager'}, "
          f"screen {plan.screen[0]}x{plan.screen[1]}"
          + (f", --zoom {plan.zoom}" if plan.zoom else ""))
    desktop = Desktop(plan.desktop, plan.window_manager, out, work)
    try:
        screen = Screen(plan.screen)
        app, geometry = start_app(desktop, screen, work, plan)
        frame = desktop.frame("Velomar")
        check_fits(desktop, screen, geometry, frame)
        x, y, w, h = geometry
        left, right, top, bottom = frame
        area = (x - left, y - top, w + left + right, h + top + bottom)
        plan.steps(desktop, screen, plan.name, area, app, work)
    finally:
        desktop.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", type=Path, default=ROOT / "docs" / "screenshots")
    parser.add_argument("--only", help="run only the runs whose name contains this")
    args = parser.parse_args()
    if not APP.exists():
        print(f"drive_x11.py: {APP} is missing; build the default preset first", file=sys.stderr)
        return 1
    subprocess.run([str(ROOT / "scripts" / "install-deps.sh"), *PACKAGES], check=True)
    args.out.mkdir(parents=True, exist_ok=True)
    work = Path(tempfile.mkdtemp(prefix="velomar-x11-"))
    try:
        for case in RUNS:
            if args.only is None or args.only in case.name:
                drive(case, args.out, work)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print(f"{len(failures)} check(s) failed" if failures else "all checks passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

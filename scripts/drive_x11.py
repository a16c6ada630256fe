#!/usr/bin/env python3
"""Drives the built application in real X windows, as a new user would, and saves what the
screen shows into docs/screenshots/x11-*.png.

    python3 scripts/drive_x11.py [--out DIR] [--only NAME]

Each run starts its own Xvfb (on a free display from :57 up), with no window manager (a
desktop exactly the size of the handheld, as in a kiosk) or with openbox on a 1024x900 or
1366x768 desktop, and clicks with xdotool: a list opened and a row picked right after a fresh
start, a search, a row's detail closed by its close box, the station picker with a group list
open, About, the menu, 옵션 and 종료. It checks that the window fits the desktop, that every
dialog it finds stays inside the emulated screen and that 종료 ends the program with status 0;
the pictures show the rest (look at them). Installs xvfb, xdotool, openbox, imagemagick and
x11-utils when missing. Builds nothing: build the default preset first.
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
APP = Path(os.environ.get("VELOMAR_BUILD_DIR", ROOT / "build" / "default")) / "bin" / "velomar"
PACKAGES = ["xvfb", "xdotool", "openbox", "imagemagick", "x11-utils"]

# (name, desktop, window manager, emulated screen)
RUNS = [
    ("240x320", (240, 320), False, (240, 320)),
    ("240x400", (240, 400), False, (240, 400)),
    ("320x320", (320, 320), False, (320, 320)),
    ("480x800", (480, 800), False, (480, 800)),
    ("openbox-1024x900", (1024, 900), True, (480, 800)),
    ("openbox-1366x768", (1366, 768), True, (480, 800)),
    ("openbox-1366x768-240x320", (1366, 768), True, (240, 320)),
]

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


def start_app(desktop, screen, work, name):
    app = desktop.start([str(APP), "--settings", str(work / f"{name}.sqlite3"), "--time", "07:00",
                         "--screen", f"{screen.width}x{screen.height}"],
                        cwd=work)
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


def portrait_steps(desktop, screen, name, area):
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
        desktop.click(screen.desktop(screen.menu_button()))
        desktop.click(screen.desktop(menu_entry(screen, entry)), pause=1.0)
        desktop.shoot(f"{name}-{'favorites' if entry == 2 else 'options'}", area)
        desktop.key("Escape")
    desktop.click(screen.desktop(screen.menu_button()))
    desktop.click(screen.desktop(menu_entry(screen, 0)), pause=1.0)
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


def square_steps(desktop, screen, name, area):
    desktop.shoot(f"{name}-1-square", area)
    # Search inside the square form, then 취소 for the portrait one.
    desktop.click(screen.desktop((131 * 320 / 131 / 2, 50 * 13 / 8 + 18)), pause=1.0)
    desktop.shoot(f"{name}-2-square-page", area)
    desktop.click(screen.desktop((300, 188 * 13 / 8)), pause=1.0)
    desktop.click(screen.desktop(screen.search()), pause=1.0)
    desktop.shoot(f"{name}-3-portrait-spread", area)


def drive(run_spec, out, work):
    name, desktop_size, window_manager, screen_size = run_spec
    print(f"{name}: desktop {desktop_size[0]}x{desktop_size[1]}, "
          f"{'openbox' if window_manager else 'no window manager'}, "
          f"screen {screen_size[0]}x{screen_size[1]}")
    desktop = Desktop(desktop_size, window_manager, out, work)
    try:
        screen = Screen(screen_size)
        app, geometry = start_app(desktop, screen, work, name)
        frame = desktop.frame("Velomar")
        check_fits(desktop, screen, geometry, frame)
        x, y, w, h = geometry
        left, right, top, bottom = frame
        area = (x - left, y - top, w + left + right, h + top + bottom)
        if screen.width == 320:
            square_steps(desktop, screen, name, area)
        elif window_manager:
            menu_steps(desktop, screen, name, area, app)
        else:
            portrait_steps(desktop, screen, name, area)
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
            if args.only is None or args.only in case[0]:
                drive(case, args.out, work)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print(f"{len(failures)} check(s) failed" if failures else "all checks passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

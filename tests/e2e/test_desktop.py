"""The real program on a real X desktop (Xvfb, no window manager), driven with
xdotool and looked at with ImageMagick screenshots.

Usage: test_desktop.py PROGRAM SCREENSHOT_DIR
"""

import os
import re
import subprocess
import sys
import time

import board
from board import check

SCREEN_W, SCREEN_H = 1280, 1024
TITLE = "留言板api接口 精简版| Brantmoor"
NEW_PORT = 9988

# Points in window coordinates, and what they show.
PAGE_AREA = (300, 276)      # white on the usage page, the log box's black on the log page
LOG_HEADER = (185, 90)      # left part of the 日志输出 header's face
LOG_HEADER_CENTRE = (239, 90)
PORT_BOX = (268, 456)
START_BUTTON = (176, 488)
BANNER = (100, 15)
LOG_LINES = (10, 224, 300, 40)   # x, y, width, height of the log's first lines

WHITE, BLACK = (255, 255, 255), (0, 0, 0)
HEADER_OFF, HEADER_ON = (0x08, 0x10, 0x23), (0xDF, 0xE7, 0xFA)


def run(*args, timeout=15):
    result = subprocess.run(args, capture_output=True, text=True,
                            timeout=timeout)
    check(result.returncode == 0, f"{' '.join(args)}: exit "
          f"{result.returncode} {result.stderr.strip()}")
    return result.stdout


def start_xvfb():
    """Xvfb on a free display, which it picks and reports itself."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
         f"{SCREEN_W}x{SCREEN_H}x24", "-nolisten", "tcp"],
        pass_fds=[write_end], stdout=subprocess.DEVNULL,
        stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        number = pipe.readline().strip()
    check(number.isdigit(), "Xvfb reported no display")
    return server, f":{number}"


class Desktop:
    def __init__(self, display, copy, shots):
        self.display = display
        self.copy = copy
        self.shots = shots
        self.window = None

    def xdotool(self, *args):
        return run("xdotool", *args)

    def find_window(self):
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline:
            found = subprocess.run(
                ["xdotool", "search", "--onlyvisible", "--name", TITLE],
                capture_output=True, text=True)
            ids = found.stdout.split()
            if ids:
                self.window = ids[0]
                return
            time.sleep(0.1)
        raise board.CheckFailed(f"no visible window titled {TITLE!r}")

    def geometry(self):
        out = self.xdotool("getwindowgeometry", "--shell", self.window)
        values = dict(line.split("=") for line in out.split())
        return (int(values["X"]), int(values["Y"]),
                int(values["WIDTH"]), int(values["HEIGHT"]))

    def to_screen(self, point):
        x, y, _, _ = self.geometry()
        return x + point[0], y + point[1]

    def click(self, point):
        self.xdotool("mousemove", *map(str, self.to_screen(point)))
        time.sleep(0.1)
        self.xdotool("click", "1")
        time.sleep(0.3)

    def drag(self, point, dx, dy, steps=10):
        sx, sy = self.to_screen(point)
        self.xdotool("mousemove", str(sx), str(sy))
        time.sleep(0.1)
        self.xdotool("mousedown", "1")
        for i in range(1, steps + 1):
            time.sleep(0.03)
            self.xdotool("mousemove", str(sx + dx * i // steps),
                         str(sy + dy * i // steps))
        time.sleep(0.1)
        self.xdotool("mouseup", "1")
        time.sleep(0.3)

    def screenshot(self, name):
        """The whole screen, for pixel checks, and the window cut out of it
        (the picture kept for people to look at)."""
        path = os.path.join(self.shots, name)
        run("import", "-display", self.display, "-window", "root", path)
        x, y, w, h = self.geometry()
        run("convert", path, "-crop", f"{w}x{h}+{x}+{y}", "+repage",
            path.replace(".png", "-window.png"))
        return path

    def pixels(self, shot, area):
        """Colours of a window area (x, y, w, h) of a screenshot."""
        x, y = self.to_screen(area[:2])
        crop = f"{area[2]}x{area[3]}+{x}+{y}"
        out = run("convert", shot, "-crop", crop, "-depth", "8", "txt:-")
        return [tuple(map(int, m.groups()[:3])) for m in
                re.finditer(r"\((\d+),(\d+),(\d+)", out)]

    def pixel(self, shot, point):
        return self.pixels(shot, (*point, 1, 1))[0]


def near(colour, wanted, tolerance=40):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, wanted))


def window_is_centred_and_frameless(desk):
    x, y, w, h = desk.geometry()
    check((w, h) == (360, 520), f"window is {w}x{h}, expected 360x520")
    expected = ((SCREEN_W - 360) // 2, (SCREEN_H - 520) // 2)
    check((x, y) == expected, f"window at {x},{y}, expected {expected}")
    hints = desk.xdotool("getwindowname", desk.window)
    check(hints.strip() == TITLE, f"title {hints.strip()!r}")
    motif = run("xprop", "-display", desk.display, "-id", desk.window,
                "_MOTIF_WM_HINTS")
    values = [int(v, 16) for v in re.findall(r"0x[0-9a-f]+", motif)]
    check(len(values) >= 3 and values[0] & 2 and values[2] == 0,
          f"the window does not ask for no decorations: {motif.strip()}")


def usage_page_shows_first(desk):
    def shown():
        shot = desk.screenshot("e2e-desktop-start.png")
        check(near(desk.pixel(shot, PAGE_AREA), WHITE),
              f"usage page area is {desk.pixel(shot, PAGE_AREA)}, expected"
              f" white")
        check(near(desk.pixel(shot, LOG_HEADER), HEADER_OFF),
              f"log header is {desk.pixel(shot, LOG_HEADER)}, expected its"
              f" unselected face")
    board.eventually(shown)


def log_header_shows_the_log(desk):
    board.publish("日志里的一行")
    desk.click(LOG_HEADER_CENTRE)

    def shown():
        shot = desk.screenshot("e2e-desktop-log.png")
        check(near(desk.pixel(shot, PAGE_AREA), BLACK),
              f"page area is {desk.pixel(shot, PAGE_AREA)} after clicking "
              f"日志输出, expected the log box's black")
        check(near(desk.pixel(shot, LOG_HEADER), HEADER_ON),
              f"log header is {desk.pixel(shot, LOG_HEADER)}, expected"
              f" selected")
        green = [p for p in desk.pixels(shot, LOG_LINES)
                 if p[1] > 160 and p[0] < 100 and p[2] < 100]
        check(len(green) > 20, "no green log text on the log page")
    board.eventually(shown)


def start_button_moves_the_server(desk):
    desk.click(PORT_BOX)
    desk.xdotool("key", "ctrl+a")
    desk.xdotool("type", "--delay", "50", str(NEW_PORT))
    desk.click(START_BUTTON)
    deadline = time.monotonic() + 5
    while time.monotonic() < deadline and not board.port_open(NEW_PORT):
        time.sleep(0.05)
    check(board.port_open(NEW_PORT), f"nothing listens on {NEW_PORT}")
    check(not board.port_open(board.PORT), f"{board.PORT} still listens")
    check(board.query(NEW_PORT) == "日志里的一行".encode("gbk"),
          f"the server on {NEW_PORT} does not serve the message")


def banner_drag_moves_the_window(desk):
    x, y, _, _ = desk.geometry()
    desk.drag(BANNER, -200, -150)

    def moved():
        nx, ny, _, _ = desk.geometry()
        check(abs(nx - (x - 200)) <= 3 and abs(ny - (y - 150)) <= 3,
              f"window went from {x},{y} to {nx},{ny}, expected about "
              f"{x - 200},{y - 150}")
    board.eventually(moved, timeout=3)


def port_box_drag_does_not_move(desk):
    before = desk.geometry()
    desk.drag(PORT_BOX, 120, 80)
    check(desk.geometry() == before,
          f"dragging the port box moved the window: {before} -> "
          f"{desk.geometry()}")


def escape_ends_with_zero(desk):
    desk.screenshot("e2e-desktop-final.png")
    desk.xdotool("mousemove", *map(str, desk.to_screen(PAGE_AREA)))
    desk.xdotool("key", "Escape")
    try:
        code = desk.copy.process.wait(5)
    except Exception:
        raise board.CheckFailed("Escape did not end the program")
    check(code == 0, f"Escape ended the program with {code}")


CASES = [
    window_is_centred_and_frameless,
    usage_page_shows_first,
    log_header_shows_the_log,
    start_button_moves_the_server,
    banner_drag_moves_the_window,
    port_box_drag_does_not_move,
    escape_ends_with_zero,
]


def main(program, shots):
    board.require_free_ports(board.PORT, NEW_PORT)
    os.makedirs(shots, exist_ok=True)
    xvfb, display = start_xvfb()
    os.environ["DISPLAY"] = display
    copy = board.ProgramCopy(program, "desktop")
    try:
        copy.start(env={"DISPLAY": display, "QT_QPA_PLATFORM": "xcb"})
        desk = Desktop(display, copy, shots)
        desk.find_window()
        status = board.run_cases(CASES, desk)
        if status:
            print(copy.log_tail())
        board.write_results("desktop", {"cases": len(CASES),
                                        "passed": status == 0})
        return status
    finally:
        copy.cleanup()
        xvfb.kill()
        xvfb.wait()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))

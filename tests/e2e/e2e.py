"""The end-to-end harness: Pelorin.exe under Wine on a virtual screen, driven like a user.

One scenario runs in a Session: a fresh working folder (Pelorin.exe, a Pelorin.cfg the scenario
writes, LOG and FRAMES), its own X display (Xvfb, unless one is given), and pelorin-driver.exe
running under Wine in the shared prefix, which starts Pelorin.exe and answers questions about its
windows. Everything that waits polls a condition against a deadline.

Standard library only. Everything here must run inside a private network namespace with only
loopback up (scripts/in-netns.sh); require_private_network() refuses to go on otherwise.
"""

import hashlib
import json
import os
import re
import select
import shutil
import stat
import subprocess
import tempfile
import time
from datetime import datetime, timedelta
from pathlib import Path

# Window messages, keys and ids the scenarios use.
VK_RETURN = 0x0D
VK_ESCAPE = 0x1B
VK_F2 = 0x71
IDOK, IDCANCEL = 1, 2
LB_SETSEL, LB_ERR = 0x185, -1
PBM_GETRANGE, PBM_GETPOS, PBM_GETSTEP = 0x407, 0x408, 0x40D

RUSSIAN_LOCALE = "ru_RU.UTF-8"
ENGLISH_LOCALE = "en_US.UTF-8"
SCREEN = (1280, 1024)
DEFAULT_TIMEOUT = 10.0
# Bumped whenever prepare_prefix() changes what it puts into a prefix.
PREFIX_RECIPE = "pelorin-e2e-prefix 6"
# Wine's error output (the driver's, the program's, the wineserver's), in the working folder.
WINE_ERRORS = "wine-errors.log"
# How often the driver is started when Wine ends it before it answers.
DRIVER_STARTS = 3
# The longest path a Unix socket can have (108 bytes with the terminating zero).
SOCKET_PATH_MAX = 107


class HarnessError(Exception):
    """The harness itself could not do its job (no Wine, no display, driver gone...)."""


class ScenarioFailure(AssertionError):
    """What the program did differs from what the scenario expects."""


def check(condition, message):
    if not condition:
        raise ScenarioFailure(message)


def check_equal(actual, expected, what):
    if actual != expected:
        raise ScenarioFailure(f"{what}:\n  expected {expected!r}\n  actual   {actual!r}")


def poll(condition, timeout, what, interval=0.05):
    """Calls condition() until it returns something true; returns that, or fails after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise ScenarioFailure(f"timed out after {timeout:.1f} s waiting for {what}")
        time.sleep(interval)


def require_private_network():
    """Fails unless this process sees no network interface but loopback."""
    with open("/proc/net/dev") as devices:
        names = [line.split(":", 1)[0].strip() for line in devices.readlines()[2:]]
    others = [name for name in names if name != "lo"]
    if others:
        raise HarnessError(
            "refusing to run Wine with network interfaces other than loopback: "
            + ", ".join(others) + " (run through scripts/in-netns.sh)")


def windows_path(path):
    """The Wine path of a Unix path (drive Z: is the Unix root)."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def _others_may_enter(folder):
    return all(os.stat(part).st_mode & stat.S_IXOTH for part in [folder, *folder.parents])


def scheduler_folders(work):
    """Where the private CUPS scheduler of the scenario or demo working in `work` keeps its files,
    as (own, shared). `own` (work/cups) holds its configuration, logs, state, cache and printcap,
    kept with a failed scenario's folder. `shared` holds its socket, which the session's Wine is
    pointed at, and what the filters, running as the user lp, read and write: the queue's PPD,
    the spool, temporary files. That is `own` too where lp may enter it and the socket's path is
    short enough; otherwise a folder under /tmp named after the working folder."""
    own = Path(work).resolve() / "cups"
    if _others_may_enter(own.parent) and len(str(own / "cups.sock")) <= SOCKET_PATH_MAX:
        return own, own
    return own, Path("/tmp") / ("pelorin-cups-" + hashlib.sha256(str(own).encode()).hexdigest()[:16])


# ---- the prefix, the display, Wine

class Paths:
    """Where the harness finds the program and puts its output."""

    def __init__(self, source, win_build, out):
        self.source = Path(source).resolve()
        self.win_build = Path(win_build).resolve()
        self.out = Path(out).resolve()
        self.pelorin_exe = self.win_build / "Pelorin.exe"
        self.driver_exe = self.win_build / "pelorin-driver.exe"
        self.hook_dll = self.win_build / "pelorin-driver-hook.dll"
        self.default_config = self.source / "dist" / "Pelorin.cfg"
        self.prefix = self.out / "e2e" / "wineprefix"
        self.work_root = self.out / "e2e" / "work"
        self.screenshots = self.out / "e2e-screenshots"

    def require_programs(self):
        for path in (self.pelorin_exe, self.driver_exe, self.hook_dll):
            if not path.is_file():
                raise HarnessError(f"{path} is missing: build the Windows build first (scripts/build.sh)")


def _tool(*candidates):
    for candidate in candidates:
        found = shutil.which(candidate) if "/" not in candidate else (candidate if os.access(candidate, os.X_OK) else None)
        if found:
            return found
    raise HarnessError(f"none of {', '.join(candidates)} is installed (scripts/setup.sh installs them)")


class Display:
    """An X display: a private Xvfb of `size` pixels (width, height), or one given by the caller
    (left running)."""

    def __init__(self, given=None, size=SCREEN):
        self.process = None
        self.size = size
        if given:
            self.name = given
            return
        read_end, write_end = os.pipe()
        try:
            self.process = subprocess.Popen(
                [_tool("Xvfb"), "-displayfd", str(write_end), "-screen", "0", f"{size[0]}x{size[1]}x24",
                 "-nolisten", "tcp", "-noreset"],
                pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            os.close(write_end)
            write_end = None
            # Xvfb writes its display number when it accepts connections.
            number = b""
            deadline = time.monotonic() + 20
            while not number.endswith(b"\n"):
                remaining = deadline - time.monotonic()
                ready, _, _ = select.select([read_end], [], [], max(remaining, 0))
                chunk = os.read(read_end, 16) if ready else b""
                if not chunk:
                    raise HarnessError("Xvfb did not start")
                number += chunk
            self.name = ":" + number.decode().strip()
        except BaseException:
            self.stop()
            raise
        finally:
            os.close(read_end)
            if write_end is not None:
                os.close(write_end)

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(timeout=5)
        self.process = None


class Wine:
    """Wine commands for one prefix and display, with the Russian system locale. Its programs
    look for printers only on the CUPS scheduler socket `scheduler`, never on the system's."""

    def __init__(self, prefix, display, scheduler, user_locale=RUSSIAN_LOCALE):
        self.prefix = Path(prefix).resolve()
        self.wine = _tool("/usr/lib/wine/wine64", "wine64", "wine")
        self.wineserver = _tool("/usr/lib/wine/wineserver", "wineserver")
        self.env = dict(os.environ)
        self.env.update({
            "WINEPREFIX": str(self.prefix),
            "WINEARCH": "win64",
            "WINEDEBUG": "-all",
            # No Mono or Gecko installer dialogs, no menu entries on the host.
            "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
            "DISPLAY": display.name,
            # ANSI code page 1251, as on the operators' machines.
            "LANG": RUSSIAN_LOCALE,
            "LC_ALL": RUSSIAN_LOCALE,
            # libcups (loaded by Wine) takes a path here as a scheduler's socket.
            "CUPS_SERVER": str(scheduler),
        })
        if user_locale != RUSSIAN_LOCALE:
            # Wine takes the system's code page from LC_CTYPE and the user's locale (its list
            # separator, its sorting, its dates) from LC_MESSAGES; LC_ALL would set both.
            del self.env["LC_ALL"]
            self.env.update({"LC_CTYPE": RUSSIAN_LOCALE, "LC_MESSAGES": user_locale})

    def run(self, args, timeout):
        result = subprocess.run([self.wine] + args, env=self.env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout)
        if result.returncode != 0:
            raise HarnessError(f"wine {' '.join(args)} failed ({result.returncode}): "
                               + result.stdout.decode(errors="replace")[-2000:])
        return result

    def wait_server(self, timeout):
        """Waits for the prefix's wineserver to end on its own (it saves the registry then)."""
        subprocess.run([self.wineserver, "-w"], env=self.env, timeout=timeout,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def kill_server(self):
        subprocess.run([self.wineserver, "-k"], env=self.env, timeout=30,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.wait_server(timeout=30)


PREFIX_REGISTRY = r"""Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="{managed}"

[HKEY_CURRENT_USER\Control Panel\Desktop]
"LogPixels"=dword:{dpi:08x}

[HKEY_CURRENT_CONFIG\Software\Fonts]
"LogPixels"=dword:{dpi:08x}

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Courier New"="Liberation Mono"
"""


def configure_prefix(wine, managed, dpi=96):
    """Window management: unmanaged (Wine draws caption and frame itself, as there is no window
    manager on Xvfb) or managed (a desktop's window manager frames the windows); the screen's dpi
    (Wine takes it from the registry when its server starts: a session that asks for another dpi
    sets it, and the next that asks for 96 sets it back). Also: no crash dialog that would wait
    for a user, and Liberation Mono (the same widths) wherever the program asks for Courier New,
    which Linux does not have."""
    state = wine.prefix / ".pelorin-settings"
    wanted = f"{'Y' if managed else 'N'} {dpi}"
    if state.is_file() and state.read_text() == wanted:
        return
    # Not known until the registry has it: a run that ends half way sets it again next time.
    state.unlink(missing_ok=True)
    registry = wine.prefix / "pelorin-settings.reg"
    text = PREFIX_REGISTRY.format(managed=wanted[0], dpi=dpi)
    registry.write_text(text.replace("\n", "\r\n"), encoding="utf-16")
    wine.run(["regedit", "/S", windows_path(registry)], timeout=60)
    wine.wait_server(timeout=60)
    state.write_text(wanted)


def prepare_prefix(prefix, display_name=None, reuse=True):
    """Creates the Wine prefix and marks it ready; with reuse, a ready prefix is kept as it is.
    True when it was created."""
    prefix = Path(prefix).resolve()
    marker = prefix / ".pelorin-ready"
    if reuse and marker.is_file() and marker.read_text() == PREFIX_RECIPE:
        return False
    if prefix.exists():
        shutil.rmtree(prefix)
    prefix.parent.mkdir(parents=True, exist_ok=True)
    display = Display(display_name)
    # No scheduler listens there: the new prefix records no printer of the machine's.
    wine = Wine(prefix, display, scheduler=prefix / "cups.sock")
    try:
        wine.run(["wineboot", "--init"], timeout=180)
        # Wine's own fonts (Tahoma for dialogs, Marlett for the caption buttons) are not found in
        # its data folder by this Wine build; in the prefix's Fonts folder they are.
        # Without them the caption buttons show the letters "0", "1" and "r".
        fonts = prefix / "drive_c" / "windows" / "Fonts"
        fonts.mkdir(parents=True, exist_ok=True)
        wine_fonts = Path("/usr/share/wine/fonts")
        for needed in ("marlett.ttf", "tahoma.ttf"):
            if not (wine_fonts / needed).is_file():
                raise HarnessError(f"{wine_fonts / needed} is missing: install fonts-wine (scripts/setup.sh does)")
        for font in wine_fonts.glob("*.ttf"):
            shutil.copy(font, fonts / font.name)
        configure_prefix(wine, managed=False)
    finally:
        wine.kill_server()
        display.stop()
    marker.write_text(PREFIX_RECIPE)
    return True


# ---- the driver

def _escape(value):
    return str(value).replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n").replace("\r", "\\r")


class DriverEnded(HarnessError):
    """The driver's process is gone."""


def file_tail(path, start=0, size=1500):
    """The end of a text file from byte `start` on, or a note that it says nothing."""
    try:
        with open(path, "rb") as file:
            file.seek(start)
            text = file.read().decode(errors="replace").strip()
    except OSError:
        text = ""
    return text[-size:] if text else "(nothing)"


class Driver:
    """pelorin-driver.exe under Wine: one request, one JSON reply (driver/protocol.h). Its error
    output and Wine's (of the program it starts too) are appended to the file `errors`."""

    def __init__(self, wine, driver_exe, errors):
        self.errors = Path(errors)
        with open(self.errors, "ab") as output:
            output.write(f"---- {datetime.now():%H:%M:%S.%f} wine {driver_exe.name}\n".encode())
            output.flush()
            self.errors_from = output.tell()
            self.process = subprocess.Popen([wine.wine, str(driver_exe)], env=wine.env, stdin=subprocess.PIPE,
                                            stdout=subprocess.PIPE, stderr=output)
        self.pending = b""

    def ended(self):
        try:
            code = self.process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            code = "none yet"
        return DriverEnded(f"the driver has ended (exit code {code}); Wine's error output since it started "
                           f"({self.errors}): {file_tail(self.errors, self.errors_from)}")

    def request(self, command, timeout=DEFAULT_TIMEOUT, **fields):
        """Sends a request and returns the reply. A field "wait" (seconds) becomes the driver's
        "timeout" (milliseconds) for requests that wait; the reply is then awaited that much longer."""
        wait_ms = fields.pop("wait", None)
        if wait_ms is not None:
            fields["timeout"] = int(wait_ms * 1000)
            timeout = max(timeout, wait_ms + 10)
        line = "\t".join([command] + [f"{name}={_escape(value)}" for name, value in fields.items()]) + "\n"
        try:
            self.process.stdin.write(line.encode("utf-8"))
            self.process.stdin.flush()
        except BrokenPipeError:
            raise self.ended()
        reply = self._read_line(timeout + 30)  # the first request also waits for Wine to start
        answer = json.loads(reply)
        if not answer.get("ok"):
            raise HarnessError(f"driver: {command}: {answer.get('error')}")
        return answer

    def _read_line(self, timeout):
        deadline = time.monotonic() + timeout
        stream = self.process.stdout.fileno()
        while b"\n" not in self.pending:
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise HarnessError("the driver did not answer in time")
            ready, _, _ = select.select([stream], [], [], remaining)
            if ready:
                chunk = os.read(stream, 65536)
                if not chunk:
                    raise self.ended()
                self.pending += chunk
        line, self.pending = self.pending.split(b"\n", 1)
        return line.decode("utf-8")

    def close(self):
        if self.process.poll() is None:
            try:
                self.request("quit", timeout=5)
            except (HarnessError, OSError, ValueError):
                pass
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(timeout=5)


# ---- what the scenarios look at

class Rect:
    def __init__(self, data):
        self.left, self.top, self.right, self.bottom = data["left"], data["top"], data["right"], data["bottom"]

    @property
    def width(self):
        return self.right - self.left

    @property
    def height(self):
        return self.bottom - self.top

    def __repr__(self):
        return f"Rect({self.left}, {self.top}, {self.right}, {self.bottom})"


class Window:
    """A window of the program, by handle. Properties read the window anew each time."""

    def __init__(self, session, hwnd):
        self.session = session
        self.driver = session.driver
        self.hwnd = hwnd

    def info(self):
        return self.driver.request("info", hwnd=self.hwnd)

    @property
    def text(self):
        return self.driver.request("text", hwnd=self.hwnd)["text"]

    @property
    def rect(self):
        """On the screen."""
        return Rect(self.info()["rect"])

    @property
    def client_rect(self):
        return Rect(self.info()["client"])

    @property
    def rect_in_parent(self):
        """In the parent's client coordinates (the screen for a top-level window)."""
        return Rect(self.info()["in_parent"])

    @property
    def visible(self):
        return self.info()["visible"]

    @property
    def enabled(self):
        return self.info()["enabled"]

    def exists(self):
        try:
            self.info()
            return True
        except HarnessError:
            return False

    def child(self, control_id, wait=0):
        answer = self.driver.request("child", hwnd=self.hwnd, id=control_id, wait=wait)
        if not answer["found"]:
            raise ScenarioFailure(f"window {self.hwnd} has no control {control_id}")
        return Window(self.session, answer["hwnd"])

    def children(self):
        return self.driver.request("children", hwnd=self.hwnd)["children"]

    def menu(self):
        """The menu bar: a list of items (text, id, grayed, checked, separator, items)."""
        answer = self.driver.request("menu", hwnd=self.hwnd)
        return answer["items"] if answer["has_menu"] else None

    def menu_bar(self):
        """The texts of the menu bar's items, left to right."""
        items = self.menu()
        return [item["text"] for item in items] if items is not None else None

    def menu_item(self, command_id):
        def find(items):
            for item in items or []:
                if item["id"] == command_id:
                    return item
                found = find(item.get("items"))
                if found:
                    return found
            return None
        return find(self.menu())

    def command(self, command_id):
        """A menu choice: the item must be in the menu and enabled, as for a user."""
        item = self.menu_item(command_id)
        check(item is not None, f"no menu item with command {command_id}")
        check(not item["grayed"], f"menu item {item['text']!r} is greyed")
        self.driver.request("command", hwnd=self.hwnd, id=command_id)

    def post_command(self, command_id):
        """WM_COMMAND straight to the window, whether a menu offers it or not."""
        self.driver.request("command", hwnd=self.hwnd, id=command_id)

    def post_key(self, vk):
        """A key posted to this very window, whatever has the keyboard focus."""
        self.driver.request("key", hwnd=self.hwnd, vk=vk)

    def press(self, control_id):
        """Clicks the dialog's button with this id."""
        self.driver.request("press", hwnd=self.hwnd, id=control_id)

    def click(self, mouse=False):
        """BM_CLICK for a button; with mouse, a left click into any control."""
        self.driver.request("click", hwnd=self.hwnd, mouse=int(mouse))

    def scroll(self):
        """A scroll bar's range and position: {"min", "max", "pos"}."""
        answer = self.driver.request("scroll", hwnd=self.hwnd)
        return {key: answer[key] for key in ("min", "max", "pos")}

    def listbox(self, items=False):
        """A list box: {"count", "selected" (indices), "top"}; with items also "contents":
        {"items" (texts), "first_item" (rectangle), "font" (height, weight, charset, face...)}."""
        return self.driver.request("listbox", hwnd=self.hwnd, items=1 if items else 0)

    def send(self, message, wparam=0, lparam=0):
        """SendMessage with plain numbers (no pointers); the window's answer."""
        return self.driver.request("send", hwnd=self.hwnd, msg=message, wparam=wparam, lparam=lparam)["result"]

    def post(self, message, wparam=0, lparam=0):
        """PostMessage with plain numbers, as another program posts WM_CLOSE."""
        self.driver.request("post", hwnd=self.hwnd, msg=message, wparam=wparam, lparam=lparam)

    def answer_times(self, seconds, every_ms=5):
        """Another program sends WM_NULL to this window every `every_ms` for `seconds` and times
        each answer, as Session.stop_null_waits() tells (waits over 20 ms count as slow)."""
        self.session.start_null_waits(self, interval=every_ms / 1000, slow=0.020)
        time.sleep(seconds)
        return self.session.stop_null_waits()

    def listview(self):
        """A list view: {"count", "columns" ([{"text", "width", "sort" ("up", "down" or ""),
        "title_width"}]), "rows" (the first 200 rows' cell texts), "widest" (each column's widest
        text among them, in pixels), "selected", "focused", "top", "item_rects" (the items on
        screen, client coordinates), "header" ({"hwnd", "items": rectangles})}."""
        return self.driver.request("listview", hwnd=self.hwnd)["contents"]

    def click_at(self, x, y, ctrl=False, shift=False):
        """A left click at a point of the client area, with Ctrl or Shift held."""
        self.driver.request("click_at", hwnd=self.hwnd, x=x, y=y, ctrl=int(ctrl), shift=int(shift))

    def select_items(self, indices):
        """List box items selected as by the user."""
        for index in indices:
            check(self.send(LB_SETSEL, 1, index) != LB_ERR, f"list box item {index} cannot be selected")

    def double_click(self, x, y):
        """A double click at a point of the client area."""
        self.driver.request("double_click", hwnd=self.hwnd, x=x, y=y)

    def progress(self):
        """A progress bar: {"pos", "min", "max", "step"}."""
        return {"pos": self.send(PBM_GETPOS), "min": self.send(PBM_GETRANGE, 1), "max": self.send(PBM_GETRANGE, 0),
                "step": self.send(PBM_GETSTEP)}

    @property
    def checked(self):
        return self.driver.request("checked", hwnd=self.hwnd)["checked"]

    def set_text(self, text):
        """WM_SETTEXT, as a program sets a control's text."""
        self.driver.request("set_text", hwnd=self.hwnd, text=text)

    def type(self, text):
        """Characters typed into this control, one WM_CHAR each (limits and read-only apply)."""
        self.driver.request("chars", hwnd=self.hwnd, text=text)

    @property
    def style(self):
        return self.info()["style"]

    def font(self):
        """The font the window draws with: {"own" (false: the system's), "height", "width",
        "weight", "face" as asked for, "drawn_height", "drawn_width" as drawn}."""
        return self.driver.request("font", hwnd=self.hwnd)["font"]

    def dpi_changed(self, dpi, rect):
        """The window told that it is on a monitor of `dpi` now, with the rectangle Windows
        suggests for it there, as when it is moved to another monitor."""
        self.driver.request("dpi_changed", hwnd=self.hwnd, dpi=dpi, left=rect.left, top=rect.top, right=rect.right,
                            bottom=rect.bottom)

    def hscroll(self, code, timed=False):
        """A click on an arrow of this scroll bar (0 left, 1 right). With timed, the click is
        sent and waited for: returns the seconds until the window had painted everything."""
        answer = self.driver.request("hscroll", hwnd=self.hwnd, code=code, timed=int(timed))
        if timed:
            check(answer["us"] >= 0, "the window did not finish painting after the scroll")
            return answer["us"] / 1e6
        return None

    def redraw(self):
        """Makes the window paint itself again, as when it is uncovered."""
        self.driver.request("redraw", hwnd=self.hwnd)

    def painted(self, timeout=DEFAULT_TIMEOUT):
        return self.driver.request("painted", hwnd=self.hwnd, wait=timeout)["painted"]

    def wait_gone(self, timeout=DEFAULT_TIMEOUT):
        if not self.driver.request("wait_gone", hwnd=self.hwnd, wait=timeout)["gone"]:
            raise ScenarioFailure(f"window {self.hwnd} ({self.text!r}) is still there after {timeout} s")

    def screenshot(self, name):
        return self.session.screenshot(name, window=self)


class MessageBox(Window):
    def __init__(self, session, answer):
        super().__init__(session, answer["hwnd"])
        self.title = answer["text"]
        self.message = answer["message"]
        self.buttons = {button["id"]: button["text"] for button in answer["buttons"]}
        self.count = answer["count"]
        self.icon = answer["icon"]  # whether it shows an icon


class Screenshot:
    """A picture of the whole screen; pixel() reads it, save() writes a part of it as PNG."""

    def __init__(self, ppm):
        match = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", ppm)
        if not match or match.group(3) != b"255":
            raise HarnessError("unexpected screenshot format")
        self.width, self.height = int(match.group(1)), int(match.group(2))
        self.pixels = ppm[match.end():]
        self.ppm = ppm

    def pixel(self, x, y):
        offset = (y * self.width + x) * 3
        return tuple(self.pixels[offset:offset + 3])

    def save(self, path, rect=None):
        args = [_tool("convert"), "ppm:-"]
        if rect is not None:
            left, top = max(rect.left, 0), max(rect.top, 0)
            right, bottom = min(rect.right, self.width), min(rect.bottom, self.height)
            args += ["-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage"]
        subprocess.run(args + [f"png:{path}"], input=self.ppm, check=True, timeout=60)


# ---- pictures of our own

def write_png(path, width, height, colour_at):
    """A 24-bit PNG whose pixel (x, y) is colour_at(x, y), an (r, g, b) tuple."""
    import struct
    import zlib
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(colour_at(x, y))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(bytes(rows), 6)) + chunk(b"IEND", b""))
    Path(path).write_bytes(png)


def near(colour, expected, tolerance=40):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, expected))


# ---- Pelorin's files

STAMP = rb"(\d\d):(\d\d):(\d\d) (\d\d)/(\d\d)/(\d{4}) "


def canonical_config(source_config, **values):
    """Pelorin.cfg as the program writes it: the shipped default file with some key values
    replaced, e.g. canonical_config(path, LANGUAGE_DEFAULT=1, IP_ADDRESS="127.0.0.1")."""
    text = Path(source_config).read_bytes()
    for key, value in values.items():
        text, count = re.subn(rb"(?m)^" + key.encode() + rb" = [^\r\n]*", key.encode() + b" = " + str(value).encode(),
                              text)
        if count != 1:
            raise HarnessError(f"{key} is not once in {source_config}")
    return text


class Stamped:
    """A log entry with a time stamp, in match_log's list."""

    def __init__(self, text):
        self.text = text


def match_log(data, entries):
    """Checks log bytes against entries (bytes written as they are, or Stamped(text)) and
    returns the stamps as datetimes."""
    pattern = b""
    for entry in entries:
        pattern += STAMP + re.escape(entry.text) if isinstance(entry, Stamped) else re.escape(entry)
    check(data is not None, "there is no log file")
    match = re.fullmatch(pattern, data)
    if not match:
        raise ScenarioFailure(f"the log differs from the expected entries:\n  log      {data!r}\n  expected "
                              + repr([e.text if isinstance(e, Stamped) else e for e in entries]))
    groups = [int(group) for group in match.groups()]
    stamps = []
    for index in range(0, len(groups), 6):
        hour, minute, second, day, month, year = groups[index:index + 6]
        try:
            stamps.append(datetime(year, month, day, hour, minute, second))
        except ValueError:
            raise ScenarioFailure(f"impossible log time stamp {groups[index:index + 6]}")
    return stamps


def check_stamps_within(stamps, started, ended):
    """Every stamp is local time between the two moments (a second of slack each side)."""
    low = started.replace(microsecond=0) - timedelta(seconds=1)
    high = ended + timedelta(seconds=1)
    for stamp in stamps:
        check(low <= stamp <= high, f"log stamp {stamp} is not between {low} and {high}")


# ---- the session

class Session:
    """One scenario: its working folder, display, Wine and driver, and what it can do."""

    def __init__(self, paths, name, display_name=None, work=None, keep_work=False, prefix=None, managed=False,
                 screen=SCREEN, dpi=96):
        """A fresh temporary working folder unless work names one (which is then kept). The
        screen is `screen` pixels (width, height) at `dpi` (the prefix's LogPixels)."""
        self.user_locale = RUSSIAN_LOCALE
        self.paths = paths
        self.name = name
        self.display_name = display_name
        self.prefix = Path(prefix).resolve() if prefix else paths.prefix
        self.managed = managed
        self.screen = screen
        self.dpi = dpi
        self.display = None
        self.wine = None
        self.driver = None
        self.started_at = None
        if work is None:
            paths.work_root.mkdir(parents=True, exist_ok=True)
            self.work = Path(tempfile.mkdtemp(prefix=name + "-", dir=paths.work_root))
            self.keep_work = keep_work
        else:
            self.work = Path(work).resolve()
            self.work.mkdir(parents=True, exist_ok=True)
            self.keep_work = True
        # The scheduler of a printer.PdfPrinter printing into this folder listens here; with none,
        # Wine finds no printer, whatever else runs on the machine.
        self.printer_socket = scheduler_folders(self.work)[1] / "cups.sock"

    # -- life cycle

    def __enter__(self):
        require_private_network()
        self.paths.require_programs()
        if not (self.prefix / ".pelorin-ready").is_file():
            raise HarnessError(f"the Wine prefix {self.prefix} is not prepared (run.py prefix)")
        (self.work / "LOG").mkdir(exist_ok=True)
        (self.work / "FRAMES").mkdir(exist_ok=True)
        shutil.copy(self.paths.pelorin_exe, self.work / "Pelorin.exe")
        (self.work / WINE_ERRORS).write_bytes(b"")
        try:
            self._start_screen()
        except BaseException:
            self.__exit__(HarnessError, None, None)
            raise
        return self

    def _start_screen(self):
        self.display = Display(self.display_name, self.screen)
        self.wine = Wine(self.prefix, self.display, scheduler=self.printer_socket, user_locale=self.user_locale)
        configure_prefix(self.wine, self.managed, self.dpi)
        hello = self._start_driver()
        if hello["acp"] != 1251:
            raise HarnessError(f"Wine's ANSI code page is {hello['acp']}, not 1251: is {RUSSIAN_LOCALE} generated?")

    def _stop_screen(self):
        try:
            if self.driver:
                self.driver.close()
        finally:
            self.driver = None
            try:
                if self.wine:
                    self.wine.kill_server()
            finally:
                self.wine = None
                if self.display:
                    self.display.stop()
                self.display = None

    def restart(self, screen=None, dpi=None):
        """The program and Wine ended, then Wine and the driver started again on a new screen of
        `screen` pixels at `dpi` (each as before when not given), in the same working folder."""
        self._stop_screen()
        self.screen = screen or self.screen
        self.dpi = dpi or self.dpi
        self._start_screen()

    def _start_driver(self):
        """Starts the driver; its answer to hello. Right after an earlier run ended, Wine now and
        then refuses a start (the driver ends before it answers): a few tries, the prefix's
        wineserver ended in between."""
        for attempt in range(1, DRIVER_STARTS + 1):
            self.driver = Driver(self.wine, self.paths.driver_exe, self.work / WINE_ERRORS)
            try:
                return self.driver.request("hello", timeout=60)
            except DriverEnded as ended:
                if attempt == DRIVER_STARTS:
                    raise HarnessError(f"{ended} (started {attempt} times)") from None
                print(f"{ended}: starting it again")
                self.wine.kill_server()
                time.sleep(0.5 * attempt)

    def __exit__(self, kind, error, trace):
        if kind is not None and self.display is not None:
            try:
                self.screenshot(self.name + "-failure")
            except Exception:
                pass
        self._stop_screen()
        if kind is None and not self.keep_work:
            shutil.rmtree(self.work, ignore_errors=True)
        elif kind is not None:
            print(f"working folder kept: {self.work}")
        return False

    def use_user_locale(self, locale):
        """The user's locale of the programs started from now on (the system's code page stays
        1251): Wine and the driver are started anew with it. Before the program is started."""
        self.driver.close()
        self.wine.kill_server()
        self.user_locale = locale
        self.wine = Wine(self.prefix, self.display, scheduler=self.printer_socket, user_locale=locale)
        hello = self._start_driver()
        if hello["user_locale"] != locale.split(".")[0].replace("_", "-"):
            raise HarnessError(f"the user's locale under Wine is {hello['user_locale']}, not {locale}: is it generated?")

    # -- the working folder

    def path(self, name):
        return self.work / name

    def write_config(self, data):
        """Pelorin.cfg in the working folder: bytes as they are, or text in Windows-1251."""
        if isinstance(data, str):
            data = data.encode("cp1251")
        self.path("Pelorin.cfg").write_bytes(data)
        return data

    def canonical_config(self, **values):
        return canonical_config(self.paths.default_config, **values)

    def read_bytes(self, name):
        path = self.path(name)
        return path.read_bytes() if path.exists() else None

    def log(self):
        """LOG\\Pelorin.LOG as bytes, or None when there is none."""
        return self.read_bytes("LOG/Pelorin.LOG")

    # -- the program

    def start(self):
        self.started_at = datetime.now()
        return self.driver.request("start", exe=windows_path(self.work / "Pelorin.exe"), cwd=windows_path(self.work))

    def wait_idle(self, timeout=DEFAULT_TIMEOUT):
        check(self.driver.request("idle", wait=timeout)["idle"], f"the program is not idle after {timeout} s")

    def windows(self, **match):
        """The program's top-level windows (visible ones unless visible=0)."""
        return self.driver.request("windows", **match)["windows"]

    def find_window(self, wait=0, **match):
        answer = self.driver.request("find", wait=wait, **match)
        return Window(self, answer["hwnd"]) if answer["found"] else None

    def wait_window(self, timeout=DEFAULT_TIMEOUT, **match):
        """A top-level window of the program by class, title, contains (part of the title) or owner."""
        window = self.find_window(wait=timeout, **match)
        if window is None:
            raise ScenarioFailure(f"no window {match} after {timeout} s; the program has "
                                  f"{[(w['class'], w['text']) for w in self.windows(visible=0)]}")
        return window

    def main_window(self, timeout=DEFAULT_TIMEOUT):
        """The main window, once start-up is over (the program waits for input)."""
        window = self.wait_window(timeout, **{"class": "#32770", "owner": 0, "msgbox": 0})
        self.wait_idle(timeout)
        return window

    def dialog(self, owner, timeout=DEFAULT_TIMEOUT, **match):
        """A dialog box owned by the given window."""
        return self.wait_window(timeout, **{"class": "#32770", "owner": owner.hwnd}, **match)

    def message_box(self, timeout=DEFAULT_TIMEOUT):
        answer = self.driver.request("msgbox", wait=timeout)
        if not answer["found"]:
            raise ScenarioFailure(f"no message box after {timeout} s")
        return MessageBox(self, answer)

    def press_key(self, vk):
        """A key pressed by the user: it goes to whatever has the keyboard focus in the program."""
        return self.driver.request("key", vk=vk, input=1)["target"]

    def keys(self, chords):
        """Keys pressed by the user, through the system's input queue: chords separated by blanks,
        e.g. "shift+tab ctrl+next alt down return" (driver.cpp names the keys). They go to
        whatever has the keyboard focus; the window that had it."""
        return self.driver.request("keys", seq=chords)["target"]

    def type_text(self, text):
        """The text typed on the keyboard, key by key, into whatever has the keyboard focus."""
        return self.driver.request("type", text=text)["target"]

    def focus(self):
        return self.driver.request("focus")

    def start_null_waits(self, window, interval=0.005, slow=0.050):
        """Another program asking the window about its state, as Windows and other programs do:
        WM_NULL sent by SendMessageTimeout every `interval` seconds, from now until
        stop_null_waits() or the window's end; waits over `slow` seconds are counted."""
        self.driver.request("null_waits_start", hwnd=window.hwnd, interval=max(int(interval * 1000), 1),
                            slow=int(slow * 1000))

    def stop_null_waits(self):
        """What the window's answers took since start_null_waits(): {"count", "unanswered", "slow"
        (how many waits were slow), "slow_waits" ([ms after the start, ms waited] of the first 50),
        "longest", "longest_at", "mean"}, the times in seconds unless said otherwise."""
        answer = self.driver.request("null_waits_stop", timeout=30)
        return {"count": answer["count"], "unanswered": answer["unanswered"], "slow": answer["slow"],
                "slow_waits": answer["slow_waits"], "longest": answer["longest_us"] / 1e6,
                "longest_at": answer["longest_at_ms"] / 1000, "mean": answer["mean_us"] / 1e6}

    def wait_exit(self, timeout=DEFAULT_TIMEOUT):
        """The program's exit code; fails if it is still running after timeout."""
        answer = self.driver.request("wait_exit", wait=timeout)
        check(answer["exited"], f"the program still runs after {timeout} s")
        return answer["code"]

    def still_running(self, timeout=0.5):
        return not self.driver.request("wait_exit", wait=timeout)["exited"]

    # -- pictures

    def capture(self, timeout=5.0):
        """The screen once drawing has settled: two captures in a row alike."""
        command = [_tool("import"), "-display", self.display.name, "-window", "root", "-depth", "8", "ppm:-"]
        previous = None
        deadline = time.monotonic() + timeout
        while True:
            current = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=True,
                                     timeout=30).stdout
            if current == previous or time.monotonic() >= deadline:
                return Screenshot(current)
            previous = current
            time.sleep(0.1)

    def screenshot(self, name, window=None):
        """Saves the screen, or the window's part of it, as e2e-screenshots/<name>.png."""
        self.paths.screenshots.mkdir(parents=True, exist_ok=True)
        shot = self.capture()
        path = self.paths.screenshots / f"{name}.png"
        shot.save(path, window.rect if window is not None else None)
        return path, shot

    def snapshot(self, name, window):
        """A screenshot of a window that is up only for a moment: one capture, no waiting for
        the screen to settle."""
        rect = window.rect
        self.paths.screenshots.mkdir(parents=True, exist_ok=True)
        self.capture(timeout=0).save(self.paths.screenshots / f"{name}.png", rect)

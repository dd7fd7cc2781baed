"""What the scenarios share: Pelorin's ids, its texts per language, the simulated detector, and
small steps."""

import os
import random
import re
import select
import signal
import socket
import subprocess
import sys
import time
from contextlib import contextmanager
from pathlib import Path

from e2e import IDOK, HarnessError, ScenarioFailure, check, check_equal, poll, windows_path

# Commands and controls (src/res/resource.h).
ID_READ_SETTINGS = 32771
ID_READ_FRAMES = 32772
ID_VIEW_SETTINGS = 32774
ID_EXIT = 32777
ID_VIEW_FRAMES = 32778
ID_SET_IP_ADDRESS = 32786
ID_EDIT_SETTINGS = 32787
ID_EDIT_FRAMES = 32788
ID_WRITE_DEFAULT_SETTINGS = 32794
ID_PRINT = 32800
ID_SELECT_LANGUAGE = 32796
ID_ABOUT = 32798
RADIO_BUTTONS = {0: 1023, 1: 1024, 2: 1025}
ABOUT_VERSION = 1027
ABOUT_COPYRIGHT = 1026
SCROLL_BAR = 1020
# The commentary fields in the order of the commentary file's records.
FIELD_IDS = [2000, 2001, 2002, 2003, 2004, 2005, 2007, 2008, 2009, 2010, 2006, 2011]
ES_READONLY = 0x0800
IDYES, IDNO = 6, 7
WM_QUERYENDSESSION, WM_ENDSESSION = 0x11, 0x16
FILE_SHARE_NONE, FILE_SHARE_READ_WRITE = 0, 3

RUSSIAN, ENGLISH, TURKISH = 0, 1, 2
LANGUAGE_NAMES = {RUSSIAN: "russian", ENGLISH: "english", TURKISH: "turkish"}

CAPTIONS = {
    RUSSIAN: "Pelorin, версия 2.04",
    ENGLISH: "Pelorin, version 2.04",
    TURKISH: "Pelorin, versiyon 2.04",
}
MENU_BARS = {
    RUSSIAN: ["Вид", "Чтение", "Запись", "Правка", "Настройки", "Помощь"],
    ENGLISH: ["View", "Read", "Write", "Edit", "Settings", "Help"],
    TURKISH: ["Gorunum", "Oku", "Yaz", "Duzen", "Ayarlar", "Help"],
}
LANGUAGE_DIALOG_TITLES = {RUSSIAN: "Выбор языка", ENGLISH: "Select language", TURKISH: "Dil Secimi"}
ABOUT_TITLES = {RUSSIAN: "О программе", ENGLISH: "About program", TURKISH: "About program"}
ABOUT_VERSIONS = {
    RUSSIAN: "Программа Pelorin, версия 2.04",
    ENGLISH: "Program Pelorin, version 2.04",
    TURKISH: "Program Pelorin, versiyon 2.04",
}

TEST_ADDRESS = "127.0.0.1"


def test_config(language, extra="", address=TEST_ADDRESS):
    """A Pelorin.cfg as a person might write it: not in the program's own layout, so that any
    rewrite by the program shows."""
    return (f"; Pelorin.cfg written by a test\r\n[SYSTEM]\r\nLANGUAGE_DEFAULT={language}\r\n"
            f"IP_ADDRESS = {address}\r\nSTARTUP_SEARCH_FLAG = 0\r\n{extra}")


def start_main_window(s, language, extra="", address=TEST_ADDRESS):
    """Writes the configuration, starts Pelorin and returns its main window and the config bytes."""
    config = s.write_config(test_config(language, extra, address))
    s.start()
    return s.main_window(), config


def expect_language_shown(main, language):
    """Caption and menu bar of the main window are in the language (the menu's fallback is Russian)."""
    menu_language = language if language in MENU_BARS else RUSSIAN
    text_language = language if language in CAPTIONS else RUSSIAN
    poll(lambda: main.text == CAPTIONS[text_language], 5, f"the caption {CAPTIONS[text_language]!r}")
    check_equal(main.menu_bar(), MENU_BARS[menu_language], "the menu bar")


def choose_language(s, main, language):
    """Settings > Language: the language's radio button and OK."""
    dialog = open_dialog(s, main, ID_SELECT_LANGUAGE)
    dialog.child(RADIO_BUTTONS[language]).click()
    close(dialog)


def exit_through_menu(s, main):
    main.command(ID_EXIT)
    check_equal(s.wait_exit(), 0, "the exit code after View > Exit")


# ---- dialogs

def open_dialog(s, main, command, title=None, key=None, posted=False, control=None):
    """Opens a dialog as the user does and returns it once it is up. The menu command is chosen
    (its item must be enabled; `posted`: sent even though the menu greys it), or the accelerator
    `key` is pressed instead. The dialog is owned by the main window. When given, its title is
    waited for (a dialog sets it in the current language once it shows), and its control
    `control` (a common dialog fills itself in after it shows)."""
    if key is not None:
        s.press_key(key)
    elif posted:
        main.post_command(command)
    else:
        main.command(command)
    dialog = s.dialog(main, timeout=15)
    if title is not None:
        poll(lambda: dialog.text == title, 5, f"the dialog's title {title!r}")
    if control is not None:
        dialog.child(control, wait=10)
    return dialog


def close(window, button=IDOK):
    """Presses the button of a dialog or message box and waits until it is gone."""
    window.press(button)
    window.wait_gone()


# ---- message boxes

def containing(text):
    """For message(): any message with this text in it."""
    return re.compile(".*" + re.escape(text) + ".*", re.S)


def message(s, text, what, title="Pelorin", shot=None, screen=None, keep=False, timeout=10):
    """The one message box on screen: its caption and its text (a string, or a pattern the whole
    text matches); saved as the screenshot `shot` (the box) and `screen` (the whole screen) when
    given; closed with OK unless kept."""
    box = s.message_box(timeout)
    if isinstance(text, re.Pattern):
        check(text.fullmatch(box.message), f"{what}: {box.message!r} is not like {text.pattern!r}")
    else:
        check_equal(box.message, text, what)
    check_equal(box.title, title, f"the caption of {what}")
    check_equal(box.count, 1, f"message boxes on screen with {what}")
    if shot:
        box.screenshot(shot)
    if screen:
        s.screenshot(screen)
    if not keep:
        close(box)
    return box


def no_message_box(s, wait=1.0):
    box = s.driver.request("msgbox", wait=wait)
    if box["found"]:
        raise ScenarioFailure(f"an unexpected message box: {box['message']!r}")


# ---- the open-file dialog: its file name box (a combo box in the explorer-style dialog)

OPEN_FILE_NAME = 1148


def open_file_dialog(s, main, command, posted=False):
    """The open-file dialog that the command opens, once its name box is there."""
    return open_dialog(s, main, command, posted=posted, control=OPEN_FILE_NAME)


def choose_file(s, main, command, path, posted=False):
    """The command's open-file dialog, a full Windows path typed into it, and Open."""
    dialog = open_file_dialog(s, main, command, posted)
    dialog.child(OPEN_FILE_NAME).set_text(path)
    close(dialog)


# ---- files

def random_bytes(size, seed):
    return random.Random(seed).randbytes(size)


def file_names(folder):
    return sorted(path.name for path in Path(folder).iterdir())


def check_files(folder, expected, what):
    """The folder holds these files and no other ({name: bytes}), byte for byte."""
    check_equal(file_names(folder), sorted(expected), f"the files in {what}")
    for name, data in expected.items():
        found = (Path(folder) / name).read_bytes()
        check(found == data, f"{what}/{name}: {len(found)} bytes unlike the {len(data)} expected")


def check_log_has(s, *lines):
    """Each line (text, written in Windows-1251) is in the log."""
    log = s.log() or b""
    for line in lines:
        check(line.encode("cp1251") in log, f"the log has no line {line!r}")


@contextmanager
def held_by_another_program(s, path, share):
    """The file open in another process (the driver) with the given sharing."""
    s.driver.request("hold_file", path=windows_path(path), share=share)
    try:
        yield
    finally:
        s.driver.request("release_files")


@contextmanager
def immutable(path):
    """The file or folder can be neither written, replaced nor removed, nor get new entries (root
    under Wine ignores the read-only attribute and permissions)."""
    subprocess.run(["chattr", "+i", str(path)], check=True)
    try:
        yield
    finally:
        subprocess.run(["chattr", "-i", str(path)], check=True)


# ---- the simulated detector

class Detector:
    """pelorin-detector on a loopback address of the scenario's own: TFTP on port 69 serving
    `root` (or the frames given, {number: bytes}), presence on port 1533, every packet in a
    record file; options as its command line takes them. Stopped at the end of a with block."""

    def __init__(self, s, address, *options, root=None, frames=None):
        program = s.paths.out / "tools" / "detector" / "pelorin-detector"
        if not program.is_file():
            raise HarnessError(f"{program} is missing: build the native build first (scripts/build.sh)")
        if frames is not None:
            root = s.path(f"detector-{address}")
            (root / "screenshots").mkdir(parents=True, exist_ok=True)
            for number, data in frames.items():
                (root / "screenshots" / f"{number}.png").write_bytes(data)
        self.root = root
        run = len(list(s.work.glob(f"detector-{address}-*.txt")))
        self.record = s.path(f"detector-{address}-{run}-packets.log")
        self.errors = s.path(f"detector-{address}-{run}.txt")
        command = [str(program), "--address", address, "--log", str(self.record)]
        command += ["--root", str(root)] if root else []
        with open(self.errors, "w") as errors:
            self.process = subprocess.Popen(command + list(options), stdout=subprocess.PIPE, stderr=errors, text=True)
        os.set_blocking(self.process.stdout.fileno(), False)
        deadline = time.monotonic() + 10
        line = ""
        while not line.endswith("\n") and time.monotonic() < deadline and self.process.poll() is None:
            line += self.process.stdout.readline() or ""
            time.sleep(0.02)
        if line.strip() != "ready":
            self.stop()
            raise HarnessError(f"the detector on {address} did not start: {line!r} {self.errors.read_text()!r}")

    def packets(self):
        """The packet record so far: (milliseconds, "<-" or "->", description) per packet."""
        if not self.record.exists():
            return []
        found = []
        for line in self.record.read_text().splitlines():
            parts = line.split(None, 4)
            if len(parts) == 5:
                found.append((float(parts[0]), parts[2], parts[4]))
        return found

    def received(self, since=0):
        """The descriptions of the packets it got, from the `since`-th packet on."""
        return [text for _, way, text in self.packets()[since:] if way == "<-"]

    def requests(self):
        return [text for text in self.received() if text.startswith("RRQ")]

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(5)

    def __enter__(self):
        return self

    def __exit__(self, *error):
        self.stop()
        return False


class SilentHosts:
    """Hosts that are switched off, on port 1533 of loopback addresses: a listener whose accept
    queue is full (backlog 0, filled with one connection of our own), so that the kernel drops
    every further connection attempt unanswered. Closed at the end of a with block."""

    PORT = 1533

    def __init__(self, addresses=()):
        self.held = {}
        try:
            for address in addresses:
                self.add(address)
        except BaseException:
            self.close()
            raise

    def add(self, address):
        listener = socket.socket()
        self.held[address] = [listener]
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind((address, self.PORT))
        listener.listen(0)
        self.held[address].append(socket.create_connection((address, self.PORT), timeout=2))
        if len(self.held) == 1:
            self.check_silent(address)

    @classmethod
    def check_silent(cls, address):
        """A further connection attempt must stay pending, or the scenario would test nothing."""
        attempt = socket.socket()
        try:
            attempt.setblocking(False)
            attempt.connect_ex((address, cls.PORT))
            _, writable, failed = select.select([], [attempt], [attempt], 0.3)
            if writable or failed:
                raise HarnessError(f"{address}:{cls.PORT} answers although its queue is full")
        finally:
            attempt.close()

    def remove(self, address):
        for sock in self.held.pop(address, []):
            sock.close()

    def close(self):
        for address in list(self.held):
            self.remove(address)

    def __enter__(self):
        return self

    def __exit__(self, *error):
        self.close()
        return False


def candidate_range(network="127.0.0", skip=()):
    """The addresses the start-up search tries, .100 to .199, without the octets in `skip`."""
    return [f"{network}.{octet}" for octet in range(100, 200) if octet not in skip]


@contextmanager
def busy_machine(seconds, per_core=2):
    """Processes that keep every core of this process busy, `per_core` each: started at once,
    killed when the block ends, and each ending by itself after `seconds` whatever happens."""
    loop = f"import time\nend = time.monotonic() + {seconds}\nwhile time.monotonic() < end:\n    pass\n"
    busy = []
    try:
        for _ in range(per_core * len(os.sched_getaffinity(0))):
            busy.append(subprocess.Popen([sys.executable, "-c", loop]))
        yield len(busy)
    finally:
        for process in busy:
            process.kill()
        for process in busy:
            process.wait(5)

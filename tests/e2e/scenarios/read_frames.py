"""Read > Frames: picking frame numbers, reading the picked frames from the simulated detector
into the frames folder, and what the operator sees and gets when a frame is missing, too
large, unwritable, or the detector is not there."""

import os
import random
import re
import signal
import subprocess
import time
from datetime import datetime, timedelta
from pathlib import Path

from common import (ENGLISH, ID_READ_FRAMES, ID_SELECT_LANGUAGE, RADIO_BUTTONS, RUSSIAN, exit_through_menu,
                    test_config)
from e2e import IDCANCEL, IDOK, VK_ESCAPE, VK_F2, HarnessError, check, check_equal, poll

FRAME_NUMBERS, OVERALL_BAR, FILE_BAR, SELECT_ALL = 1004, 1005, 1006, 1022
SCROLL_BAR = 1020
PBS_SMOOTH = 0x01
FRAME_BUFFER_SIZE = 4000000  # the largest frame Pelorin takes
SAMPLE = Path(__file__).resolve().parents[3] / "tools" / "detector" / "sample" / "screenshots"
LOCAL_NAME = re.compile(r"(\d{4})_(\d\d)_(\d\d)-(\d\d)-(\d\d)~(\d{3})\.png")

TEXTS = {
    ENGLISH: {"title": "Frames reading", "word": "Frame", "all": "Select all frames", "cancel": "Cancel",
              "no": "no", "link": "link not established", "large": "too large", "unsaved": "not saved"},
    RUSSIAN: {"title": "Чтение кадров", "word": "Кадр", "all": "Выбрать все кадры", "cancel": "Отмена",
              "no": "нет", "link": "нет связи", "large": "слишком большой", "unsaved": "не записан"},
}


# ---- the simulated detector with frames

class FramesDetector:
    """The simulated detector on a loopback address of the scenario's own, serving the given
    frames ({number: bytes}) and recording its packets."""

    def __init__(self, s, address, frames, *options):
        program = s.paths.out / "tools" / "detector" / "pelorin-detector"
        if not program.is_file():
            raise HarnessError(f"{program} is missing: build the native build first (scripts/build.sh)")
        self.address = address
        self.root = s.path(f"detector-{address}")
        (self.root / "screenshots").mkdir(parents=True)
        for number, data in frames.items():
            (self.root / "screenshots" / f"{number}.png").write_bytes(data)
        self.record = s.path(f"detector-{address}-packets.log")
        self.errors = s.path(f"detector-{address}-errors.txt")
        with open(self.errors, "w") as errors:
            self.process = subprocess.Popen(
                [str(program), "--address", address, "--root", str(self.root), "--log", str(self.record)]
                + list(options), stdout=subprocess.PIPE, stderr=errors, text=True)
        os.set_blocking(self.process.stdout.fileno(), False)
        deadline = time.monotonic() + 10
        line = ""
        while not line.endswith("\n") and time.monotonic() < deadline and self.process.poll() is None:
            line += self.process.stdout.readline() or ""
            time.sleep(0.02)
        if line.strip() != "ready":
            self.stop()
            raise HarnessError(f"the detector on {address} did not start: {line!r} {self.errors.read_text()!r}")

    def frame(self, number):
        return (self.root / "screenshots" / f"{number}.png").read_bytes()

    def packets(self):
        """The packet record: (milliseconds, "<-" or "->", description) per packet."""
        if not self.record.exists():
            return []
        found = []
        for line in self.record.read_text().splitlines():
            parts = line.split(None, 4)
            if len(parts) == 5:
                found.append((float(parts[0]), parts[2], parts[4]))
        return found

    def requests(self):
        return [text for _, way, text in self.packets() if way == "<-" and text.startswith("RRQ")]

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


def start(s, language, address, extra=""):
    """Pelorin with the detector's address configured; its main window."""
    s.write_config(test_config(language, extra).replace("127.0.0.1", address))
    s.start()
    return s.main_window()


# ---- the dialog

def open_dialog(s, main, language, by_key=False):
    """Read > Frames (the menu, or F2) opens the dialog with its texts in the language."""
    if by_key:
        s.press_key(VK_F2)
    else:
        main.command(ID_READ_FRAMES)
    dialog = s.dialog(main)
    texts = TEXTS[language]
    poll(lambda: dialog.text == texts["title"], 5, f"the title {texts['title']!r}")
    check_equal(dialog.child(SELECT_ALL).text, texts["all"], "the Select all box")
    check_equal(dialog.child(IDCANCEL).text, texts["cancel"], "the Cancel button")
    check_equal(dialog.child(IDOK).text, "OK", "the OK button")
    return dialog


def check_number_list(dialog, language, column_width):
    """100 items, "Frame 001" to "Frame 100" in order, the given column width, the 16-pixel font."""
    numbers = dialog.child(FRAME_NUMBERS)
    contents = numbers.listbox(items=True)["contents"]
    word = TEXTS[language]["word"]
    check_equal(contents["items"], [f"{word} {n:03d}" for n in range(1, 101)], "the number list")
    first = contents["first_item"]
    check_equal(first["right"] - first["left"], column_width, "the column width")
    check_equal((contents["font"]["height"], contents["font"]["weight"], contents["font"]["charset"]),
                (16, 400, 204), "the list's font (height, weight, character set)")
    return numbers


def pick(dialog, frames):
    numbers = dialog.child(FRAME_NUMBERS)
    numbers.select_items([n - 1 for n in frames])
    check_equal(numbers.listbox()["selected"], [n - 1 for n in frames], "the picked items")


class Transfer:
    """Watches the dialog once OK is pressed: its progress text (every text it showed that was
    seen), its bars, and when it closes."""

    def __init__(self, s, dialog):
        self.s = s
        self.dialog = dialog
        self.started = time.monotonic()
        self.text = None
        self.seen = []

    def controls(self):
        """The progress text and the two bars, once they are there."""
        def find():
            statics = [c for c in self.dialog.children() if c["class"].lower() == "static"]
            return statics[0] if statics else None
        found = poll(find, 10, "the progress text")
        from e2e import Window
        self.text = Window(self.s, found["hwnd"])
        return found, self.dialog.child(OVERALL_BAR), self.dialog.child(FILE_BAR)

    def watch(self, until=None, timeout=60):
        """Notes the progress texts until one equals `until` (or the dialog closes)."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            try:
                current = self.text.text
            except HarnessError:
                return None  # the text is gone: the transfer is over
            if not self.seen or self.seen[-1] != current:
                self.seen.append(current)
            if current == until:
                return current
            time.sleep(0.02)
        raise AssertionError(f"the progress text {until!r} did not show; seen {self.seen}")

    def wait_closed(self, timeout=60):
        self.dialog.wait_gone(timeout)
        return time.monotonic() - self.started


def check_progress_layout(dialog, text, overall, file, count):
    """The text and the bars stand where the client area's halves put them; smooth bars from 0
    to 100, the overall one stepping by 100 / count, the file one by 10."""
    client = dialog.client_rect
    w, h = client.width // 2, client.height // 2
    r = text["in_parent"]
    check_equal((r["left"], r["top"], r["right"] - r["left"], r["bottom"] - r["top"]), (w - 32, h - 70, 160, 16),
                "the progress text's place")
    for bar, top, what in ((overall, h - 40, "overall"), (file, h + 20, "file")):
        r = bar.rect_in_parent
        check_equal((r.left, r.top, r.right, r.bottom), (15, top, client.width - 15, top + 40), f"the {what} bar's place")
        check(bar.info()["style"] & PBS_SMOOTH, f"the {what} bar is not smooth")
    state = overall.progress()
    check_equal((state["min"], state["max"], state["step"]), (0, 100, 100 // count), "the overall bar's range and step")
    state = file.progress()
    check_equal((state["min"], state["max"], state["step"]), (0, 100, 10), "the file bar's range and step")


def stored_frames(s, folder="FRAMES"):
    """{frame number: (file name, bytes)} of the frame files in the folder; fails on any other file."""
    found = {}
    for path in sorted(s.path(folder).iterdir()):
        match = LOCAL_NAME.fullmatch(path.name)
        check(match is not None, f"an unexpected file in {folder}: {path.name}")
        number = int(match.group(6))
        check(number not in found, f"two files for frame {number}")
        found[number] = (path.name, path.read_bytes())
    return found


def check_names_within(names, started, ended):
    """The names' date and time (to the minute) lie within the run."""
    low = started.replace(second=0, microsecond=0)
    for name in names:
        year, month, day, hour, minute = (int(g) for g in LOCAL_NAME.fullmatch(name).groups()[:5])
        stamp = datetime(year, month, day, hour, minute)
        check(low <= stamp <= ended, f"{name} is not named by a time between {low} and {ended}")


def random_bytes(size, seed):
    return random.Random(seed).randbytes(size)


# ---- the scenarios

def scenario_pick_and_cancel(s):
    """The dialog in English and in Russian: its texts, 100 numbers, the column width and font;
    Select all ticked then cleared leaves nothing picked; Cancel, Escape and OK with nothing
    picked read nothing, and the frame list is rebuilt all the same."""
    address = "127.0.0.31"
    with FramesDetector(s, address, {1: (SAMPLE / "1.png").read_bytes()}) as detector:
        main = start(s, ENGLISH, address)
        bar = main.child(SCROLL_BAR)
        check_equal(bar.scroll()["max"], 0, "the scroll bar's range with no frames")
        dialog = open_dialog(s, main, ENGLISH)
        numbers = check_number_list(dialog, ENGLISH, 88)
        check_equal(numbers.listbox()["selected"], [], "the picked items at first")
        box = dialog.child(SELECT_ALL)
        box.click()
        poll(lambda: box.checked, 5, "the Select all box ticked")
        check_equal(numbers.listbox()["selected"], list(range(100)), "the picked items after Select all")
        dialog.screenshot("read-frames-all-selected")
        box.click()
        poll(lambda: not box.checked, 5, "the Select all box cleared")
        check_equal(numbers.listbox()["selected"], [], "the picked items after clearing Select all")
        pick(dialog, [2, 5, 14])
        dialog.screenshot("read-frames-selection")
        # A frame file that arrives while the dialog is open is in the list once it closes.
        s.path("FRAMES/2026_01_02-03-04~009.png").write_bytes(b"png")
        dialog.press(IDCANCEL)
        dialog.wait_gone()
        poll(lambda: bar.scroll()["max"] == 1, 5, "the scroll bar's range after Cancel")

        dialog = open_dialog(s, main, ENGLISH, by_key=True)
        pick(dialog, [1])
        s.press_key(VK_ESCAPE)
        dialog.wait_gone()
        # OK with nothing picked ends the dialog at once.
        dialog = open_dialog(s, main, ENGLISH)
        dialog.press(IDOK)
        dialog.wait_gone(2)

        main.command(ID_SELECT_LANGUAGE)
        languages = s.dialog(main)
        languages.child(RADIO_BUTTONS[RUSSIAN]).click()
        languages.press(IDOK)
        languages.wait_gone()
        dialog = open_dialog(s, main, RUSSIAN, by_key=True)
        check_number_list(dialog, RUSSIAN, 80)
        dialog.screenshot("read-frames-russian")
        s.press_key(VK_ESCAPE)
        dialog.wait_gone()
        exit_through_menu(s, main)
        time.sleep(0.3)
        check_equal(detector.requests(), [], "requests to the detector")
    check_equal(sorted(p.name for p in s.path("FRAMES").iterdir()), ["2026_01_02-03-04~009.png"], "FRAMES")


def scenario_read_picked_frames(s):
    """Frames 1, 2, 3 and 7 picked where the detector holds 1 to 6: three files named by date,
    time and number, byte for byte the detector's; "Frame №7 - no" for the missing one; the
    progress text and bars where they belong; the frame list and scroll bar take the new files."""
    address = "127.0.0.32"
    frames = {n: (SAMPLE / f"{n}.png").read_bytes() for n in range(1, 7)}
    with FramesDetector(s, address, frames) as detector:
        main = start(s, ENGLISH, address)
        s.path("FRAMES/2020_01_01-00-00~050.png").write_bytes(b"an earlier frame")
        dialog = open_dialog(s, main, ENGLISH)
        pick(dialog, [1, 2, 3, 7])
        started = datetime.now()
        dialog.press(IDOK)
        transfer = Transfer(s, dialog)
        text, overall, file = transfer.controls()
        check_progress_layout(dialog, text, overall, file, 4)
        transfer.watch(until="Frame №7 - no")
        transfer.wait_closed()
        ended = datetime.now()
        seen = [t for t in transfer.seen if t]
        check(set(seen) <= {"Frame №1", "Frame №2", "Frame №3", "Frame №7", "Frame №7 - no"},
              f"the progress texts {seen}")

        stored = stored_frames(s)
        check_equal(sorted(stored), [1, 2, 3, 50], "the frames in FRAMES")
        for number in (1, 2, 3):
            check(stored[number][1] == detector.frame(number), f"frame {number} differs from the detector's")
        check_names_within([stored[n][0] for n in (1, 2, 3)], started, ended)
        check_equal(detector.requests(), [f"RRQ /screenshots/{n}.png octet" for n in (1, 2, 3, 7)],
                    "the requests the detector got")
        log = s.log()
        for number in (1, 2, 3):
            line = f"файл /screenshots/{number}.png - прочитан. Длина {len(frames[number])} байт\r\n"
            check(line.encode("cp1251") in log, f"no log line {line!r}")
        check("файл /screenshots/7.png - File not found\r\n".encode("cp1251") in log, "no log line for frame 7")
        poll(lambda: main.child(SCROLL_BAR).scroll()["max"] == 4, 5, "the scroll bar's range over the four frames")
        exit_through_menu(s, main)


def scenario_no_detector(s):
    """Nothing listens on the detector's address: a double-click on a number reads it, the
    notice says there is no link, no file is made and the dialog closes itself."""
    main = start(s, ENGLISH, "127.0.0.33")
    dialog = open_dialog(s, main, ENGLISH)
    numbers = dialog.child(FRAME_NUMBERS)
    first = numbers.listbox(items=True)["contents"]["first_item"]
    height = first["bottom"] - first["top"]
    numbers.double_click(first["left"] + 10, first["top"] + height + height // 2)  # the second item
    transfer = Transfer(s, dialog)
    transfer.controls()
    transfer.watch(until="Frame №2 - link not established")
    s.paths.screenshots.mkdir(parents=True, exist_ok=True)
    s.capture(timeout=0).save(s.paths.screenshots / "read-frames-no-link.png", dialog.rect)
    took = transfer.wait_closed()
    check(took < 5, f"the dialog took {took:.1f} s to close")
    check_equal(list(s.path("FRAMES").iterdir()), [], "FRAMES")
    check("чтение файла /screenshots/2.png - нет связи с прибором\r\n".encode("cp1251") in s.log(),
          "no log line for the unanswered request")
    exit_through_menu(s, main)


def scenario_large_frames_into_a_missing_folder(s):
    """Frames of 60,000 bytes and of several hundred KB are stored whole; one larger than the
    transfer buffer is not stored and is noticed; the missing frames folder is made for them."""
    address = "127.0.0.34"
    frames = {1: random_bytes(60000, 1), 2: random_bytes(700000, 2), 3: random_bytes(FRAME_BUFFER_SIZE + 1, 3),
              4: (SAMPLE / "4.png").read_bytes()}
    with FramesDetector(s, address, frames) as detector:
        main = start(s, ENGLISH, address, "FRAMES_PATH = NEW\r\n")
        check(not s.path("NEW").exists(), "the folder NEW is there before the first frame")
        dialog = open_dialog(s, main, ENGLISH)
        pick(dialog, [1, 2, 3, 4])
        dialog.press(IDOK)
        transfer = Transfer(s, dialog)
        transfer.controls()
        transfer.watch(until="Frame №3 - too large")
        transfer.wait_closed()
        stored = stored_frames(s, "NEW")
        check_equal(sorted(stored), [1, 2, 4], "the frames in NEW")
        for number in (1, 2, 4):
            check(stored[number][1] == frames[number], f"frame {number} is not stored whole")
        check("ERROR 3 File too large for the receiver" in [t for _, way, t in detector.packets() if way == "<-"],
              "the detector was not told to stop")
        line = "файл /screenshots/3.png - длиннее буфера в 4000000 байт, чтение прервано\r\n"
        check(line.encode("cp1251") in s.log(), f"no log line {line!r}")
        poll(lambda: main.child(SCROLL_BAR).scroll()["max"] == 3, 5, "the scroll bar's range over NEW")
        exit_through_menu(s, main)


def frame_name_now(number, later=0):
    t = datetime.now() + timedelta(minutes=later)
    return f"{t:%Y_%m_%d-%H-%M}~{number:03d}.png"


def scenario_unwritable_frames(s):
    """A folder standing under frame 1's file name: "not saved", no partial file, frame 2 stored.
    Then a frames folder that cannot be written at all: both frames noticed, nothing left."""
    address = "127.0.0.35"
    frames = {1: (SAMPLE / "1.png").read_bytes(), 2: (SAMPLE / "2.png").read_bytes()}
    with FramesDetector(s, address, frames):
        main = start(s, ENGLISH, address)
        for later in (0, 1):
            s.path("FRAMES/" + frame_name_now(1, later)).mkdir(exist_ok=True)
        blockers = sorted(p.name for p in s.path("FRAMES").iterdir())
        dialog = open_dialog(s, main, ENGLISH)
        pick(dialog, [1, 2])
        dialog.press(IDOK)
        transfer = Transfer(s, dialog)
        transfer.controls()
        transfer.watch(until="Frame №1 - not saved")
        transfer.wait_closed()
        names = sorted(p.name for p in s.path("FRAMES").iterdir())
        files = [n for n in names if n not in blockers]
        check_equal(len(files), 1, f"the files in FRAMES besides the folders: {names}")
        check(files[0].endswith("~002.png") and s.path("FRAMES/" + files[0]).read_bytes() == frames[2],
              f"frame 2 is not stored: {names}")
        check(re.search(rb"FRAMES\\[0-9_-]+~001\.png - " + "не записан на диск\r\n".encode("cp1251"), s.log()),
              "no log line for frame 1")

        for blocker in blockers:
            s.path("FRAMES/" + blocker).rmdir()
        subprocess.run(["chattr", "+i", str(s.path("FRAMES"))], check=True)
        try:
            dialog = open_dialog(s, main, ENGLISH, by_key=True)
            pick(dialog, [1, 2])
            dialog.press(IDOK)
            transfer = Transfer(s, dialog)
            transfer.controls()
            transfer.watch(until="Frame №2 - not saved")
            transfer.wait_closed()
            check_equal(sorted(p.name for p in s.path("FRAMES").iterdir()), files, "FRAMES after the locked run")
        finally:
            subprocess.run(["chattr", "-i", str(s.path("FRAMES"))], check=True)
        check("Frame №1 - not saved" in transfer.seen, f"no notice for frame 1 in {transfer.seen}")
        exit_through_menu(s, main)


def scenario_read_hundred_frames(s):
    """Select all, with 100 frames of 50,000 bytes on the detector: all 100 stored whole. Prints
    how long it took and how much of it went into the transfers themselves."""
    address = "127.0.0.36"
    frames = {n: random_bytes(50000, 100 + n) for n in range(1, 101)}
    with FramesDetector(s, address, frames) as detector:
        main = start(s, ENGLISH, address)
        dialog = open_dialog(s, main, ENGLISH)
        dialog.child(SELECT_ALL).click()
        poll(lambda: len(dialog.child(FRAME_NUMBERS).listbox()["selected"]) == 100, 5, "all 100 picked")
        dialog.press(IDOK)
        transfer = Transfer(s, dialog)
        text, overall, file = transfer.controls()
        check_progress_layout(dialog, text, overall, file, 100)
        transfer.watch(until="Frame №40")
        s.paths.screenshots.mkdir(parents=True, exist_ok=True)
        s.capture(timeout=0).save(s.paths.screenshots / "read-frames-transfer.png", dialog.rect)
        # 39 frames are in, the 40th is on its way (or just in).
        check(overall.progress()["pos"] in (39, 40, 41), f"the overall bar at frame 40: {overall.progress()}")
        check(file.progress()["pos"] % 10 == 0, f"the file bar at frame 40: {file.progress()}")
        took = transfer.wait_closed(timeout=100)
        stored = stored_frames(s)
        check_equal(sorted(stored), list(range(1, 101)), "the frames in FRAMES")
        for number, (name, data) in stored.items():
            check(data == frames[number], f"frame {number} is not stored whole")
        # Each frame's exchange on the wire: from its request to the detector's last packet.
        spans, begin, last = [], None, None
        for at, way, text_ in detector.packets():
            if text_.startswith("RRQ"):
                if begin is not None:
                    spans.append(last - begin)
                begin = at
            last = at
        spans.append(last - begin)
        wire = sum(spans) / 1000
        print(f"100 frames of 50,000 bytes: {took:.2f} s from OK to the dialog's end; "
              f"{wire:.2f} s on the wire (request to last ACK, {wire * 10:.1f} ms a frame); "
              f"{took - wire:.2f} s the rest (pauses of 10 x 10 ms a frame: 10.00 s nominal, writing, drawing)")
        check(took < 60, f"100 frames took {took:.1f} s")
        exit_through_menu(s, main)

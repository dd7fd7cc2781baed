"""Read > Frames: picking frame numbers, reading the picked frames from the simulated detector
into the frames folder, and what the operator sees and gets when a frame is missing, too
large, unwritable, or the detector is not there."""

import re
import time
from datetime import datetime, timedelta
from pathlib import Path

from common import (ENGLISH, ES_READONLY, FIELD_IDS, ID_EDIT_FRAMES, ID_READ_FRAMES, ID_VIEW_FRAMES, RUSSIAN, SCROLL_BAR,
                    TURKISH, Detector, check_files, check_log_has, choose_file, choose_language, close,
                    exit_through_menu, file_names, immutable, open_dialog, random_bytes, start_main_window)
from e2e import IDCANCEL, IDOK, SCREEN, VK_ESCAPE, VK_F2, HarnessError, Window, check, check_equal, poll, windows_path
from frame_view import FrameView, commentary_bytes, edit, make_frame
from frame_view import check_picture as check_frame_picture
from printer import PdfPrinter

FRAME_NUMBERS, OVERALL_BAR, FILE_BAR, SELECT_ALL = 1004, 1005, 1006, 1022
PBS_SMOOTH = 0x01
WS_HSCROLL = 0x00100000
FRAME_BUFFER_SIZE = 4000000  # the largest frame Pelorin takes
SAMPLE = Path(__file__).resolve().parents[3] / "tools" / "detector" / "sample" / "screenshots"
LOCAL_NAME = re.compile(r"(\d{4})_(\d\d)_(\d\d)-(\d\d)-(\d\d)~(\d{3})\.png")

TEXTS = {
    ENGLISH: {"title": "Frames reading", "word": "Frame", "all": "Select all frames", "cancel": "Cancel"},
    RUSSIAN: {"title": "Чтение кадров", "word": "Кадр", "all": "Выбрать все кадры", "cancel": "Отмена"},
    TURKISH: {"title": "Ekran goruntusunu okuyorum", "word": "Goruntusu", "all": "Tumunu sec", "cancel": "Iptal"},
}


def sample(*numbers):
    return {n: (SAMPLE / f"{n}.png").read_bytes() for n in numbers}


# ---- the dialog

def check_dialog_texts(dialog, language, column_width=None):
    """The buttons' texts; 100 items "Frame 001" to "Frame 100" in order, the given column
    width (when one is given), the 16-pixel font; every number in sight at once, none cut, no
    scroll bar."""
    texts = TEXTS[language]
    check_equal([dialog.child(i).text for i in (SELECT_ALL, IDCANCEL, IDOK)], [texts["all"], texts["cancel"], "OK"],
                "Select all, Cancel and OK")
    numbers = dialog.child(FRAME_NUMBERS)
    contents = numbers.listbox(items=True)["contents"]
    check_equal(contents["items"], [f"{texts['word']} {n:03d}" for n in range(1, 101)], "the number list")
    first, last, inside = contents["first_item"], contents["last_item"], contents["client"]
    width = first["right"] - first["left"]
    if column_width is not None:
        check_equal(width, column_width, "the column width")
    font = contents["font"]
    check_equal((font["height"], font["weight"], font["charset"]), (16, 400, 204),
                "the list's font (height, weight, character set)")
    # "DialogFont New" is on no machine here: the dialog's own face stands in, not a serif one
    # the system would pick.
    check_equal(font["drawn_face"], "MS Shell Dlg", "the face the list draws with")
    check(not numbers.style & WS_HSCROLL, f"the number list shows a horizontal scroll bar: {contents}")
    check(last["right"] <= inside["right"] and last["bottom"] <= inside["bottom"],
          f"{texts['word']} 100 at {last} is not inside the list {inside}")
    check(contents["widest_text"] < width, f"an item {contents['widest_text']} pixels wide is cut")
    return numbers


def pick(dialog, frames):
    numbers = dialog.child(FRAME_NUMBERS)
    numbers.select_items([n - 1 for n in frames])
    check_equal(numbers.listbox()["selected"], [n - 1 for n in frames], "the picked items")


class Transfer:
    """Watches the dialog once the reading has begun: its progress text (every text it showed
    that was seen), its bars, and when it closes."""

    def __init__(self, s, dialog):
        self.dialog = dialog
        self.started = time.monotonic()
        self.seen = []
        statics = lambda: [c for c in dialog.children() if c["class"].lower() == "static"]
        self.place = poll(statics, 10, "the progress text")[0]
        self.text = Window(s, self.place["hwnd"])
        self.overall, self.file = dialog.child(OVERALL_BAR), dialog.child(FILE_BAR)

    def watch(self, until, timeout=60):
        """Notes the progress texts until one equals `until`."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            try:
                current = self.text.text
            except HarnessError:
                break  # the text is gone: the transfer is over
            if not self.seen or self.seen[-1] != current:
                self.seen.append(current)
            if current == until:
                return
            time.sleep(0.02)
        raise AssertionError(f"the progress text {until!r} did not show; seen {self.seen}")

    def wait_closed(self, timeout=60):
        self.dialog.wait_gone(timeout)
        return time.monotonic() - self.started

    def check_layout(self, count):
        """The text and the bars stand where the client area's halves put them; smooth bars from
        0 to 100, the overall one stepping by 100 / count, the file one by 10."""
        client = self.dialog.client_rect
        w, h = client.width // 2, client.height // 2
        r = self.place["in_parent"]
        check_equal((r["left"], r["top"], r["right"] - r["left"], r["bottom"] - r["top"]), (w - 32, h - 70, 160, 16),
                    "the progress text's place")
        for bar, top, step, what in ((self.overall, h - 40, 100 // count, "overall"), (self.file, h + 20, 10, "file")):
            r = bar.rect_in_parent
            check_equal((r.left, r.top, r.right, r.bottom), (15, top, client.width - 15, top + 40), f"the {what} bar's place")
            check(bar.info()["style"] & PBS_SMOOTH, f"the {what} bar is not smooth")
            state = bar.progress()
            check_equal((state["min"], state["max"], state["step"]), (0, 100, step), f"the {what} bar's range and step")


def read(s, main, picked, until, key=None):
    """Read > Frames (the menu, or the key) with the numbers picked and OK; returns the Transfer
    once the progress text `until` has shown and the dialog has closed."""
    dialog = open_dialog(s, main, ID_READ_FRAMES, TEXTS[ENGLISH]["title"], key=key)
    pick(dialog, picked)
    dialog.press(IDOK)
    transfer = Transfer(s, dialog)
    transfer.watch(until)
    transfer.wait_closed()
    return transfer


def check_stored(s, frames, folder="FRAMES", others=()):
    """The folder holds one file named by date, time and number for each of these frames
    ({number: bytes}), byte for byte, and for the other numbers given, and nothing else;
    returns {number: (file name, bytes)}."""
    stored = {}
    for name in file_names(s.path(folder)):
        match = LOCAL_NAME.fullmatch(name)
        check(match is not None and int(match.group(6)) not in stored, f"an unexpected file in {folder}: {name}")
        stored[int(match.group(6))] = (name, (s.path(folder) / name).read_bytes())
    check_equal(sorted(stored), sorted(list(frames) + list(others)), f"the frames in {folder}")
    for number, data in frames.items():
        check(stored[number][1] == data, f"frame {number} is not stored whole")
    return stored


def hundred_frames():
    """100 frames of 50,000 bytes each, every one different."""
    return {n: random_bytes(50000, 100 + n) for n in range(1, 101)}


def read_all(s, main):
    """Read > Frames with Select all and OK: the Transfer, just begun."""
    dialog = open_dialog(s, main, ID_READ_FRAMES, TEXTS[ENGLISH]["title"])
    dialog.child(SELECT_ALL).click()
    poll(lambda: len(dialog.child(FRAME_NUMBERS).listbox()["selected"]) == 100, 5, "all 100 picked")
    dialog.press(IDOK)
    return Transfer(s, dialog)


def check_scroll_range(main, frames):
    poll(lambda: main.child(SCROLL_BAR).scroll()["max"] == frames, 5, f"the scroll bar's range over {frames} frames")


# ---- the scenarios

def scenario_pick_and_cancel(s):
    """The dialog in English and in Russian: its texts, 100 numbers, the column width and font;
    Select all ticked then cleared leaves nothing picked; Cancel, Escape and OK with nothing
    picked read nothing, and the frame list is rebuilt all the same."""
    address = "127.0.0.31"
    with Detector(s, address, frames=sample(1)) as detector:
        main, config = start_main_window(s, ENGLISH, address=address)
        check_scroll_range(main, 0)
        dialog = open_dialog(s, main, ID_READ_FRAMES, TEXTS[ENGLISH]["title"])
        # Five columns of the 88 pixels asked for would need 440; the list has 438 under Wine.
        numbers = check_dialog_texts(dialog, ENGLISH, 87)
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
        close(dialog, IDCANCEL)
        check_scroll_range(main, 1)

        dialog = open_dialog(s, main, ID_READ_FRAMES, TEXTS[ENGLISH]["title"], key=VK_F2)
        pick(dialog, [1])
        s.press_key(VK_ESCAPE)
        dialog.wait_gone()
        # OK with nothing picked ends the dialog at once.
        dialog = open_dialog(s, main, ID_READ_FRAMES, TEXTS[ENGLISH]["title"])
        dialog.press(IDOK)
        dialog.wait_gone(2)

        choose_language(s, main, RUSSIAN)
        dialog = open_dialog(s, main, ID_READ_FRAMES, TEXTS[RUSSIAN]["title"], key=VK_F2)
        check_dialog_texts(dialog, RUSSIAN, 80)
        dialog.screenshot("read-frames-russian")
        s.press_key(VK_ESCAPE)
        dialog.wait_gone()
        # The Turkish items are longer: the dialog widens for their columns, in the middle still.
        choose_language(s, main, TURKISH)
        dialog = open_dialog(s, main, ID_READ_FRAMES, TEXTS[TURKISH]["title"], key=VK_F2)
        check_dialog_texts(dialog, TURKISH)
        middle = lambda r: (r.left + r.right) // 2
        check(abs(middle(dialog.rect) - SCREEN[0] // 2) <= 2, f"the dialog {dialog.rect} is not in the screen's middle")
        ok, cancel = dialog.child(IDOK).rect, dialog.child(IDCANCEL).rect
        check(abs(ok.left + cancel.right - 2 * middle(dialog.rect)) <= 12, f"OK {ok} and Cancel {cancel} off the middle")
        dialog.screenshot("read-frames-turkish")
        s.press_key(VK_ESCAPE)
        dialog.wait_gone()
        exit_through_menu(s, main)
        time.sleep(0.3)
        check_equal(detector.requests(), [], "requests to the detector")
    check_equal(file_names(s.path("FRAMES")), ["2026_01_02-03-04~009.png"], "FRAMES")


def scenario_read_picked_frames(s):
    """Frames 1, 2, 3 and 7 picked where the detector holds 1 to 6: three files named by date,
    time and number, byte for byte the detector's; "Frame №7 - no" for the missing one; the
    progress text and bars where they belong; the frame list and scroll bar take the new files.
    The next shift reads the same frames again (the detector keeps them): nothing is stored twice,
    each is noticed as already stored; a frame whose file was deleted is stored anew."""
    address = "127.0.0.32"
    frames = sample(*range(1, 7))
    with Detector(s, address, frames=frames) as detector:
        main, config = start_main_window(s, ENGLISH, address=address)
        s.path("FRAMES/2020_01_01-00-00~050.png").write_bytes(b"an earlier frame")
        dialog = open_dialog(s, main, ID_READ_FRAMES, TEXTS[ENGLISH]["title"])
        pick(dialog, [1, 2, 3, 7])
        started = datetime.now()
        dialog.press(IDOK)
        transfer = Transfer(s, dialog)
        transfer.check_layout(4)
        transfer.watch("Frame №7 - no")
        transfer.wait_closed()
        ended = datetime.now()
        seen = [t for t in transfer.seen if t]
        check(set(seen) <= {"Frame №1", "Frame №2", "Frame №3", "Frame №7", "Frame №7 - no"},
              f"the progress texts {seen}")

        stored = check_stored(s, {n: frames[n] for n in (1, 2, 3)}, others=[50])
        low = started.replace(second=0, microsecond=0)
        for number in (1, 2, 3):
            year, month, day, hour, minute = (int(g) for g in LOCAL_NAME.fullmatch(stored[number][0]).groups()[:5])
            check(low <= datetime(year, month, day, hour, minute) <= ended,
                  f"{stored[number][0]} is not named by a time between {low} and {ended}")
        check_equal(detector.requests(), [f"RRQ /screenshots/{n}.png octet" for n in (1, 2, 3, 7)],
                    "the requests the detector got")
        check_log_has(s, *[f"файл /screenshots/{n}.png - прочитан. Длина {len(frames[n])} байт\r\n" for n in (1, 2, 3)],
                      "файл /screenshots/7.png - File not found\r\n")
        check_scroll_range(main, 4)

        # Read again: the same pictures are there, each one once.
        transfer = read(s, main, [1, 2, 3, 7], "Frame №7 - no")
        check({f"Frame №{n} - already stored" for n in (1, 2, 3)} <= set(transfer.seen),
              f"not every frame was noticed as already stored: {transfer.seen}")
        check_equal(check_stored(s, {n: frames[n] for n in (1, 2, 3)}, others=[50]), stored, "the frames folder")
        check_log_has(s, *[f"файл /screenshots/{n}.png - уже записан в файле FRAMES\\{stored[n][0]}\r\n" for n in (1, 2, 3)])
        # The operator deletes frame 2's file; read again, it is stored again.
        (s.path("FRAMES") / stored[2][0]).unlink()
        transfer = read(s, main, [2], "Frame №2")
        check("Frame №2 - already stored" not in transfer.seen, "the deleted frame was taken for stored")
        check_stored(s, {n: frames[n] for n in (1, 2, 3)}, others=[50])
        check_scroll_range(main, 4)
        exit_through_menu(s, main)


def scenario_no_detector(s):
    """Nothing listens on the detector's address: a double-click on a number reads it, the
    notice says there is no link, the dialog closes itself, and the missing frames folder is not
    made for nothing."""
    main, config = start_main_window(s, ENGLISH, "FRAMES_PATH = NEW\r\n", address="127.0.0.33")
    dialog = open_dialog(s, main, ID_READ_FRAMES, TEXTS[ENGLISH]["title"])
    numbers = dialog.child(FRAME_NUMBERS)
    first = numbers.listbox(items=True)["contents"]["first_item"]
    height = first["bottom"] - first["top"]
    numbers.double_click(first["left"] + 10, first["top"] + height + height // 2)  # the second item
    transfer = Transfer(s, dialog)
    transfer.watch("Frame №2 - link not established")
    s.snapshot("read-frames-no-link", dialog)
    took = transfer.wait_closed()
    check(took < 5, f"the dialog took {took:.1f} s to close")
    check(not s.path("NEW").exists(), "the frames folder NEW was made")
    check_log_has(s, "чтение файла /screenshots/2.png - нет связи с прибором\r\n")
    exit_through_menu(s, main)


# Every packet of a slow detector comes this late: most of the 300 ms each answer may take.
SLOW_PACKETS_MS = 250
# Another program waits this long at most for an answer from a window that serves messages
# while the detector answers.
LONGEST_ANSWER = 0.050


def answered_throughout(answers):
    """The window answered another program within LONGEST_ANSWER throughout. A busy machine holds
    a window back now and then, a little; a transfer that blocks it does so at every packet, for
    the packet's whole delay."""
    return (answers["unanswered"] == 0 and answers["slow"] <= 2
            and answers["longest"] < SLOW_PACKETS_MS / 1000 * 0.8)


def scenario_slow_detector_keys_and_painting(s):
    """A detector that sends every packet 250 ms late. While the frames come, the dialog
    answers another program within 50 ms throughout, and the main window, uncovered, paints
    itself again; Escape pressed on the keyboard does nothing, during the reading nor after it:
    the program still runs, with the frames stored."""
    address = "127.0.0.37"
    frames = {n: random_bytes(1500, 40 + n) for n in (1, 2, 3, 4)}  # three packets each
    with Detector(s, address, f"--delay={SLOW_PACKETS_MS}", frames=frames):
        main, config = start_main_window(s, ENGLISH, address=address)
        dialog = open_dialog(s, main, ID_READ_FRAMES, TEXTS[ENGLISH]["title"])
        pick(dialog, frames)
        dialog.press(IDOK)
        transfer = Transfer(s, dialog)
        s.start_null_waits(dialog)
        transfer.watch("Frame №2")
        target = s.press_key(VK_ESCAPE)
        check_equal(target, dialog.hwnd, "the window Escape went to")
        main.redraw()
        check(main.painted(timeout=1.0), "the main window did not paint itself while the frames came")
        check(transfer.text.exists(), "the reading was over before the main window was seen painted")
        s.snapshot("read-frames-slow-detector", dialog)
        transfer.watch("Frame №4")
        transfer.wait_closed()
        answers = s.stop_null_waits()
        print(f"the dialog answered WM_NULL {answers['count']} times while it read, within "
              f"{answers['longest'] * 1000:.1f} ms at most ({answers['mean'] * 1000:.2f} ms on average)")
        check(answers["count"] > 100 and answers["unanswered"] == 0, f"the dialog's answers: {answers}")
        check(answered_throughout(answers), f"the dialog kept another program waiting: {answers}")
        # Escape, typed while the detector answered, did not reach the main window.
        check(s.still_running(timeout=1.0), "the program ended after the reading")
        check(b"Stop Pelorin" not in s.log(), "the log says the program stopped")
        check_stored(s, frames)
        check_scroll_range(main, 4)
        exit_through_menu(s, main)


def deep_folder(s, name, longest):
    """A folder `name` (not made) under folders deep enough that a file of `longest` code units
    in it has a full path of 259, the most Windows takes; its path relative to the working folder."""
    room = 259 - len(windows_path(s.work)) - len("\\" + name + "\\") - longest
    check(room >= 2, "the working folder is too deep for this scenario")
    levels = ["d" * (room // 2 - 1), "e" * (room - room // 2 - 1)]
    s.path("/".join(levels)).mkdir(parents=True)
    return "/".join(levels + [name])


def scenario_large_frames_into_a_missing_deep_folder(s):
    """Frames of 60,000 bytes and of several hundred KB are stored whole; one larger than the
    transfer buffer is not stored and is noticed; the missing frames folder is made for them.
    The folder is deep: a frame the operator copies there under a long name has a path of 259
    code units (and a name as long as the file system takes), and its commentary is saved."""
    address = "127.0.0.34"
    frames = {1: random_bytes(60000, 1), 2: random_bytes(700000, 2), 3: random_bytes(FRAME_BUFFER_SIZE + 1, 3),
              4: sample(4)[4]}
    long_name = "Шов" * 41 + "Шв.png"  # 129 code units, 254 bytes in UTF-8
    folder = deep_folder(s, "NEW", len(long_name))
    with Detector(s, address, frames=frames) as detector:
        main, config = start_main_window(s, ENGLISH, f"FRAMES_PATH = {folder}\r\n".replace("/", "\\"),
                                         address=address)
        check(not s.path(folder).exists(), "the folder NEW is there before the first frame")
        read(s, main, [1, 2, 3, 4], "Frame №3 - too large")
        stored = check_stored(s, {n: frames[n] for n in (1, 2, 4)}, folder)
        check("ERROR 3 File too large for the receiver" in detector.received(), "the detector was not told to stop")
        check_log_has(s, "файл /screenshots/3.png - длиннее буфера в 4000000 байт, чтение прервано\r\n")
        check_scroll_range(main, 3)

        frame = s.path(folder) / long_name
        frame.write_bytes(stored[4][1])
        check_equal(len(windows_path(frame)), 259, "the long frame path")
        choose_file(s, main, ID_VIEW_FRAMES, windows_path(frame))
        main.command(ID_EDIT_FRAMES)
        poll(lambda: main.child(FIELD_IDS[0]).style & ES_READONLY == 0, 10, "the commentary open for editing")
        main.child(FIELD_IDS[0]).type("Шов 7")
        exit_through_menu(s, main)
    commentary = frame.with_suffix(".dat").read_bytes()
    check_equal((len(commentary), commentary[:16].decode("utf-16-le")), (1288, "Шов 7\r\n\0"), "the commentary saved")
    check_equal(sorted(p.suffix for p in s.path(folder).iterdir()), [".dat"] + [".png"] * 4, "the files in the folder")


def frame_name_now(number, later=0):
    t = datetime.now() + timedelta(minutes=later)
    return f"{t:%Y_%m_%d-%H-%M}~{number:03d}.png"


def scenario_unwritable_frames(s):
    """A folder standing under frame 1's file name: the frame goes beside it as a copy, the
    folder stays. Then a frames folder that cannot be written at all: frame 3 noticed as not
    saved, nothing left of it, the log naming its file; frames 1 and 2, stored before, are
    noticed as such (nothing to write)."""
    address = "127.0.0.35"
    frames = sample(1, 2, 3)
    with Detector(s, address, frames=frames):
        main, config = start_main_window(s, ENGLISH, address=address)
        for later in (0, 1):
            s.path("FRAMES/" + frame_name_now(1, later)).mkdir(exist_ok=True)
        blockers = file_names(s.path("FRAMES"))
        read(s, main, [1, 2], "Frame №2")
        files = [n for n in file_names(s.path("FRAMES")) if n not in blockers]
        check_equal(len(files), 2, f"the frames stored: {files}")
        copy, second = files
        check(copy.endswith("~001 (2).png") and copy[:-8] + ".png" in blockers
              and (s.path("FRAMES") / copy).read_bytes() == frames[1], f"frame 1 is not stored as a copy: {files}")
        check(second.endswith("~002.png") and (s.path("FRAMES") / second).read_bytes() == frames[2],
              f"frame 2 is not stored: {files}")
        check(all((s.path("FRAMES") / blocker).is_dir() for blocker in blockers), "a folder in the way is gone")

        for blocker in blockers:
            (s.path("FRAMES") / blocker).rmdir()
        with immutable(s.path("FRAMES")):
            transfer = read(s, main, [1, 2, 3], "Frame №3 - not saved", key=VK_F2)
            check_equal(file_names(s.path("FRAMES")), files, "FRAMES after the locked run")
        check({"Frame №1 - already stored", "Frame №2 - already stored"} <= set(transfer.seen),
              f"the notices of frames 1 and 2 in {transfer.seen}")
        check(re.search(rb"FRAMES\\[0-9_-]+~003\.png - " + "не записан на диск\r\n".encode("cp1251"), s.log()),
              "no log line for frame 3")
        exit_through_menu(s, main)


def scenario_read_hundred_frames(s):
    """Select all, with 100 frames of 50,000 bytes on the detector: the bars step by 1 in a
    hundred, stand at the 40th frame when its text shows, and all 100 frames are stored whole."""
    address = "127.0.0.36"
    frames = hundred_frames()
    with Detector(s, address, frames=frames):
        main, config = start_main_window(s, ENGLISH, address=address)
        transfer = read_all(s, main)
        transfer.check_layout(100)
        transfer.watch("Frame №40")
        # 39 frames are in, the 40th is on its way (or just in: the bars are read at once, the
        # picture after them).
        overall, file = transfer.overall.progress(), transfer.file.progress()
        s.snapshot("read-frames-transfer", transfer.dialog)
        check(overall["pos"] in (39, 40, 41), f"the overall bar at frame 40: {overall}")
        check(file["pos"] % 10 == 0, f"the file bar at frame 40: {file}")
        transfer.wait_closed(timeout=100)
        check_stored(s, frames)
        exit_through_menu(s, main)


def wait_for_the_minute_to_have(seconds):
    """Waits, if need be, for the next minute, so that this one has `seconds` left."""
    now = datetime.now()
    if now.second > 60 - seconds:
        time.sleep(60.5 - now.second - now.microsecond / 1e6)


def scenario_a_frame_read_again_within_its_minute(s):
    """Frame 1 read, given a commentary, then changed on the detector and read again within the
    same minute: the new picture is stored beside the first as "... (2).png", each byte for
    byte what the detector held when it was read; the first one and its commentary untouched.
    Read a third time, the copy is found to hold it. Both are frame 1 to View, Edit, browsing and
    printing: each shows and prints its own picture with its own commentary."""
    # Here, not at the top: printing imports settings, which imports this module.
    from printing import DPI, QUEUE, print_frame, words
    from printing import check_picture as check_printed_picture

    address = "127.0.0.38"
    for number in (1, 2):
        make_frame(s.path(f"picture-{number}.png"), number)
    first, second = (s.path(f"picture-{number}.png").read_bytes() for number in (1, 2))
    typed = ["первый снимок"] + [""] * 11  # the first picture's commentary
    with Detector(s, address, frames={1: first}) as detector, PdfPrinter(s.path("printed"), queue=QUEUE) as printer:
        main, config = start_main_window(s, ENGLISH, address=address)
        view = FrameView(s, main)
        on_detector = detector.root / "screenshots" / "1.png"
        # The two readings must fall into one minute: a reading that crosses into the next one
        # is done again.
        for attempt in range(3):
            for old in s.path("FRAMES").iterdir():
                old.unlink()
            on_detector.write_bytes(first)
            wait_for_the_minute_to_have(15)
            read(s, main, [1], "Frame №1")
            (name,) = file_names(s.path("FRAMES"))
            choose_file(s, main, ID_VIEW_FRAMES, windows_path(s.path("FRAMES/" + name)))
            view.wait_title(name)
            edit(view)
            view.type(0, typed[0])
            choose_file(s, main, ID_VIEW_FRAMES, windows_path(s.path("FRAMES/" + name)))  # saves
            commentary = s.path("FRAMES/" + name[:-3] + "dat")
            poll(commentary.exists, 5, "the first picture's commentary saved")
            saved = commentary.read_bytes()
            on_detector.write_bytes(second)
            read(s, main, [1], "Frame №1")
            if len(file_names(s.path("FRAMES"))) == 3:
                break
        copy = name[:-4] + " (2).png"
        check_files(s.path("FRAMES"), {name: first, copy: second, commentary.name: saved}, "FRAMES")
        check_equal(saved, commentary_bytes(typed), "the first picture's commentary")
        # The copy came before it in the list: the first picture stays on screen and current.
        check_equal((view.title(), view.bar.scroll()), ("FRAMES\\" + name, {"min": 0, "max": 2, "pos": 1}),
                    "the frame shown and the scroll bar after the second reading")

        read(s, main, [1], "Frame №1 - already stored")
        check_log_has(s, f"файл /screenshots/1.png - уже записан в файле FRAMES\\{copy}\r\n")
        check_equal(len(file_names(s.path("FRAMES"))), 3, "files in FRAMES after the third reading")
        check_scroll_range(main, 2)

        # Edit, while the first picture is edited, finds the copy; browsing goes on to the first
        # picture and back. Each shows and prints its own picture and commentary.
        edit(view)
        choose_file(s, main, ID_EDIT_FRAMES, windows_path(s.path("FRAMES/" + copy)))
        view.wait_title(copy)
        for number, shown, texts, place in ((2, copy, [""] * 12, 0), (1, name, typed, 1)):
            if number == 1:
                view.browse(1, name)
            view.main.screenshot(f"frame-read-again-{number}")
            check_frame_picture(view, number)
            check_equal((view.bar.scroll()["pos"], view.texts()), (place, texts), f"{shown}: its place and commentary")
            pdf, _ = print_frame(s, main, printer)
            check_printed_picture(pdf.render(1, DPI, s.paths.screenshots / f"frame-read-again-printed-{number}.png"),
                                  number)
            check(words("FRAMES\\" + shown) in words(pdf.text(1)), f"the heading {shown!r} is not on the page")
        exit_through_menu(s, main)
    check_equal(s.read_bytes("FRAMES/" + name[:-3] + "dat"), saved, "the first picture's commentary at the end")

"""The detector's settings: Read > Settings, Write > Default settings, the detector's address
dialog and View > Settings, against the simulated detector on a loopback address of its own."""

import os
import random
import signal
import subprocess
import time
from contextlib import contextmanager

from common import (ENGLISH, ID_EDIT_FRAMES, ID_READ_SETTINGS, ID_VIEW_SETTINGS, RUSSIAN, exit_through_menu,
                    test_config)
from e2e import (IDCANCEL, IDOK, VK_ESCAPE, HarnessError, ScenarioFailure, check, check_equal, poll, windows_path)
from frame_view import commentary_bytes, frame_name, start_with_frames, view_frame
from main_window import CYAN, RED, STATUS_INTERVAL, wait_status

ID_SET_IP_ADDRESS = 32786
ID_WRITE_DEFAULT_SETTINGS = 32794
IDYES, IDNO = 6, 7
IP_CONTROL = 1009
OVERALL_BAR, FILE_BAR = 1015, 1016
FILE_NAME_BOX = 1148  # the open-file dialog's file name
NO_ID = (-1, 0xFFFF)

WM_USER = 0x400
PBM_GETPOS = WM_USER + 8
IPM_SETADDRESS = WM_USER + 101

READ_TITLES = {ENGLISH: "Read apparatus settings", RUSSIAN: "Чтение настроек дефектоскопа"}
ADDRESS_TITLES = {ENGLISH: "Set defectoscope IP address", RUSSIAN: "IP адрес дефектоскопа"}
FILE_SHARE_NONE = 0
FILE_SHARE_READ_WRITE = 3


def random_bytes(size, seed):
    return random.Random(seed).randbytes(size)


def cp1251(text):
    return text.encode("cp1251")


# ---- the simulated detector with its TFTP server

class Detector:
    """pelorin-detector serving `root` on `address`, TFTP on port 69 and presence on 1533, with
    every packet written to a record file."""

    def __init__(self, s, address, root, *faults):
        program = s.paths.out / "tools" / "detector" / "pelorin-detector"
        if not program.is_file():
            raise HarnessError(f"{program} is missing: build the native build first (scripts/build.sh)")
        self.record = s.path(f"packets-{address}.txt")
        self.messages = s.path(f"detector-{address}.txt")
        with open(self.messages, "a") as messages:
            self.process = subprocess.Popen(
                [str(program), "--address", address, "--root", str(root), "--log", str(self.record), *faults],
                stdout=subprocess.PIPE, stderr=messages, text=True)
        os.set_blocking(self.process.stdout.fileno(), False)
        deadline = time.monotonic() + 10
        line = ""
        while not line.endswith("\n") and time.monotonic() < deadline and self.process.poll() is None:
            line += self.process.stdout.readline() or ""
            time.sleep(0.02)
        if line.strip() != "ready":
            self.stop()
            raise HarnessError(f"the detector on {address} did not start: {self.messages.read_text()!r}")

    def packets(self):
        """The lines of the packet record so far."""
        return self.record.read_text().splitlines() if self.record.exists() else []

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(5)


@contextmanager
def detector(s, address, root, *faults):
    d = Detector(s, address, root, *faults)
    try:
        yield d
    finally:
        d.stop()


@contextmanager
def immutable(path):
    """The file can be neither written, replaced nor removed (root under Wine ignores the
    read-only attribute and permissions)."""
    subprocess.run(["chattr", "+i", str(path)], check=True)
    try:
        yield
    finally:
        subprocess.run(["chattr", "-i", str(path)], check=True)


@contextmanager
def held_by_another_program(s, path, share):
    """The file open in another process (the driver) with the given sharing."""
    s.driver.request("hold_file", path=windows_path(path), share=share)
    try:
        yield
    finally:
        s.driver.request("release_files")


def start(s, language, address, extra=""):
    config = s.write_config(test_config(language, extra).replace("127.0.0.1", address))
    s.start()
    return s.main_window(), config


def message(s, text, what, timeout=10):
    """The one message box the program shows, with this text."""
    box = s.message_box(timeout)
    check_equal(box.message, text, what)
    check_equal(box.title, "Pelorin", f"the caption of {what}")
    check_equal(box.count, 1, f"message boxes on screen with {what}")
    return box


def no_message_box(s, wait=1.0):
    box = s.driver.request("msgbox", wait=wait)
    if box["found"]:
        raise ScenarioFailure(f"an unexpected message box: {box['message']!r}")


def close_box(box):
    box.press(IDOK)
    box.wait_gone()


def log_text(s):
    return s.log() or b""


# ---- Read > Settings

def read_settings(s, main, language=ENGLISH):
    main.command(ID_READ_SETTINGS)
    dialog = s.dialog(main)
    poll(lambda: dialog.text == READ_TITLES[language], 5, "the read settings dialog's title")
    return dialog


def check_read_dialog_layout(dialog, notice):
    """While the first file's message box is up: the two bars and the notice where they belong."""
    client = dialog.client_rect
    w, h = client.width, client.height
    cx, cy = w // 2, h // 2
    placed = {}
    for child in dialog.children():
        r = child["in_parent"]
        placed[child["id"] if child["id"] not in NO_ID else "text"] = (
            child["class"], child["text"], (r["left"], r["top"], r["right"], r["bottom"]))
    check_equal(placed[OVERALL_BAR][2], (15, cy - 40, w - 15, cy), "the overall bar")
    check_equal(placed[FILE_BAR][2], (15, cy + 20, w - 15, cy + 60), "the per-file bar")
    check_equal(placed["text"][1], notice, "the dialog's text")
    check_equal(placed["text"][2], (cx - 32, cy - 70, cx + 128, cy - 54), "the text's place")
    driver = dialog.driver
    bar_position = lambda bar: driver.request("send", hwnd=dialog.child(bar).hwnd, msg=PBM_GETPOS)["result"]
    check_equal((bar_position(OVERALL_BAR), bar_position(FILE_BAR)), (50, 0), "the bars after a first file that failed")


def scenario_read_settings(s):
    """Both files copied byte for byte; a file the detector lacks, a local copy that cannot be
    replaced, Escape before the work starts, and no detector at all: each said, old copies kept."""
    address = "127.0.0.21"
    device = s.path("device")
    device.mkdir()
    fds, fdc = random_bytes(300, 1), random_bytes(400 * 1024, 2)
    (device / "fds.sdb").write_bytes(fds)
    (device / "fdc.sdb").write_bytes(fdc)
    frames = s.path("FRAMES")
    (frames / "fds.sdb").write_bytes(b"old fds")
    (frames / "fdc.sdb").write_bytes(b"old fdc")

    with detector(s, address, device) as d:
        main, config = start(s, ENGLISH, address)

        # Both files, the short one and the long one.
        started = time.monotonic()
        dialog = read_settings(s, main)
        dialog.wait_gone(20)
        print(f"both files read in {time.monotonic() - started:.2f} s (the dialog's 500 ms wait included)")
        no_message_box(s)
        check_equal((frames / "fds.sdb").read_bytes(), fds, "FRAMES/fds.sdb after reading")
        check_equal((frames / "fdc.sdb").read_bytes(), fdc, "FRAMES/fdc.sdb after reading")
        check_equal(sorted(p.name for p in frames.iterdir()), ["fdc.sdb", "fds.sdb"], "the files in FRAMES")

        # The detector has no fds.sdb: said, the local copy kept; fdc.sdb still read.
        (device / "fds.sdb").unlink()
        fdc = random_bytes(5000, 3)
        (device / "fdc.sdb").write_bytes(fdc)
        dialog = read_settings(s, main)
        box = message(s, "file fds.sdb - not found", "the message of a file the detector lacks")
        check_read_dialog_layout(dialog, "file fds.sdb - not found")
        s.screenshot("read-settings-not-found-english")
        box.screenshot("read-settings-not-found-message-english")
        close_box(box)
        dialog.wait_gone(10)
        no_message_box(s)
        check_equal((frames / "fds.sdb").read_bytes(), fds, "FRAMES/fds.sdb kept when the detector lacks it")
        check_equal((frames / "fdc.sdb").read_bytes(), fdc, "FRAMES/fdc.sdb read after fds.sdb failed")

        # The local copy cannot be replaced: said, and it stays byte for byte.
        (device / "fds.sdb").write_bytes(random_bytes(700, 4))
        with immutable(frames / "fds.sdb"):
            dialog = read_settings(s, main)
            notice = "file fds.sdb - not saved, the old copy is kept"
            box = message(s, notice, "the message of a copy that cannot be replaced")
            text = [c for c in dialog.children() if c["id"] in NO_ID][0]
            check_equal(text["text"], notice, "the dialog's text")
            check(text["in_parent"]["right"] - text["in_parent"]["left"] > 160, "the long notice is not widened")
            s.screenshot("read-settings-not-saved-english")
            close_box(box)
            dialog.wait_gone(10)
        check_equal((frames / "fds.sdb").read_bytes(), fds, "FRAMES/fds.sdb that could not be replaced")
        check_equal(sorted(p.name for p in frames.iterdir()), ["fdc.sdb", "fds.sdb"], "the files in FRAMES")

        # Escape before the dialog's timer: nothing is read.
        before = len(d.packets())
        main.post_command(ID_READ_SETTINGS)
        escaped = s.driver.request("dialog_key", owner=main.hwnd, vk=VK_ESCAPE, wait=5)
        check(escaped["found"], "no read settings dialog for Escape")
        s.driver.request("wait_gone", hwnd=escaped["hwnd"], wait=5)
        time.sleep(1.0)  # the timer's 500 ms and then some
        no_message_box(s, 0)
        check_equal(d.packets()[before:], [], f"packets after Escape (pressed {escaped['waited_ms']} ms in)")
        print(f"Escape pressed {escaped['waited_ms']} ms after the dialog was looked for")

        # A slow detector, to see the dialog at work.
    with detector(s, address, device, "--delay=40") as slow:
        (device / "fds.sdb").write_bytes(random_bytes(30 * 1024, 5))
        dialog = read_settings(s, main)
        poll(lambda: slow.packets(), 5, "the first request")
        time.sleep(0.5)
        rect = dialog.rect
        s.paths.screenshots.mkdir(parents=True, exist_ok=True)
        s.capture(timeout=0).save(s.paths.screenshots / "read-settings-at-work-english.png", rect)
        dialog.wait_gone(20)
        no_message_box(s)

    # No detector at all: two messages in turn, both copies as they were.
    fds_before, fdc_before = (frames / "fds.sdb").read_bytes(), (frames / "fdc.sdb").read_bytes()
    dialog = read_settings(s, main)
    started = time.monotonic()
    box = message(s, "file fds.sdb - link not established", "the first no-answer message")
    first = time.monotonic() - started
    box.screenshot("read-settings-no-link-message-english")
    close_box(box)
    box = message(s, "file fdc.sdb - link not established", "the second no-answer message")
    close_box(box)
    dialog.wait_gone(10)
    check(first < 3, f"the first no-answer message took {first:.1f} s")
    print(f"the first no-answer message {first:.2f} s after the dialog showed")
    check_equal(((frames / "fds.sdb").read_bytes(), (frames / "fdc.sdb").read_bytes()), (fds_before, fdc_before),
                "the local copies without a detector")
    exit_through_menu(s, main)
    check_equal(s.read_bytes("Pelorin.cfg"), config, "Pelorin.cfg")
    log = log_text(s)
    for line in ("файл fds.sdb - прочитан. Длина 300 байт\r\n", "файл fdc.sdb - прочитан. Длина 409600 байт\r\n",
                 "файл fds.sdb - File not found\r\n", "чтение файла fds.sdb - нет связи с прибором\r\n"):
        check(cp1251(line) in log, f"the log has no line {line!r}")


# ---- Write > Default settings

def write_defaults(s, main, answer):
    main.command(ID_WRITE_DEFAULT_SETTINGS)
    question = s.message_box()
    check(IDYES in question.buttons and IDNO in question.buttons, f"the question's buttons {question.buttons}")
    question.press(answer)
    question.wait_gone()


def expect_summary(s, lines, what):
    box = message(s, "\n".join(lines), what, timeout=20)
    close_box(box)
    return box


def scenario_write_default_settings(s):
    """No sends nothing; then, with Yes, each way a file can go is told in the summary: not in the
    Default folder, sent (an empty file too), held by another program, refused by the detector,
    unanswered."""
    address = "127.0.0.22"
    device = s.path("device")
    device.mkdir()
    default = s.path("Default")
    with detector(s, address, device) as d:
        main, config = start(s, ENGLISH, address)

        main.command(ID_WRITE_DEFAULT_SETTINGS)
        question = message(s, "Are you sure to rewrite default settings\nto apparatus", "the question")
        check_equal(sorted(question.buttons), [IDYES, IDNO], "the question's buttons")
        question.screenshot("write-defaults-question-english")
        question.press(IDNO)
        question.wait_gone()
        no_message_box(s)
        check_equal(d.packets(), [], "packets after No")

        write_defaults(s, main, IDYES)
        expect_summary(s, ["file fds.sdb - not in the Default folder", "file fdc.sdb - not in the Default folder"],
                       "the summary without a Default folder")
        check_equal(d.packets(), [], "packets without a Default folder")

        default.mkdir()
        fdc = random_bytes(1100, 6)
        (default / "fdc.sdb").write_bytes(fdc)
        write_defaults(s, main, IDYES)
        expect_summary(s, ["file fds.sdb - not in the Default folder", "file fdc.sdb - sent, 1100 bytes"],
                       "the summary with fds.sdb missing")
        check_equal((device / "fdc.sdb").read_bytes(), fdc, "fdc.sdb on the detector")

        (default / "fds.sdb").write_bytes(b"")
        fdc = random_bytes(2000, 7)
        (default / "fdc.sdb").write_bytes(fdc)
        write_defaults(s, main, IDYES)
        box = message(s, "file fds.sdb - sent, 0 bytes\nfile fdc.sdb - sent, 2000 bytes", "the summary of both sent",
                      timeout=20)
        box.screenshot("write-defaults-sent-english")
        close_box(box)
        check_equal(((device / "fds.sdb").read_bytes(), (device / "fdc.sdb").read_bytes()), (b"", fdc),
                    "both files on the detector")

        sent = len(d.packets())
        with held_by_another_program(s, default / "fds.sdb", FILE_SHARE_NONE):
            write_defaults(s, main, IDYES)
            box = message(s, "file fds.sdb - cannot be read, not sent\nfile fdc.sdb - sent, 2000 bytes",
                          "the summary with fds.sdb held by another program", timeout=20)
            box.screenshot("write-defaults-not-read-english")
            close_box(box)
        check(not any("/fds.sdb" in line for line in d.packets()[sent:]), "fds.sdb was sent while held")

    with detector(s, address, device, "--error-at=0:3:Disk full"):
        write_defaults(s, main, IDYES)
        expect_summary(s, ["file fds.sdb - the apparatus answered: Disk full",
                           "file fdc.sdb - the apparatus answered: Disk full"], "the summary of refused files")

    with detector(s, address, device, "--mute"):
        write_defaults(s, main, IDYES)
        box = message(s, "file fds.sdb - the apparatus does not answer\nfile fdc.sdb - the apparatus does not answer",
                      "the summary without answer", timeout=20)
        box.screenshot("write-defaults-no-answer-english")
        close_box(box)

    exit_through_menu(s, main)
    check_equal(s.read_bytes("Pelorin.cfg"), config, "Pelorin.cfg")
    log = log_text(s)
    for line in ("файл /fdc.sdb - отослан. Длина 1100 байт\r\n", "файл /fds.sdb - отослан. Длина 0 байт\r\n",
                 "файл /fdc.sdb - отослан. Длина 2000 байт\r\n", "файл /fds.sdb - Disk full\r\nБлок данных = 0\r\n"):
        check(cp1251(line) in log, f"the log has no line {line!r}")


# ---- Settings > Set IP address to connect

def address_fields(dialog):
    """The four fields of the IP address control, left to right."""
    control = dialog.child(IP_CONTROL)
    edits = sorted((c for c in control.children() if c["class"].lower() == "edit"), key=lambda c: c["in_parent"]["left"])
    check_equal(len(edits), 4, "fields in the IP address control")
    return edits


def shown_address(dialog):
    return ".".join(edit["text"] for edit in address_fields(dialog))


def put_address(s, dialog, address):
    a, b, c, d = (int(part) for part in address.split("."))
    s.driver.request("send", hwnd=dialog.child(IP_CONTROL).hwnd, msg=IPM_SETADDRESS,
                     lparam=(a << 24) | (b << 16) | (c << 8) | d)


def open_address_dialog(s, main, language=ENGLISH):
    main.command(ID_SET_IP_ADDRESS)
    dialog = s.dialog(main)
    poll(lambda: dialog.text == ADDRESS_TITLES[language], 5, "the address dialog's title")
    return dialog


def refused(s, dialog, text, what):
    dialog.press(IDOK)
    box = message(s, text, what)
    check(dialog.exists() and dialog.visible, f"the address dialog closed on {what}")
    return box


def saved_line(in_place):
    return cp1251("Конфигурация программы сохранена в том же файле: заменить его нельзя.\r\n" if in_place
                  else "Конфигурация программы сохранена (файл заменён).\r\n")


def scenario_ip_address(s):
    """The dialog shows the address; blank fields and unusable addresses are refused and the
    dialog stays; a new address is probed at the next status probe and saved at exit; Cancel
    saves nothing; OK unchanged rewrites; a configuration held open is written in place."""
    old, new = "127.0.0.1", "127.0.0.32"
    with detector(s, new, s.path("FRAMES"), "--no-tftp"):
        main, config = start(s, ENGLISH, old)
        wait_status(s, main, RED, 3, "the status line red for 127.0.0.1")

        dialog = open_address_dialog(s, main)
        check_equal(shown_address(dialog), old, "the address shown")
        dialog.screenshot("ip-address-dialog-english")
        third = address_fields(dialog)[2]
        s.driver.request("set_text", hwnd=third["hwnd"], text="")
        box = refused(s, dialog, "Fill in all four numbers of the address.", "an address with a blank field")
        box.screenshot("ip-address-incomplete-english")
        close_box(box)
        for unusable in ("224.0.0.1", "0.0.0.0", "255.255.255.255"):
            put_address(s, dialog, unusable)
            box = refused(s, dialog, f"The address {unusable} cannot be the apparatus address.", unusable)
            if unusable == "224.0.0.1":
                box.screenshot("ip-address-unusable-english")
            close_box(box)

        put_address(s, dialog, new)
        dialog.press(IDOK)
        dialog.wait_gone()
        chosen = time.monotonic()
        wait_status(s, main, CYAN, STATUS_INTERVAL + 3, "the status line cyan for the new address")
        check(time.monotonic() - chosen <= STATUS_INTERVAL + 3, "the status line took too long")
        check_equal(s.read_bytes("Pelorin.cfg"), config, "Pelorin.cfg before the exit")

        dialog = open_address_dialog(s, main)
        check_equal(shown_address(dialog), new, "the address shown after OK")
        dialog.press(IDCANCEL)
        dialog.wait_gone()
        exit_through_menu(s, main)
    saved = s.canonical_config(LANGUAGE_DEFAULT=ENGLISH, IP_ADDRESS=new)
    check_equal(s.read_bytes("Pelorin.cfg"), saved, "Pelorin.cfg after a new address")
    check(saved_line(False) in log_text(s), "the log does not say how Pelorin.cfg was saved")

    # Cancel: the file stays byte for byte.
    s.start()
    main = s.main_window()
    dialog = open_address_dialog(s, main)
    dialog.press(IDCANCEL)
    dialog.wait_gone()
    exit_through_menu(s, main)
    check_equal(s.read_bytes("Pelorin.cfg"), saved, "Pelorin.cfg after Cancel")

    # OK without a change still rewrites it, in the program's own layout.
    s.write_config(test_config(ENGLISH).replace("127.0.0.1", new))
    s.start()
    main = s.main_window()
    dialog = open_address_dialog(s, main)
    dialog.press(IDOK)
    dialog.wait_gone()
    exit_through_menu(s, main)
    check_equal(s.read_bytes("Pelorin.cfg"), saved, "Pelorin.cfg after OK without a change")

    # Another program holds Pelorin.cfg open without letting it be replaced: written in place.
    s.start()
    main = s.main_window()
    dialog = open_address_dialog(s, main)
    put_address(s, dialog, "10.0.0.5")
    dialog.press(IDOK)
    dialog.wait_gone()
    with held_by_another_program(s, s.path("Pelorin.cfg"), FILE_SHARE_READ_WRITE):
        exit_through_menu(s, main)
    check_equal(s.read_bytes("Pelorin.cfg"), s.canonical_config(LANGUAGE_DEFAULT=ENGLISH, IP_ADDRESS="10.0.0.5"),
                "Pelorin.cfg written while held open")
    check_equal(sorted(p.name for p in s.work.glob("Pelorin.cfg*")), ["Pelorin.cfg"], "files beside Pelorin.cfg")
    check(saved_line(True) in log_text(s), "the log does not say Pelorin.cfg was written in place")


# ---- View > Settings

def choose_settings_file(s, main, path):
    """View > Settings, sent as a command (the menu item is greyed), and a file name typed into
    the open-file dialog; path None cancels."""
    main.post_command(ID_VIEW_SETTINGS)
    chooser = s.dialog(main)
    if path is None:
        chooser.press(IDCANCEL)
    else:
        s.driver.request("set_text", hwnd=chooser.child(FILE_NAME_BOX, wait=5).hwnd, text=windows_path(path))
        chooser.press(IDOK)
    chooser.wait_gone()
    return chooser


def scenario_view_settings(s):
    """The greyed View > Settings still works when sent. Over a commentary being edited: Cancel
    and a file that does not open change nothing; a settings file that opens saves the
    commentary, takes the frame view down and leaves the settings mode's empty window."""
    frames = s.path("FRAMES")
    (frames / "fds.sdb").write_bytes(b"settings")
    view = start_with_frames(s, ENGLISH, numbers=(1, 2))
    main = view.main
    check(main.menu_item(ID_VIEW_SETTINGS)["grayed"], "View > Settings is not greyed")
    view_frame(s, view, 1)
    main.command(ID_EDIT_FRAMES)
    poll(lambda: all(view.editable()), 5, "the fields editable")
    view.fields[0].set_text("Settings viewed")
    commentary = frames / (frame_name(1)[:-3] + "dat")

    def still_editing(what):
        check(view.title().endswith(frame_name(1)), f"the frame is no longer shown after {what}")
        check(all(view.editable()), f"the fields are no longer editable after {what}")
        check_equal(view.texts()[0], "Settings viewed", f"the edited text after {what}")
        check(not commentary.exists(), f"the commentary was saved after {what}")

    main.post_command(ID_VIEW_SETTINGS)
    chooser = s.dialog(main)
    chooser.screenshot("view-settings-open-dialog-english")
    chooser.press(IDCANCEL)
    chooser.wait_gone()
    no_message_box(s)
    still_editing("Cancel")

    # A file that is not there (Wine's dialog hands a missing name over as typed, without the
    # default extension).
    choose_settings_file(s, main, frames / "nothere")
    box = s.message_box()
    check(box.message.startswith("Error occured while open file "), f"the message {box.message!r}")
    check(box.message.endswith("\\FRAMES\\nothere"), f"the file named in {box.message!r}")
    box.screenshot("view-settings-open-error-english")
    close_box(box)
    still_editing("a file that is not there")

    # A file another program holds open without sharing cannot be opened either.
    with held_by_another_program(s, frames / "fds.sdb", FILE_SHARE_NONE):
        choose_settings_file(s, main, frames / "fds.sdb")
        box = s.message_box()
        check(box.message.endswith("\\FRAMES\\fds.sdb"), f"the file named in {box.message!r}")
        close_box(box)
    still_editing("a file held open")

    choose_settings_file(s, main, frames / "fds.sdb")
    no_message_box(s)
    check_equal(commentary.read_bytes() if commentary.exists() else None,
                commentary_bytes(["Settings viewed"] + [""] * 11), "the commentary saved on leaving")
    poll(lambda: not any(c["class"] == "Output" for c in main.children()), 5, "the picture window gone")
    check(not any(field.visible for field in view.fields), "a commentary field still shows")
    check(not view.bar.visible, "the scroll bar still shows")
    check_equal(view.title(), None, "the title label")
    main.screenshot("view-settings-mode-english")
    check(main.menu_item(ID_VIEW_SETTINGS)["grayed"], "View > Settings is not greyed after use")

    saved = commentary.read_bytes()
    exit_through_menu(s, main)
    check_equal(commentary.read_bytes(), saved, "the commentary after Exit from the settings mode")


# ---- the same in Russian

def scenario_russian_texts(s):
    """Every dialog and message of the settings commands in Russian."""
    address = "127.0.0.24"
    device = s.path("device")
    device.mkdir()
    (device / "fdc.sdb").write_bytes(random_bytes(800, 8))
    frames = s.path("FRAMES")
    (frames / "fdc.sdb").write_bytes(b"old fdc")
    with detector(s, address, device):
        main, config = start(s, RUSSIAN, address)

        with immutable(frames / "fdc.sdb"):
            dialog = read_settings(s, main, RUSSIAN)
            box = message(s, "файла fds.sdb - нет", "the Russian not-found message")
            s.screenshot("read-settings-not-found-russian")
            close_box(box)
            box = message(s, "файл fdc.sdb - не записан, прежняя копия сохранена", "the Russian not-saved message")
            s.screenshot("read-settings-not-saved-russian")
            close_box(box)
            dialog.wait_gone()
        check_equal((frames / "fdc.sdb").read_bytes(), b"old fdc", "FRAMES/fdc.sdb that could not be replaced")

        main.command(ID_WRITE_DEFAULT_SETTINGS)
        question = message(s, "Вы уверены, что хотите записать в прибор\nнастройки по умолчанию", "the Russian question")
        question.screenshot("write-defaults-question-russian")
        question.press(IDYES)
        question.wait_gone()
        box = message(s, "файл fds.sdb - нет в папке Default\nфайл fdc.sdb - нет в папке Default",
                      "the Russian summary", timeout=20)
        box.screenshot("write-defaults-not-found-russian")
        close_box(box)
        s.path("Default").mkdir()
        (s.path("Default") / "fds.sdb").write_bytes(b"defaults")
        write_defaults(s, main, IDYES)
        box = message(s, "файл fds.sdb - отослан, 8 байт\nфайл fdc.sdb - нет в папке Default",
                      "the Russian summary with one file sent", timeout=20)
        box.screenshot("write-defaults-sent-russian")
        close_box(box)

    with detector(s, address, device, "--mute"):
        write_defaults(s, main, IDYES)
        box = message(s, "файл fds.sdb - прибор не отвечает\nфайл fdc.sdb - нет в папке Default",
                      "the Russian summary without answer", timeout=20)
        box.screenshot("write-defaults-no-answer-russian")
        close_box(box)

    dialog = read_settings(s, main, RUSSIAN)
    box = message(s, "файл fds.sdb - нет связи", "the Russian no-answer message")
    s.screenshot("read-settings-no-link-russian")
    close_box(box)
    close_box(message(s, "файл fdc.sdb - нет связи", "the second Russian no-answer message"))
    dialog.wait_gone()

    dialog = open_address_dialog(s, main, RUSSIAN)
    check_equal(shown_address(dialog), address, "the address shown")
    dialog.screenshot("ip-address-dialog-russian")
    s.driver.request("set_text", hwnd=address_fields(dialog)[0]["hwnd"], text="")
    box = refused(s, dialog, "Заполните все четыре числа адреса.", "the Russian incomplete message")
    box.screenshot("ip-address-incomplete-russian")
    close_box(box)
    put_address(s, dialog, "239.1.2.3")
    box = refused(s, dialog, "Адрес 239.1.2.3 не может быть адресом прибора.", "the Russian unusable message")
    box.screenshot("ip-address-unusable-russian")
    close_box(box)
    dialog.press(IDCANCEL)
    dialog.wait_gone()

    main.post_command(ID_VIEW_SETTINGS)
    chooser = s.dialog(main)
    chooser.screenshot("view-settings-open-dialog-russian")
    chooser.press(IDCANCEL)
    chooser.wait_gone()
    choose_settings_file(s, main, frames / "nothere.sdb")
    box = s.message_box()
    check(box.message.startswith("Ошибка открытия файла "), f"the message {box.message!r}")
    box.screenshot("view-settings-open-error-russian")
    close_box(box)

    exit_through_menu(s, main)
    check_equal(s.read_bytes("Pelorin.cfg"), config, "Pelorin.cfg after Cancel in the address dialog")

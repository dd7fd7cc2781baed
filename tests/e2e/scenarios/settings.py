"""The detector's settings: Read > Settings, Write > Default settings, the detector's address
dialog and View > Settings, against the simulated detector on a loopback address of its own."""

import re
import time

from common import (ENGLISH, FILE_SHARE_NONE, FILE_SHARE_READ_WRITE, ID_READ_SETTINGS, ID_SET_IP_ADDRESS,
                    ID_VIEW_SETTINGS, ID_WRITE_DEFAULT_SETTINGS, IDNO, IDYES, held_by_another_program,
                    RUSSIAN, Detector, check_files, check_log_has, choose_file, choose_language, close, exit_through_menu,
                    immutable, message, no_message_box, open_dialog, open_file_dialog, random_bytes,
                    start_main_window)
from e2e import IDCANCEL, IDOK, VK_ESCAPE, check, check_equal, poll, windows_path
from frame_view import (RUSSIAN_LABELS, check_labels, commentary_bytes, commentary_path, edit, frame_name,
                        start_with_frames, view_frame)
from main_window import CYAN, RED, STATUS_INTERVAL, wait_status
from read_frames import SLOW_PACKETS_MS, answered_throughout

IP_CONTROL = 1009
OVERALL_BAR, FILE_BAR = 1015, 1016
NO_ID = (-1, 0xFFFF)
IPM_SETADDRESS = 0x400 + 101

READ_TITLES = {ENGLISH: "Read apparatus settings", RUSSIAN: "Чтение настроек дефектоскопа"}
ADDRESS_TITLES = {ENGLISH: "Set defectoscope IP address", RUSSIAN: "IP адрес дефектоскопа"}
QUESTIONS = {ENGLISH: "Are you sure to rewrite default settings\nto apparatus",
             RUSSIAN: "Вы уверены, что хотите записать в прибор\nнастройки по умолчанию"}


# ---- Read > Settings

def dialog_text(dialog):
    """The read settings dialog's text: the one child without an id."""
    return [c for c in dialog.children() if c["id"] in NO_ID][0]


def check_read_dialog_layout(dialog, notice):
    """While the first file's message box is up: the two bars and the notice where they belong."""
    client = dialog.client_rect
    w, cx, cy = client.width, client.width // 2, client.height // 2
    for bar, top in ((OVERALL_BAR, cy - 40), (FILE_BAR, cy + 20)):
        r = dialog.child(bar).rect_in_parent
        check_equal((r.left, r.top, r.right, r.bottom), (15, top, w - 15, top + 40), f"the bar {bar}")
    text = dialog_text(dialog)
    r = text["in_parent"]
    check_equal((text["text"], (r["left"], r["top"], r["right"], r["bottom"])),
                (notice, (cx - 32, cy - 70, cx + 128, cy - 54)), "the dialog's text and its place")
    check_equal((dialog.child(OVERALL_BAR).progress()["pos"], dialog.child(FILE_BAR).progress()["pos"]), (50, 0),
                "the bars after a first file that failed")


def scenario_read_settings(s):
    """Both files copied byte for byte; a file the detector lacks and a local copy that cannot be
    replaced: each said in a message box in turn over the dialog, its text widened when it does
    not fit; Escape before the work starts reads nothing. (What the reading keeps and shows for
    each wrong answer is tested natively.)"""
    address = "127.0.0.21"
    device = s.path("device")
    device.mkdir()
    # The long one first: the short one read after it into the same buffer must not keep its tail.
    fds, fdc = random_bytes(400 * 1024, 1), random_bytes(300, 2)
    (device / "fds.sdb").write_bytes(fds)
    (device / "fdc.sdb").write_bytes(fdc)
    frames = s.path("FRAMES")
    (frames / "fds.sdb").write_bytes(b"old fds")
    (frames / "fdc.sdb").write_bytes(b"old fdc")

    with Detector(s, address, root=device) as d:
        main, config = start_main_window(s, ENGLISH, address=address)
        started = time.monotonic()
        open_dialog(s, main, ID_READ_SETTINGS, READ_TITLES[ENGLISH]).wait_gone(20)
        print(f"both files read in {time.monotonic() - started:.2f} s (the dialog's 500 ms wait included)")
        no_message_box(s)
        check_files(frames, {"fds.sdb": fds, "fdc.sdb": fdc}, "FRAMES after reading")

        # The detector has no fds.sdb, and the local fdc.sdb cannot be replaced: each said in
        # turn, in the dialog and in a message box.
        (device / "fds.sdb").unlink()
        (device / "fdc.sdb").write_bytes(random_bytes(5000, 3))
        with immutable(frames / "fdc.sdb"):
            dialog = open_dialog(s, main, ID_READ_SETTINGS, READ_TITLES[ENGLISH])
            notice = "file fds.sdb - not found"
            box = message(s, notice, "the message of a file the detector lacks", keep=True)
            check_read_dialog_layout(dialog, notice)
            s.screenshot("read-settings-not-found-english")
            box.screenshot("read-settings-not-found-message-english")
            close(box)
            notice = "file fdc.sdb - not saved, the old copy is kept"
            box = message(s, notice, "the message of a copy that cannot be replaced", keep=True)
            text = dialog_text(dialog)
            check_equal(text["text"], notice, "the dialog's text")
            check(text["in_parent"]["right"] - text["in_parent"]["left"] > 160, "the long notice is not widened")
            s.screenshot("read-settings-not-saved-english")
            close(box)
            dialog.wait_gone(10)
        no_message_box(s)

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
    with Detector(s, address, "--delay=40", root=device) as slow:
        (device / "fds.sdb").write_bytes(random_bytes(30 * 1024, 5))
        dialog = open_dialog(s, main, ID_READ_SETTINGS, READ_TITLES[ENGLISH])
        poll(lambda: slow.packets(), 5, "the first request")
        time.sleep(0.5)
        s.snapshot("read-settings-at-work-english", dialog)
        dialog.wait_gone(20)
        no_message_box(s)

    exit_through_menu(s, main)
    check_equal(s.read_bytes("Pelorin.cfg"), config, "Pelorin.cfg")
    check_log_has(s, "файл fds.sdb - прочитан. Длина 409600 байт\r\n", "файл fdc.sdb - прочитан. Длина 300 байт\r\n",
                  "файл fds.sdb - File not found\r\n")


# ---- Write > Default settings

def write_defaults(s, main, summary, language=ENGLISH, shot=None, question_shot=None):
    """Write > Default settings, Yes to the question, and the summary of the two files, closed."""
    main.command(ID_WRITE_DEFAULT_SETTINGS)
    question = message(s, QUESTIONS[language], "the question", shot=question_shot, keep=True)
    check_equal(sorted(question.buttons), [IDYES, IDNO], "the question's buttons")
    close(question, IDYES)
    message(s, "\n".join(summary), "the summary", shot=shot, timeout=20)


def scenario_write_default_settings(s):
    """No sends nothing; then, with Yes, each way a file can go is told in the summary: not in the
    Default folder, sent (an empty file too), held by another program, refused by the detector,
    unanswered."""
    address = "127.0.0.22"
    device = s.path("device")
    device.mkdir()
    default = s.path("Default")
    with Detector(s, address, root=device) as d:
        main, config = start_main_window(s, ENGLISH, address=address)
        main.command(ID_WRITE_DEFAULT_SETTINGS)
        close(message(s, QUESTIONS[ENGLISH], "the question", shot="write-defaults-question-english", keep=True), IDNO)
        no_message_box(s)
        check_equal(d.packets(), [], "packets after No")

        write_defaults(s, main, ["file fds.sdb - not in the Default folder", "file fdc.sdb - not in the Default folder"])
        check_equal(d.packets(), [], "packets without a Default folder")

        default.mkdir()
        fdc = random_bytes(1100, 6)
        (default / "fdc.sdb").write_bytes(fdc)
        write_defaults(s, main, ["file fds.sdb - not in the Default folder", "file fdc.sdb - sent, 1100 bytes"])
        check_equal((device / "fdc.sdb").read_bytes(), fdc, "fdc.sdb on the detector")

        (default / "fds.sdb").write_bytes(b"")
        fdc = random_bytes(2000, 7)
        (default / "fdc.sdb").write_bytes(fdc)
        write_defaults(s, main, ["file fds.sdb - sent, 0 bytes", "file fdc.sdb - sent, 2000 bytes"],
                       shot="write-defaults-sent-english")
        check_equal(((device / "fds.sdb").read_bytes(), (device / "fdc.sdb").read_bytes()), (b"", fdc),
                    "both files on the detector")

        sent = len(d.packets())
        with held_by_another_program(s, default / "fds.sdb", FILE_SHARE_NONE):
            write_defaults(s, main, ["file fds.sdb - cannot be read, not sent", "file fdc.sdb - sent, 2000 bytes"],
                           shot="write-defaults-not-read-english")
        check(not any("/fds.sdb" in text for text in d.received(sent)), "fds.sdb was sent while held")

    with Detector(s, address, "--error-at=0:3:Disk full", root=device):
        write_defaults(s, main, ["file fds.sdb - the apparatus answered: Disk full",
                                 "file fdc.sdb - the apparatus answered: Disk full"])
    with Detector(s, address, "--mute", root=device):
        write_defaults(s, main, ["file fds.sdb - the apparatus does not answer",
                                 "file fdc.sdb - the apparatus does not answer"], shot="write-defaults-no-answer-english")

    exit_through_menu(s, main)
    check_equal(s.read_bytes("Pelorin.cfg"), config, "Pelorin.cfg")
    check_log_has(s, "файл /fdc.sdb - отослан. Длина 1100 байт\r\n", "файл /fds.sdb - отослан. Длина 0 байт\r\n",
                  "файл /fdc.sdb - отослан. Длина 2000 байт\r\n", "файл /fds.sdb - Disk full\r\nБлок данных = 0\r\n")


# ---- a slow detector

def scenario_slow_detector_and_a_missing_frames_folder(s):
    """A detector that sends every packet 250 ms late. Write > Default settings: Escape pressed
    on the keyboard while the files go neither closes the summary unread nor ends the program.
    Read > Settings into a frames folder that is not there yet: the folder is made and both
    files, as the detector got them, are stored in it; the dialog answers another program within
    50 ms throughout, and Escape pressed meanwhile does nothing."""
    address = "127.0.0.25"
    device, default = s.path("device"), s.path("Default")
    device.mkdir()
    default.mkdir()
    fds, fdc = random_bytes(1500, 11), random_bytes(700, 12)
    (default / "fds.sdb").write_bytes(fds)
    (default / "fdc.sdb").write_bytes(fdc)
    with Detector(s, address, f"--delay={SLOW_PACKETS_MS}", root=device) as d:
        main, config = start_main_window(s, ENGLISH, "FRAMES_PATH = NEW\r\n", address=address)
        main.command(ID_WRITE_DEFAULT_SETTINGS)
        close(message(s, QUESTIONS[ENGLISH], "the question", keep=True), IDYES)
        poll(lambda: d.received(), 5, "the first file on its way")
        s.press_key(VK_ESCAPE)
        message(s, "file fds.sdb - sent, 1500 bytes\nfile fdc.sdb - sent, 700 bytes", "the summary after Escape",
                timeout=20)
        check(s.still_running(), "the program ended after Write > Default settings")

        check(not s.path("NEW").exists(), "the frames folder is there before Read > Settings")
        dialog = open_dialog(s, main, ID_READ_SETTINGS, READ_TITLES[ENGLISH])
        s.start_null_waits(dialog)
        poll(lambda: d.requests(), 5, "the first file asked for")
        s.press_key(VK_ESCAPE)
        dialog.wait_gone(20)
        answers = s.stop_null_waits()
        print(f"the read settings dialog answered WM_NULL within {answers['longest'] * 1000:.1f} ms at most")
        check(answers["count"] > 50 and answered_throughout(answers), f"the dialog's answers: {answers}")
        no_message_box(s)
        check(s.still_running(), "the program ended after Read > Settings")
        check_files(s.path("NEW"), {"fds.sdb": fds, "fdc.sdb": fdc}, "NEW")
        exit_through_menu(s, main)
    check_log_has(s, "файл /fds.sdb - отослан. Длина 1500 байт\r\n", "файл fdc.sdb - прочитан. Длина 700 байт\r\n")


# ---- Settings > Set IP address to connect

def address_fields(dialog):
    """The four fields of the IP address control, left to right."""
    control = dialog.child(IP_CONTROL)
    edits = sorted((c for c in control.children() if c["class"].lower() == "edit"), key=lambda c: c["in_parent"]["left"])
    check_equal(len(edits), 4, "fields in the IP address control")
    return edits


def shown_address(dialog):
    return ".".join(edit["text"] for edit in address_fields(dialog))


def put_address(dialog, address):
    a, b, c, d = (int(part) for part in address.split("."))
    dialog.child(IP_CONTROL).send(IPM_SETADDRESS, lparam=(a << 24) | (b << 16) | (c << 8) | d)


def refused(s, dialog, text, what, shot=None, blank=None):
    """OK on an address the dialog refuses (after putting one, or blanking field `blank`): the
    message, and the dialog stays."""
    if blank is not None:
        s.driver.request("set_text", hwnd=address_fields(dialog)[blank]["hwnd"], text="")
    dialog.press(IDOK)
    message(s, text, what, shot=shot)
    check(dialog.exists() and dialog.visible, f"the address dialog closed on {what}")


def saved_line(in_place):
    return ("Конфигурация программы сохранена в том же файле: заменить его нельзя.\r\n" if in_place
            else "Конфигурация программы сохранена (файл заменён).\r\n")


def scenario_ip_address(s):
    """The dialog shows the address; blank fields and unusable addresses are refused and the
    dialog stays; a new address is probed at the next status probe and saved at exit; OK
    unchanged rewrites; a configuration held open is written in place."""
    old, new = "127.0.0.1", "127.0.0.32"
    with Detector(s, new, "--no-tftp"):
        main, config = start_main_window(s, ENGLISH, address=old)
        wait_status(s, main, RED, 3, "the status line red for 127.0.0.1")

        dialog = open_dialog(s, main, ID_SET_IP_ADDRESS, ADDRESS_TITLES[ENGLISH])
        check_equal(shown_address(dialog), old, "the address shown")
        dialog.screenshot("ip-address-dialog-english")
        refused(s, dialog, "Fill in all four numbers of the address.", "an address with a blank field",
                shot="ip-address-incomplete-english", blank=2)
        for unusable in ("224.0.0.1", "0.0.0.0", "255.255.255.255"):
            put_address(dialog, unusable)
            refused(s, dialog, f"The address {unusable} cannot be the apparatus address.", unusable,
                    shot="ip-address-unusable-english" if unusable == "224.0.0.1" else None)

        put_address(dialog, new)
        close(dialog)
        wait_status(s, main, CYAN, STATUS_INTERVAL + 3, "the status line cyan for the new address")
        check_equal(s.read_bytes("Pelorin.cfg"), config, "Pelorin.cfg before the exit")

        dialog = open_dialog(s, main, ID_SET_IP_ADDRESS, ADDRESS_TITLES[ENGLISH])
        check_equal(shown_address(dialog), new, "the address shown after OK")
        close(dialog, IDCANCEL)
        exit_through_menu(s, main)
    saved = s.canonical_config(LANGUAGE_DEFAULT=ENGLISH, IP_ADDRESS=new)
    check_equal(s.read_bytes("Pelorin.cfg"), saved, "Pelorin.cfg after a new address")
    check_log_has(s, saved_line(False))

    # OK without a change still rewrites Pelorin.cfg in the program's own layout; another program
    # holds it open without letting it be replaced: it is written in place.
    main, config = start_main_window(s, ENGLISH, address=new)
    close(open_dialog(s, main, ID_SET_IP_ADDRESS, ADDRESS_TITLES[ENGLISH]))
    with held_by_another_program(s, s.path("Pelorin.cfg"), FILE_SHARE_READ_WRITE):
        exit_through_menu(s, main)
    check_equal(s.read_bytes("Pelorin.cfg"), saved, "Pelorin.cfg after OK without a change, written while held open")
    check_equal(sorted(p.name for p in s.work.glob("Pelorin.cfg*")), ["Pelorin.cfg"], "files beside Pelorin.cfg")
    check_log_has(s, saved_line(True))


# ---- View > Settings

def choose_settings_file(s, main, path):
    """View > Settings, sent as a command (the menu item is greyed), and a file name typed into
    the open-file dialog."""
    choose_file(s, main, ID_VIEW_SETTINGS, windows_path(path), posted=True)


def cancel_settings_file(s, main, shot):
    chooser = open_file_dialog(s, main, ID_VIEW_SETTINGS, posted=True)
    chooser.screenshot(shot)
    close(chooser, IDCANCEL)


def scenario_view_settings(s):
    """The greyed View > Settings still works when sent. Over a commentary being edited: Cancel
    and a file that does not open change nothing; a settings file that opens saves the
    commentary, takes the frame view down and leaves the settings mode's empty window. A frame
    viewed after a language change there has its labels in the new language."""
    frames = s.path("FRAMES")
    (frames / "fds.sdb").write_bytes(b"settings")
    view = start_with_frames(s, ENGLISH, numbers=(1, 2))
    main = view.main
    check(main.menu_item(ID_VIEW_SETTINGS)["grayed"], "View > Settings is not greyed")
    view_frame(s, view, 1)
    edit(view)
    view.fields[0].set_text("Settings viewed")
    commentary = commentary_path(s, 1)

    def still_editing(what):
        check(view.title().endswith(frame_name(1)), f"the frame is no longer shown after {what}")
        check(all(view.editable()), f"the fields are no longer editable after {what}")
        check_equal(view.texts()[0], "Settings viewed", f"the edited text after {what}")
        check(not commentary.exists(), f"the commentary was saved after {what}")

    cancel_settings_file(s, main, "view-settings-open-dialog-english")
    no_message_box(s)
    still_editing("Cancel")

    # A file that is not there (Wine's dialog hands a missing name over as typed, without the
    # default extension), and one another program holds open without sharing.
    choose_settings_file(s, main, frames / "nothere")
    message(s, re.compile(r"Error occured while open file .*\\FRAMES\\nothere"), "the message of a file not there",
            shot="view-settings-open-error-english")
    still_editing("a file that is not there")
    with held_by_another_program(s, frames / "fds.sdb", FILE_SHARE_NONE):
        choose_settings_file(s, main, frames / "fds.sdb")
        message(s, re.compile(r"Error occured while open file .*\\FRAMES\\fds\.sdb"), "the message of a file held open")
    still_editing("a file held open")

    choose_settings_file(s, main, frames / "fds.sdb")
    no_message_box(s)
    check_equal(commentary.read_bytes() if commentary.exists() else None,
                commentary_bytes(["Settings viewed"] + [""] * 11), "the commentary saved on leaving")
    poll(lambda: not any(c["class"] == "Output" for c in main.children()), 5, "the picture window gone")
    check(not any(field.visible for field in view.fields), "a commentary field still shows")
    check(not view.bar.visible, "the scroll bar still shows")
    check_equal(view.title(), None, "the title label")
    check_equal([label["text"] for label in view.labels()], [], "the labels showing")
    main.screenshot("view-settings-mode-english")
    check(main.menu_item(ID_VIEW_SETTINGS)["grayed"], "View > Settings is not greyed after use")
    saved = commentary.read_bytes()
    # The frame view comes back in the language chosen meanwhile.
    choose_language(s, main, RUSSIAN)
    view_frame(s, view, 2)
    check_labels(view, RUSSIAN_LABELS)
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
    not_in_default = "файл fdc.sdb - нет в папке Default"
    with Detector(s, address, root=device):
        main, config = start_main_window(s, RUSSIAN, address=address)
        with immutable(frames / "fdc.sdb"):
            dialog = open_dialog(s, main, ID_READ_SETTINGS, READ_TITLES[RUSSIAN])
            message(s, "файла fds.sdb - нет", "the Russian not-found message", screen="read-settings-not-found-russian")
            message(s, "файл fdc.sdb - не записан, прежняя копия сохранена", "the Russian not-saved message",
                    screen="read-settings-not-saved-russian")
            dialog.wait_gone()

        write_defaults(s, main, ["файл fds.sdb - нет в папке Default", not_in_default], RUSSIAN,
                       shot="write-defaults-not-found-russian", question_shot="write-defaults-question-russian")
        s.path("Default").mkdir()
        (s.path("Default") / "fds.sdb").write_bytes(b"defaults")
        write_defaults(s, main, ["файл fds.sdb - отослан, 8 байт", not_in_default], RUSSIAN,
                       shot="write-defaults-sent-russian")
    with Detector(s, address, "--mute", root=device):
        write_defaults(s, main, ["файл fds.sdb - прибор не отвечает", not_in_default], RUSSIAN,
                       shot="write-defaults-no-answer-russian")

    dialog = open_dialog(s, main, ID_READ_SETTINGS, READ_TITLES[RUSSIAN])
    message(s, "файл fds.sdb - нет связи", "the Russian no-answer message", screen="read-settings-no-link-russian")
    message(s, "файл fdc.sdb - нет связи", "the second Russian no-answer message")
    dialog.wait_gone()

    dialog = open_dialog(s, main, ID_SET_IP_ADDRESS, ADDRESS_TITLES[RUSSIAN])
    check_equal(shown_address(dialog), address, "the address shown")
    dialog.screenshot("ip-address-dialog-russian")
    refused(s, dialog, "Заполните все четыре числа адреса.", "the Russian incomplete message",
            shot="ip-address-incomplete-russian", blank=0)
    put_address(dialog, "239.1.2.3")
    refused(s, dialog, "Адрес 239.1.2.3 не может быть адресом прибора.", "the Russian unusable message",
            shot="ip-address-unusable-russian")
    close(dialog, IDCANCEL)

    cancel_settings_file(s, main, "view-settings-open-dialog-russian")
    choose_settings_file(s, main, frames / "nothere.sdb")
    message(s, re.compile(r"Ошибка открытия файла .*nothere\.sdb"), "the Russian open error",
            shot="view-settings-open-error-russian")

    exit_through_menu(s, main)
    check_equal(s.read_bytes("Pelorin.cfg"), config, "Pelorin.cfg after Cancel in the address dialog")

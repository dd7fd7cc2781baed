"""The frame view and its commentary: the picture window and its crop, the labels in each
language, the commentary file written when editing ends and read when a frame is shown, and the
View and Edit frame commands with the open-file dialog."""

import os

from common import (ENGLISH, ES_READONLY, FIELD_IDS, FILE_SHARE_NONE, ID_ABOUT, ID_EDIT_FRAMES, ID_EXIT, ID_VIEW_FRAMES,
                    IDNO, IDYES, RUSSIAN, SCROLL_BAR, TURKISH, WM_ENDSESSION, WM_QUERYENDSESSION, choose_file,
                    choose_language, close, containing, exit_through_menu, held_by_another_program, immutable, message,
                    no_message_box, open_dialog, start_main_window)
from e2e import HarnessError, ScenarioFailure, check, check_equal, near, poll, windows_path, write_png

MAX_LENGTHS = [50, 30, 50, 10, 150, 20, 25, 25, 25, 25, 105, 105]
WM_UNDO = 0x0304
GREY = (128, 128, 128)  # the picture window's background

# Frame pictures: 640 x 480, the detector's panel (the 139 columns on the left) and its bottom
# strip (the last 69 rows) in colours that must never be seen, the rest in two stripes of the
# frame's own colours, split at column 300.
PANEL, BOTTOM = (255, 0, 255), (255, 255, 0)
STRIPES = {1: ((200, 0, 0), (0, 0, 200)), 2: ((0, 160, 0), (0, 200, 200)), 3: ((250, 130, 0), (90, 0, 160))}


def frame_name(number):
    return f"2026_12_08-10-00~{number:03d}.png"


def make_frame(path, number, width=640, height=480):
    left, right = STRIPES[number]
    write_png(path, width, height, lambda x, y: PANEL if x < 139 else BOTTOM if y >= height - 69
              else left if x < 300 else right)


def commentary_path(s, number):
    """The commentary file beside frame `number` in FRAMES."""
    return s.path("FRAMES/" + frame_name(number)[:-3] + "dat")


def commentary_bytes(texts):
    """The commentary file as its layout says, written independently of the program."""
    data = b""
    for text, length in zip(texts, MAX_LENGTHS):
        data += (text + "\r\n").encode("utf-16-le").ljust(2 * (length + 2), b"\0")
    return data


SAVED = ["Труба Ду 530", "01.12.2026", "Сидоров", "15", "Старая запись", "K-7", "pipe", "17", "steel", "9",
         "none", "kept"]


class FrameView:
    """The main window with its frame view: fields, labels, picture."""

    def __init__(self, s, main):
        self.s, self.main = s, main
        self.fields = [main.child(i) for i in FIELD_IDS]
        self.bar = main.child(SCROLL_BAR)

    def texts(self):
        return [field.text for field in self.fields]

    def labels(self):
        return [c for c in self.main.children() if c["class"].lower() == "static" and c["visible"]]

    def title(self):
        """The title label: the shown frame's path."""
        found = [c["text"] for c in self.labels() if c["text"].endswith(".png")]
        return found[0] if found else None

    def wait_title(self, name):
        return poll(lambda: (self.title() or "").endswith(name) and self.title(), 10, f"the frame {name} shown")

    def editable(self):
        return [field.style & ES_READONLY == 0 for field in self.fields]

    def picture(self):
        found = [c for c in self.main.children() if c["class"] == "Output"]
        check_equal(len(found), 1, "picture windows")
        return found[0]

    def picture_pixels(self, points):
        """Colours at points of the picture window's client area, once it has painted."""
        poll(lambda: self.main.painted(0), 10, "the main window painted")
        origin = self.picture()["client_origin"]
        shot = self.s.capture()
        return [shot.pixel(origin["x"] + x, origin["y"] + y) for x, y in points]

    def browse(self, code, name):
        self.bar.hscroll(code)
        self.wait_title(name)

    def type(self, index, text):
        """Typed into a field, once it shows there."""
        self.fields[index].type(text)
        poll(lambda: self.fields[index].text == text, 5, f"{text!r} typed")


def start_with_frames(s, language, numbers=(1, 2, 3), extra=""):
    for number in numbers:
        make_frame(s.path("FRAMES/" + frame_name(number)), number)
    main, config = start_main_window(s, language, extra)
    return FrameView(s, main)


def edit(view):
    """Edit > Frames over the frame shown: the fields open for editing, no dialog."""
    view.main.command(ID_EDIT_FRAMES)
    poll(lambda: all(view.editable()), 5, "the fields editable")


def view_frame(s, view, number, command=ID_VIEW_FRAMES):
    choose_file(s, view.main, command, windows_path(s.path("FRAMES/" + frame_name(number))))
    view.wait_title(frame_name(number))


def check_picture(view, number):
    """The frame drawn with the crop: panel and bottom strip cut, the strip 5 pixels wider."""
    left, right = STRIPES[number]
    points = {
        (2, 200): GREY, (200, 2): GREY,         # the margin of 5 pixels
        (7, 200): left,                          # source column 139 is the first one drawn
        (164, 200): left, (171, 200): right,    # column 300 lands at 5 + 161 * 506 / 501
        (508, 200): right, (513, 200): GREY,    # the strip is 506 wide, not 501: it ends at 511
        (100, 413): left, (100, 418): GREY,     # source row 410 is the last one: at 415
    }
    colours = view.picture_pixels(points)
    for (point, expected), colour in zip(points.items(), colours):
        check(near(colour, expected), f"picture pixel {point}: {colour}, expected {expected}")
    row = view.picture_pixels([(x, 200) for x in range(0, 517, 3)] + [(100, y) for y in range(0, 422, 3)])
    check(not any(near(c, PANEL) or near(c, BOTTOM) for c in row), "the detector's panel or bottom strip is shown")


def check_labels(view, expected):
    found = {c["text"]: c["in_parent"] for c in view.labels()}
    for text, (left, top, width) in expected.items():
        check(text in found, f"no label {text!r} among {sorted(found)}")
        r = found[text]
        check_equal((r["left"], r["top"], r["right"] - r["left"], r["bottom"] - r["top"]), (left, top, width, 16),
                    f"the label {text!r}")


ENGLISH_LABELS = {
    "Item:": (5, 480, 40), "Monitoring date:": (5, 510, 128), "Operator:": (5, 540, 72),
    "Defect coordinates (depth):": (5, 570, 216), "mm": (358, 570, 16), "The note:": (5, 600, 72),
    "The additional commentary": (640, 30, 200), "Operator code:": (600, 60, 112), "Object": (600, 90, 48),
    "type     :": (600, 120, 80), "Number   :": (600, 150, 80), "material :": (600, 180, 80),
    "thickness:": (600, 210, 80), "The conclusion of an operator": (640, 290, 232),
    "Defect type (code):": (600, 320, 152), "Additional information:": (600, 440, 184), "Signature": (640, 630, 81),
}
RUSSIAN_LABELS = {
    "Изделие:": (5, 480, 64), "Дата контроля:": (5, 510, 112), "Дефектоскопист:": (5, 540, 120),
    "Координаты дефекта (глубина):": (5, 570, 232), "мм": (376, 570, 16), "Примечание:": (5, 600, 88),
    "Дополнительный комментарий": (640, 30, 208), "Оператор шифр:": (600, 60, 112), "Объект": (600, 90, 48),
    "тип     :": (600, 120, 72), "№       :": (600, 150, 72), "материал:": (600, 180, 72),
    "толщина :": (600, 210, 72), "Заключение оператора": (640, 290, 160),
    "Тип (код) дефекта:": (600, 320, 144), "Дополнительная информация:": (600, 440, 208), "Подпись": (640, 630, 63),
}


def type_commentary(view, texts):
    for field, text in zip(view.fields, texts):
        field.type(text)
    poll(lambda: view.texts() == [t[:n] for t, n in zip(texts, MAX_LENGTHS)], 10, "the typed texts in the fields")


def scenario_view_and_edit_journey(s):
    """F1 shows the second frame read-only with its saved commentary; F4 opens it for editing;
    every field is typed into (limits, Cyrillic); browsing saves the left frame's file byte for
    byte and reads it back; the language change saves, relabels and reloads; Exit saves, and
    rewrites Pelorin.cfg. Files of the user's beside the commentary and the configuration, under
    the names the program's temporary files once had, keep their bytes throughout."""
    commentary = commentary_path(s, 2)
    commentary.write_bytes(commentary_bytes(SAVED))
    users = {commentary.with_suffix(".da~"): b"the operator's notes", s.path("Pelorin.cf~"): b"an older Pelorin.cfg"}
    for path, data in users.items():
        path.write_bytes(data)
    view = start_with_frames(s, ENGLISH)
    view_frame(s, view, 2)
    check_equal(view.title(), "FRAMES\\" + frame_name(2), "the title label")
    check_picture(view, 2)
    check_labels(view, ENGLISH_LABELS)
    check(not any(view.editable()), "a field is editable in the frame view")
    view.fields[0].type("x")  # read-only: typing changes nothing
    check_equal(view.bar.scroll(), {"min": 0, "max": 3, "pos": 1}, "the scroll bar at the second frame")
    view.main.screenshot("frame-view-english")
    check_equal(view.texts(), SAVED, "the fields filled from the saved commentary, typed into while read-only")

    edit(view)
    check_equal(s.focus()["focus"], view.fields[0].hwnd, "the keyboard focus in Item")
    for field in view.fields:
        field.set_text("")
    typed = ["Сварной шов №7", "08.12.2026", "Петров П. П.", "12345678901", "N" * 149 + "ёЁ",
             "OP-1", "pipe", "A-77", "Ст3", "10", "непровар", "Ek bilgi: kaynak"]
    type_commentary(view, typed)
    expected = [t[:n] for t, n in zip(typed, MAX_LENGTHS)]  # "1234567890": the coordinates field stops at 10
    view.main.screenshot("commentary-edit-english")

    # The focus comes back to the field that had it when the window is active again.
    view.fields[7].click(mouse=True)
    poll(lambda: s.focus()["focus"] == view.fields[7].hwnd, 5, "the focus in the number field")
    close(open_dialog(s, view.main, ID_ABOUT))
    poll(lambda: s.focus()["focus"] == view.fields[7].hwnd, 5, "the focus back in the number field")

    view.browse(1, frame_name(3))
    check_equal(commentary.read_bytes(), commentary_bytes(expected), "the commentary file of the frame left")
    check_equal(view.texts(), [""] * 12, "the next frame without a commentary")
    poll(lambda: all(view.editable()), 5, "the next frame editable again")
    check(not commentary_path(s, 3).exists(), "a file for a frame left unchanged")
    check_picture(view, 3)

    # Typed here what the second frame holds in the same field: undo there has nothing of this
    # frame to take back.
    view.type(8, expected[8])
    view.browse(0, frame_name(2))
    view.fields[8].send(WM_UNDO)
    check_equal(view.texts(), expected, "the texts back on the second frame")

    # The language change while editing: saved, relabelled in Russian, read back, still editable.
    view.fields[2].set_text("Кузнецов")
    choose_language(s, view.main, RUSSIAN)
    poll(lambda: "Изделие:" in [c["text"] for c in view.labels()], 10, "the Russian labels")
    check_labels(view, RUSSIAN_LABELS)
    expected[2] = "Кузнецов"
    check_equal(view.texts(), expected, "the fields after the language change")
    check_equal(commentary.read_bytes(), commentary_bytes(expected), "the commentary saved by the language change")
    check(all(view.editable()), "the fields editable after the language change")
    view.main.screenshot("commentary-edit-russian")
    view_frame(s, view, 2)
    view.main.screenshot("frame-view-russian")
    choose_language(s, view.main, TURKISH)
    poll(lambda: "Urun:" in [c["text"] for c in view.labels()], 10, "the Turkish labels")
    view.main.screenshot("frame-view-turkish")
    edit(view)
    view.main.screenshot("commentary-edit-turkish")

    view.fields[11].set_text("Son söz")
    exit_through_menu(s, view.main)
    expected[11] = "Son söz"
    check_equal(commentary.read_bytes(), commentary_bytes(expected), "the commentary saved by Exit")
    check_equal(s.read_bytes("Pelorin.cfg"), s.canonical_config(LANGUAGE_DEFAULT=2, IP_ADDRESS="127.0.0.1"),
                "Pelorin.cfg rewritten at Exit")
    for path, data in users.items():
        check_equal(path.read_bytes(), data, f"the user's file {path.name}")
    check_equal(sorted(p.name for p in s.path("FRAMES").iterdir()),
                sorted([frame_name(n) for n in (1, 2, 3)] + [commentary.name, commentary_path(s, 3).name,
                                                               commentary.with_suffix(".da~").name]),
                "the files in FRAMES")
    check_equal(sorted(p.name for p in s.work.iterdir() if p.name.startswith("Pelori")),
                sorted(["Pelorin.cf~", "Pelorin.cfg", "Pelorin.exe"]),
                "the configuration's files")


def scenario_edit_command_and_the_frames_folder(s):
    """With the default relative FRAMES_PATH, Edit shows the frame chosen; Edit while editing
    saves the edited frame and shows the chosen one read-only, its own file untouched; a file
    that came into the folder later is found, one from another folder is refused; the close box
    saves."""
    commentary_path(s, 1).write_bytes(commentary_bytes(SAVED))
    view = start_with_frames(s, ENGLISH, extra="FRAMES_PATH = FRAMES\r\n")
    view_frame(s, view, 3, command=ID_EDIT_FRAMES)
    check_equal(view.title(), "FRAMES\\" + frame_name(3), "the frame chosen through Edit")
    check(not any(view.editable()), "Edit from the empty view shows the frame read-only")
    edit(view)
    view.type(0, "Кадр третий")

    view_frame(s, view, 1, command=ID_EDIT_FRAMES)  # a dialog again, while editing
    check_equal(commentary_path(s, 3).read_bytes(), commentary_bytes(["Кадр третий"] + [""] * 11),
                "the frame left saved")
    check_equal(commentary_path(s, 1).read_bytes(), commentary_bytes(SAVED), "the chosen frame's own file")
    check_equal(view.texts(), SAVED, "the chosen frame's commentary")
    check(not any(view.editable()), "the chosen frame is shown read-only")

    # A frame copied into the folder after the list was read is found all the same.
    make_frame(s.path("FRAMES/" + frame_name(2)), 2)
    view_frame(s, view, 2)
    check_picture(view, 2)
    check_equal(view.bar.scroll(), {"min": 0, "max": 3, "pos": 1}, "the scroll bar after reading the list again")

    # A picture from another folder is no frame: said so, nothing changes.
    os.makedirs(s.path("elsewhere"))
    make_frame(s.path("elsewhere/" + frame_name(3)), 3)
    elsewhere = windows_path(s.path("elsewhere/" + frame_name(3)))
    choose_file(s, view.main, ID_VIEW_FRAMES, elsewhere)
    message(s, containing(elsewhere), "the refusal", title="Warning", shot="not-a-frame-english")
    check_equal(view.title(), "FRAMES\\" + frame_name(2), "the frame shown after the refusal")

    edit(view)
    view.type(4, "до закрытия")
    view.main.post_command(2)  # the close box
    check_equal(s.wait_exit(), 0, "the exit code after the close box")
    check_equal(commentary_path(s, 2).read_bytes(),
                commentary_bytes(["", "", "", "", "до закрытия"] + [""] * 7), "the commentary saved by the close box")


def question(s, frame, what):
    """The question whether to quit without the commentary of `frame`: Yes and No, a warning."""
    box = message(s, containing(frame_name(frame)[:-3] + "dat"), what, title="Warning", keep=True)
    check_equal(sorted(box.buttons), [IDYES, IDNO], f"the buttons of {what}")
    check(box.icon, f"no icon on {what}")
    return box


def scenario_a_commentary_that_cannot_be_saved_is_kept(s):
    """The commentary file cannot be replaced: browsing on says so and stays on the frame with the
    texts typed; Exit and the close box ask whether to quit without them, and No goes on editing;
    once the file can be written again, Exit saves it. A folder under the commentary's name is
    refused the same way."""
    locked = commentary_path(s, 1)
    locked.write_bytes(commentary_bytes(SAVED))
    view = start_with_frames(s, ENGLISH)
    view_frame(s, view, 1)
    edit(view)
    view.fields[4].click(mouse=True)
    typed = ["kept"] + SAVED[1:4] + ["typed while the file is locked"] + SAVED[5:]
    with immutable(locked):
        view.fields[4].set_text(typed[4])
        view.fields[0].set_text(typed[0])
        view.fields[4].click(mouse=True)
        view.bar.hscroll(1)
        message(s, containing(frame_name(1)[:-3] + "dat"), "the commentary not saved", title="Error",
                shot="commentary-not-saved-english")
        check_equal(view.title(), "FRAMES\\" + frame_name(1), "the frame still shown")
        check_equal(view.bar.scroll()["pos"], 0, "the scroll bar back at the frame shown")
        check_equal(view.texts(), typed, "the texts typed")
        check(all(view.editable()), "the fields still editable")
        poll(lambda: s.focus()["focus"] == view.fields[4].hwnd, 5, "the focus back in the note")

        view.main.command(ID_EXIT)
        close(question(s, 1, "the question at Exit"), IDNO)
        view.main.post_command(2)  # the close box
        question(s, 1, "the question at the close box").screenshot("quit-without-commentary-english")
        close(s.message_box(), IDNO)
        check(s.still_running(0.3), "the program ended after No")
        check_equal(view.texts(), typed, "the texts after No")
        check_equal(locked.read_bytes(), commentary_bytes(SAVED), "the locked file byte for byte")
    check_equal([p.name for p in s.path("FRAMES").iterdir() if not p.name.endswith((".png", ".dat"))], [],
                "files left beside the frames")

    # Writable again: the next frame is reached, the typed texts saved on the way.
    view.browse(1, frame_name(2))
    check_equal(locked.read_bytes(), commentary_bytes(typed), "the commentary saved once it could be")
    os.makedirs(commentary_path(s, 3))
    view.browse(1, frame_name(3))
    view.fields[0].set_text("into a folder?")
    view.main.command(ID_EXIT)
    close(question(s, 3, "the question with a folder in the way"), IDYES)
    check_equal(s.wait_exit(), 0, "the exit code after Yes")
    check(commentary_path(s, 3).is_dir(), "the folder in the way")


def scenario_unreadable_commentary_and_the_session_end(s):
    """A commentary file held open by another program cannot be read: the frame shows empty
    fields with a warning naming the file, Edit does not open them, and nothing is written over
    the file; released, it is read and edited. The end of the Windows session then saves the
    commentary and the configuration and closes the log."""
    held = commentary_path(s, 2)
    held.write_bytes(commentary_bytes(SAVED))
    view = start_with_frames(s, ENGLISH)
    choose_language(s, view.main, ENGLISH)  # confirmed: Pelorin.cfg is to be rewritten
    with held_by_another_program(s, held, FILE_SHARE_NONE):
        choose_file(s, view.main, ID_VIEW_FRAMES, windows_path(s.path("FRAMES/" + frame_name(2))))
        message(s, containing(frame_name(2)[:-3] + "dat"), "the unreadable commentary", title="Warning",
                shot="commentary-unreadable-english")
        view.wait_title(frame_name(2))
        check_equal(view.texts(), [""] * 12, "the fields of the unreadable commentary")
        view.main.command(ID_EDIT_FRAMES)
        message(s, containing(frame_name(2)[:-3] + "dat"), "the unreadable commentary at Edit", title="Warning")
        check(not any(view.editable()), "Edit opened the fields of an unreadable commentary")
        view.browse(1, frame_name(3))
    check_equal(held.read_bytes(), commentary_bytes(SAVED), "the held file byte for byte")

    view.browse(0, frame_name(2))
    check_equal(view.texts(), SAVED, "the commentary read once released")
    edit(view)
    view.fields[0].set_text("at the end of the day")
    view.main.send(WM_QUERYENDSESSION)
    view.main.send(WM_ENDSESSION, 1)
    check_equal(s.wait_exit(), 0, "the exit code at the end of the session")
    check_equal(held.read_bytes(), commentary_bytes(["at the end of the day"] + SAVED[1:]),
                "the commentary saved at the end of the session")
    check_equal(s.read_bytes("Pelorin.cfg"), s.canonical_config(LANGUAGE_DEFAULT=1, IP_ADDRESS="127.0.0.1"),
                "Pelorin.cfg rewritten at the end of the session")
    check_equal(s.log().count(b"Stop Pelorin"), 1, "stop lines in the log")


def scenario_frames_folder_named_in_another_case(s):
    """FRAMES_PATH names the folder in other Cyrillic letter case than the disk does: View and
    Edit find the chosen frame all the same."""
    folder = s.path("Кадры")
    folder.mkdir()
    for number in (1, 2):
        make_frame(folder / frame_name(number), number)
    main, _ = start_main_window(s, ENGLISH, extra="FRAMES_PATH = кадры\r\n")
    view = FrameView(s, main)
    for command, number in ((ID_EDIT_FRAMES, 1), (ID_VIEW_FRAMES, 2)):
        choose_file(s, main, command, windows_path(folder / frame_name(number)))
        no_message_box(s, 0.5)
        view.wait_title(frame_name(number))
        check_picture(view, number)
    exit_through_menu(s, main)


def as_another_program(s, what, command, **fields):
    """A file operation by another program (the driver), which must succeed: the program holds
    no frame file open while it shows it."""
    try:
        s.driver.request(command, **fields)
    except HarnessError as error:
        raise ScenarioFailure(f"{what}: {error}")


def scenario_pictures_replaced_deleted_and_odd(s):
    """While its frame is shown, another program stores a newer picture over the frame file (as
    the frame reader does) and then deletes it: both succeed, and the next paint shows the newer
    picture, then the grey window; a 100 x 50 picture and a file that is no picture draw
    nothing; the program goes on."""
    write_png(s.path("FRAMES/" + frame_name(2)), 100, 50, lambda x, y: (255, 0, 255))
    s.path("FRAMES/" + frame_name(3)).write_bytes(b"\x89PNG\r\n\x1a\n not really")
    view = start_with_frames(s, ENGLISH, numbers=(1,))
    view_frame(s, view, 1)
    check_picture(view, 1)
    shown = windows_path(s.path("FRAMES/" + frame_name(1)))
    make_frame(s.path("newer.png"), 3)
    as_another_program(s, "a newer picture stored over the frame shown", "move_file",
                       **{"from": windows_path(s.path("newer.png")), "to": shown})
    view.main.redraw()
    check_picture(view, 3)
    as_another_program(s, "the frame shown deleted", "delete_file", path=shown)
    view.main.redraw()
    poll(lambda: view.picture_pixels([(250, 200)])[0] == GREY, 10, "the grey picture window")
    for number in (2, 3):
        view.browse(1, frame_name(number))
        colours = view.picture_pixels([(x, y) for x in range(0, 517, 8) for y in range(0, 422, 8)])
        check(all(colour == GREY for colour in colours), f"something drawn for frame {number}")
    check(s.still_running(0.2), "the program ended")
    exit_through_menu(s, view.main)

"""View > Journal: every frame of the frames folder with its commentary in one list, found as
the operator types, sorted by a header click, opened in the main window, exported as CSV for the
spreadsheet of the user's locale (read back by LibreOffice Calc) and printed as a report (a
PDF of the private printer); a folder of more frames than the old 500-name list held."""

import os
import re
import time

from common import (ENGLISH, FILE_SHARE_NONE, check_log_has, ID_EDIT_FRAMES, ID_VIEW_FRAMES, IDYES, OPEN_FILE_NAME, RUSSIAN, TURKISH,
                    choose_file, close, containing, exit_through_menu, held_by_another_program, immutable, message,
                    no_message_box, start_main_window)
from e2e import ENGLISH_LOCALE, IDCANCEL, IDOK, VK_ESCAPE, VK_RETURN, Window, check, check_equal, poll, windows_path
from printer import Pdf, PdfPrinter
from printing import COPIES, DPI, QUEUE, check_sheet, no_picture, words
from printing import check_picture as check_printed_picture
from spreadsheet import read_csv
from frame_view import GREY, FrameView, check_picture, commentary_bytes, edit, make_frame

ID_VIEW_JOURNAL = 32802
FIND_LABEL, FIND, LIST, COUNT, OPEN, EXPORT, PRINT = range(1600, 1607)
VK_F3 = 0x72

CAPTIONS = {RUSSIAN: "Журнал", ENGLISH: "Journal", TURKISH: "Gunluk"}
MENU_TEXTS = {RUSSIAN: "Журнал...\tF3", ENGLISH: "Journal...\tF3", TURKISH: "Gunluk...\tF3"}
TITLES = {
    RUSSIAN: ["Кадр", "Считан", "Комментарий", "Изделие", "Дата контроля", "Дефектоскопист",
              "Координаты дефекта (глубина)", "Примечание", "Оператор шифр", "тип", "№", "материал", "толщина",
              "Тип (код) дефекта", "Дополнительная информация", "Файл"],
    ENGLISH: ["Frame", "Read at", "Commentary", "Item", "Monitoring date", "Operator", "Defect coordinates (depth)",
              "The note", "Operator code", "type", "Number", "material", "thickness", "Defect type (code)",
              "Additional information", "File"],
    TURKISH: ["Kare", "Okundu", "Yorum", "Urun", "Kontrol tarihi", "Operator", "Hata koordinatlari (derinlik)", "Not",
              "Operator kodu", "Tip", "№", "Cinsi", "Kalinlik", "Hata tipi", "Ek bilgi", "Dosya"],
}
COUNTS = {RUSSIAN: "{} из {} кадров", ENGLISH: "{} of {} frames", TURKISH: "{} / {} kare"}
NONE = {RUSSIAN: "нет", ENGLISH: "none", TURKISH: "yok"}
UNREADABLE = {RUSSIAN: "не читается", ENGLISH: "cannot be read", TURKISH: "okunamiyor"}
ITEM, NOTE = 3, 7  # columns

MULTI_LINE = "Непровар в корне шва\r\nдлина 8 мм"
QUOTED = 'Сосуд "В-2"; днище, шов 1'


def commentary(item="", date="", operator="", coordinates="", note="", defect=""):
    return [item, date, operator, coordinates, note, "", "", "", "", "", defect, ""]


# The frames folder: two dates, a copy, a name not of the program's own, a picture that is none,
# a frame without a commentary, one whose commentary another program holds, one cut short.
FRAMES = [
    ("2026_12_08-09-15~001.png", commentary("Труба Ду 219, шов 4", "08.12.2026", "Иванов И. И.", "12,5", MULTI_LINE,
                                            "Непровар (Н)")),
    ("2026_12_08-09-15~002.png", commentary(QUOTED, "08.12.2026", "Петров П. П.", "-5")),
    ("2026_12_08-09-16~003.png", commentary("=SUM(A1:A9)", operator="Петров П. П.")),
    ("2026_12_08-10-40~004.png", commentary("weld 10", operator="Smith")),
    ("2026_12_08-10-40~005.png", commentary("weld 9", operator="Smith")),
    ("2026_12_08-11-02~006.png", None),
    ("2026_12_09-08-30~007.png", "held"),
    ("2026_12_09-08-31~008 (2).png", commentary("шов 12 повтор", "09.12.2026")),
    ("2026_12_09-08-31~008.png", commentary("ШОВ 12", "09.12.2026", "Иванов И. И.")),
    ("2026_12_09-09-00~010.png", commentary("\uff37\uff25\uff2c\uff24 3", "09.12.2026")),  # full-width WELD
    ("2026_12_09-09-05~011.png", "short"),
    ("notes.png", None),
]
# What the short commentary file keeps: its first record whole, the second cut after its text.
SHORT = commentary("Лист 8 мм", "09.12")
# When notes.png was last written (local time): the journal's time for a name not of its own.
NOTES_WRITTEN = (2025, 6, 17, 9, 30, 0, 0, 0, -1)


def prepare_frames(s):
    """The frames folder of the scenarios; the commentary file held open, its path."""
    for index, (name, texts) in enumerate(FRAMES):
        path = s.path("FRAMES/" + name)
        if name == "notes.png":
            path.write_bytes(b"these are notes, not a picture")
            stamp = time.mktime(NOTES_WRITTEN)
            os.utime(path, (stamp, stamp))
        else:
            make_frame(path, 1 + index % 3)
        dat = path.with_suffix(".dat")
        if texts == "held":
            dat.write_bytes(commentary_bytes(commentary("hidden")))
        elif texts == "short":
            dat.write_bytes(commentary_bytes(SHORT)[:104 + 20])
        elif texts is not None:
            dat.write_bytes(commentary_bytes(texts))
    return s.path("FRAMES/2026_12_09-08-30~007.dat")


def folder_state(s):
    """Every file of the frames folder with its bytes."""
    return {p.name: p.read_bytes() for p in s.path("FRAMES").iterdir()}


def expected_rows(language):
    """The rows the journal shows for FRAMES, cell by cell."""
    rows = []
    for name, texts in FRAMES:
        number = name[17:20].lstrip("0") if name[0].isdigit() else ""
        read_at = f"{name[0:4]}-{name[5:7]}-{name[8:10]} {name[11:13]}:{name[14:16]}" if number else "2025-06-17 09:30"
        state = ""
        if texts is None:
            state, texts = NONE[language], commentary()
        elif texts == "held":
            state, texts = UNREADABLE[language], commentary()
        elif texts == "short":
            texts = SHORT
        cells = [number, read_at, state] + [t.replace("\r\n", " / ") for t in texts] + [name]
        rows.append(cells)
    return rows


class Journal:
    """The journal dialog and its controls."""

    def __init__(self, s, main, language):
        self.s, self.main, self.language = s, main, language
        self.dialog = s.dialog(main, timeout=15)
        poll(lambda: self.dialog.text == CAPTIONS[language], 5, f"the journal's caption {CAPTIONS[language]!r}")
        self.list = self.dialog.child(LIST)
        self.find = self.dialog.child(FIND)

    def view(self):
        return self.list.listview()

    def rows(self):
        return self.view()["rows"]

    def count(self):
        return self.dialog.child(COUNT).text

    def wait_count(self, shown, total):
        text = COUNTS[self.language].format(shown, total)
        poll(lambda: self.count() == text, 10, f"the count {text!r}")

    def wait_read(self, total):
        """Until every commentary of FRAMES is read: each row then says it has none or cannot be
        read, or shows its item."""
        poll(lambda: self.view()["count"] == total and all(row[2] or row[ITEM] for row in self.rows()), 20,
             "every row read")

    def type(self, text):
        self.find.type(text)

    def clear_filter(self):
        self.find.set_text("")

    def click_row(self, position, ctrl=False, double=False):
        view = self.view()
        rect = view["item_rects"][position - view["top"]]
        at = (rect["left"] + 8, (rect["top"] + rect["bottom"]) // 2)
        if double:
            self.list.double_click(*at)
        else:
            self.list.click_at(*at, ctrl=ctrl)

    def wait_selected(self, positions):
        poll(lambda: self.view()["selected"] == positions, 5, f"rows {positions} selected")

    def click_header(self, column):
        view = self.view()
        header = Window(self.s, view["header"]["hwnd"])
        rect = view["header"]["items"][column]
        header.click_at((rect["left"] + rect["right"]) // 2, (rect["top"] + rect["bottom"]) // 2)

    def sort_marks(self):
        return [c["sort"] for c in self.view()["columns"]]

    def check_readable(self, what):
        """Every title whole in its column with room for the sort arrow, and the short columns'
        texts whole."""
        view = self.view()
        for column in view["columns"]:
            check(column["title_width"] + 32 <= column["width"],
                  f"{what}: the title {column['text']!r} ({column['title_width']} px) in a column {column['width']} wide")
        for index in (0, 1, 2, 15):
            column = view["columns"][index]
            check(view["widest"][index] + 8 <= column["width"],
                  f"{what}: the texts of {column['text']!r} ({view['widest'][index]} px) in {column['width']} px")


def open_journal(s, main, language, key=True):
    """F3 (or View > Journal): the journal, once its caption is set."""
    if key:
        s.press_key(VK_F3)
    else:
        main.command(ID_VIEW_JOURNAL)
    return Journal(s, main, language)


def show_frame(s, view, name, command=ID_VIEW_FRAMES):
    """View > Frames (or Edit > Frames) with the frame `name` of FRAMES chosen; once it is shown."""
    choose_file(s, view.main, command, windows_path(s.path("FRAMES/" + name)))
    view.wait_title(name)


def scenario_find_sort_and_open(s):
    """View > Journal while a commentary is edited saves it first (one that cannot be saved keeps
    the editor and opens no journal); the journal lists every frame of the folder
    with its commentary as the reader reads it (none, one held open by another program, one cut
    short, a copy, a name of the user's), its filter finds as the operator types (letter case of
    Cyrillic and the width of letters ignored, every word somewhere in the row), a header click
    sorts (numbers as numbers, "weld 9" before "weld 10"), filter and sort are there again at the
    next opening, and Enter shows the selected frame in the main window, which browses on from
    it. Nothing in the frames folder is written."""
    held = prepare_frames(s)
    main, _ = start_main_window(s, RUSSIAN)
    view_menu = main.menu()[0]["items"]
    check_equal([item["text"] for item in view_menu[:2]], ["Кадры...\tF1", MENU_TEXTS[RUSSIAN]], "the View menu")
    check(not view_menu[1]["grayed"], "View > Journal is greyed with nothing shown")

    view = FrameView(s, main)
    first = FRAMES[0][0]
    show_frame(s, view, first)
    edit(view)
    view.fields[5].set_text("ОП-99")
    typed = list(FRAMES[0][1])
    typed[5] = "ОП-99"
    saved = s.path("FRAMES/" + first).with_suffix(".dat")
    # A commentary that cannot be saved keeps the editor, and no journal opens. The focus is in
    # a field, where the function keys do nothing: the menu it is.
    with immutable(saved):
        main.command(ID_VIEW_JOURNAL)
        message(s, containing(saved.name), "the commentary not saved", title="Ошибка")
        check(all(view.editable()), "the editor left although its commentary was not saved")
        check_equal([w["class"] for w in s.windows() if w["hwnd"] != main.hwnd], [], "windows besides the main one")
    with held_by_another_program(s, held, FILE_SHARE_NONE):
        journal = open_journal(s, main, RUSSIAN, key=False)
        check_equal(saved.read_bytes(), commentary_bytes(typed),
                    "the commentary saved before the journal opened")
        check(not any(view.editable()), "the commentary still editable under the journal")
        check_equal(s.focus()["focus"], journal.find.hwnd, "the keyboard focus at opening")
        before = folder_state(s)
        journal.wait_read(len(FRAMES))
        journal.wait_count(12, 12)
        expected = expected_rows(RUSSIAN)
        expected[0][3 + 5] = "ОП-99"
        check_equal([c["text"] for c in journal.view()["columns"]], TITLES[RUSSIAN], "the columns")
        check_equal(journal.rows(), expected, "the rows")
        journal.check_readable("the Russian journal")
        journal.dialog.screenshot("journal-russian")

        # Found as typed: Cyrillic in either case, every word somewhere, width ignored.
        journal.type("шов")
        journal.wait_count(4, 12)
        check_equal([row[ITEM] for row in journal.rows()],
                    [FRAMES[i][1][0] for i in (0, 1, 7, 8)], "the rows with шов")
        journal.type(" 12 иванов")  # in the item, the coordinates ("12,5") or the item, the operator
        journal.wait_count(2, 12)
        check_equal([row[15] for row in journal.rows()], [FRAMES[0][0], FRAMES[8][0]], "the rows with шов, 12 and иванов")
        journal.clear_filter()
        journal.type("WELD")
        journal.wait_count(3, 12)
        check_equal({row[ITEM] for row in journal.rows()}, {"weld 10", "weld 9", "\uff37\uff25\uff2c\uff24 3"},
                    "the rows with WELD")
        journal.clear_filter()
        journal.wait_count(12, 12)

        # Sorted by a header click, reversed by the next; the frame numbers as numbers.
        journal.click_header(ITEM)
        poll(lambda: journal.sort_marks()[ITEM] == "up", 5, "the sort arrow up on Item")
        items = [row[ITEM] for row in journal.rows()]
        check(items.index("weld 9") < items.index("weld 10"), f"weld 9 after weld 10: {items}")
        check(items[-2:] == ["ШОВ 12", "шов 12 повтор"] and items[:3] == ["", "", ""], f"the items sorted: {items}")
        journal.click_header(ITEM)
        poll(lambda: journal.sort_marks()[ITEM] == "down", 5, "the sort arrow down on Item")
        check_equal([row[ITEM] for row in journal.rows()], items[::-1][:9] + items[:3], "the items sorted down")
        journal.click_header(0)
        poll(lambda: journal.sort_marks() == ["up"] + [""] * 15, 5, "the sort arrow on Frame alone")
        check_equal([row[0] for row in journal.rows()], ["1", "2", "3", "4", "5", "6", "7", "8", "8", "10", "11", ""],
                    "the frames sorted by number")
        journal.click_header(0)
        journal.type("шов")
        journal.wait_count(4, 12)
        journal.dialog.screenshot("journal-russian-found")
        s.press_key(VK_ESCAPE)
        journal.dialog.wait_gone()

        journal = open_journal(s, main, RUSSIAN, key=False)
        journal.wait_count(4, 12)
        check_equal(journal.find.text, "шов", "the filter at the next opening")
        check_equal(journal.sort_marks()[0], "down", "the sort at the next opening")
        check_equal([row[0] for row in journal.rows()], ["8", "8", "2", "1"], "the rows at the next opening")
        # Open with no row selected does nothing.
        journal.dialog.press(OPEN)
        no_message_box(s, 0.5)
        check(journal.dialog.visible, "Open without a row closed the journal")
        journal.click_row(1)
        journal.wait_selected([1])
        s.press_key(VK_RETURN)
        journal.dialog.wait_gone()
    view.wait_title("2026_12_09-08-31~008.png")
    check_equal(view.texts(), FRAMES[8][1], "the commentary of the frame opened")
    check(not any(view.editable()), "the frame opened for editing")
    check_picture(view, 1 + 8 % 3)
    view.browse(1, "2026_12_09-09-00~010.png")
    check_equal(folder_state(s), before, "the frames folder after the journal")
    exit_through_menu(s, main)


def export(s, journal, path=None):
    """Export...: the save dialog, owned by the journal, with the name it proposes kept or `path`
    typed; Save. The dialog, once it is gone or has asked its question."""
    journal.dialog.press(EXPORT)
    dialog = s.dialog(journal.dialog, timeout=15)
    name = dialog.child(OPEN_FILE_NAME, wait=10)
    poll(lambda: name.text == "journal.csv", 5, "the name journal.csv proposed")
    if path is not None:
        name.set_text(windows_path(path))
    dialog.press(IDOK)
    return dialog


def replace_it(s):
    """The save dialog's question before it replaces a file, answered Yes."""
    box = s.message_box()
    check("replace" in box.message, f"the question before replacing: {box.message!r}")
    close(box, IDYES)


def check_csv(s, path, rows, separator, language):
    """The file as a spreadsheet of the user's opens it: UTF-8 with a byte-order mark, CR LF line
    ends, the separator; and LibreOffice Calc reads every cell back as it was (the multi-line
    note with its line break, the quoted item, a formula as text with its apostrophe, "-5" a
    number, the time a frame was read a date)."""
    data = path.read_bytes()
    check(data.startswith(b"\xef\xbb\xbf"), "the CSV file has no byte-order mark")
    check(b"\n" not in data.replace(b"\r\n", b""), "a line of the CSV file does not end in CR LF")
    check(data[3:].decode("utf-8").startswith(separator.join(TITLES[language][:3]) + separator),
          f"the CSV file's header line is not split by {separator!r}: {data[:80]!r}")
    cells = read_csv(path, separator, s.work)
    check_equal([text for _, text, _, _ in cells[0]], TITLES[language], "the header line as the spreadsheet reads it")
    check_equal(len(cells), len(rows) + 1, "the lines the spreadsheet reads")
    for row, read in zip(rows, cells[1:]):
        expected = [t.replace("\r\n", "\n") for t in row]
        expected[ITEM] = "'=SUM(A1:A9)" if expected[ITEM] == "=SUM(A1:A9)" else expected[ITEM]
        texts = [text for _, text, _, _ in read]
        texts += [""] * (len(expected) - len(texts))
        # The time of reading is a date to the spreadsheet, which shows it with its seconds.
        check_equal(read[1][:1] + read[1][3:], ("date", row[1].replace(" ", "T") + ":00"),
                    f"the time {row[1]} as the spreadsheet reads it")
        texts[1] = expected[1]
        # A text that is a number to the spreadsheet ("09.12") is that number.
        for index, (kind, _, _, value) in enumerate(read):
            if kind == "float" and float(value) == float(expected[index]):
                texts[index] = expected[index]
        check_equal(texts, expected, f"the row of {row[15]} as the spreadsheet reads it")
        check(not any(formula for _, _, formula, _ in read), f"a formula in the row of {row[15]}: {read}")
        if row[6] == "-5":
            check_equal((read[6][0], read[6][3]), ("float", "-5"), "the cell -5")


def source_rows(language):
    """The rows as they go into the file: the fields' texts with their line breaks."""
    rows = expected_rows(language)
    for row, (_, texts) in zip(rows, FRAMES):
        if isinstance(texts, list):
            row[3:15] = texts
    return rows


def scenario_export_for_the_spreadsheet(s):
    """Export writes the rows shown (or the two selected) as CSV that LibreOffice Calc opens cell
    for cell in the user's locale: ";" between the cells under a Russian user's locale, ","
    under an English one; it asks before replacing a file; a file that cannot be replaced is
    said, named, and left as it was."""
    held = prepare_frames(s)
    csv = s.path("journal.csv")
    main, _ = start_main_window(s, ENGLISH)
    with held_by_another_program(s, held, FILE_SHARE_NONE):
        journal = open_journal(s, main, ENGLISH)
        journal.wait_read(len(FRAMES))
        journal.check_readable("the English journal")
        journal.dialog.screenshot("journal-english")
        export(s, journal).wait_gone()
        poll(lambda: csv.is_file(), 10, "journal.csv in the working folder")
    check_csv(s, csv, source_rows(ENGLISH), ";", ENGLISH)
    exit_through_menu(s, main)

    s.use_user_locale(ENGLISH_LOCALE)
    main, _ = start_main_window(s, ENGLISH)
    journal = open_journal(s, main, ENGLISH)
    journal.wait_read(len(FRAMES))
    journal.click_row(1)
    journal.click_row(2, ctrl=True)
    journal.wait_selected([1, 2])
    export(s, journal)
    replace_it(s)
    poll(lambda: b"," in csv.read_bytes()[:40], 10, "journal.csv written anew")
    check_csv(s, csv, source_rows(ENGLISH)[1:3], ",", ENGLISH)

    # A file that cannot be replaced: said, and kept as it was.
    written = csv.read_bytes()
    with immutable(csv):
        export(s, journal)
        replace_it(s)
        message(s, f"The journal was not saved to {windows_path(csv)}:\n"
                   "the old file is held open by another program or may not be written.",
                "the export that failed", title="Error", shot="journal-export-failed")
    check_equal(csv.read_bytes(), written, "the file that could not be replaced")
    check_equal(sorted(p.name for p in s.work.iterdir() if p.name.startswith("journal")), ["journal.csv"],
                "the files beside journal.csv")
    close(journal.dialog, IDCANCEL)
    exit_through_menu(s, main)


def scenario_printed_report(s):
    """Print with three rows selected (a frame with its picture and commentary, the picture that
    is none, the commentary another program holds), two copies: one job of two whole reports,
    each the table on a landscape A4 page (title, date printed, count, page number, the columns
    and the rows' texts) and then each row's frame page as View > Print prints it, the picture
    area empty where there is no picture. A report the printer refuses is said and logged."""
    held = prepare_frames(s)
    chosen = [0, 11, 6]  # rows of FRAMES, selected in this order
    with PdfPrinter(s.path("printed"), queue=QUEUE) as printer:
        main, _ = start_main_window(s, RUSSIAN)
        with held_by_another_program(s, held, FILE_SHARE_NONE):
            journal = open_journal(s, main, RUSSIAN)
            journal.wait_read(len(FRAMES))
            for index, row in enumerate(chosen):
                journal.click_row(row, ctrl=index > 0)
            journal.wait_selected(sorted(chosen))
            printer.clear()
            journal.dialog.press(PRINT)
            dialog = s.dialog(journal.dialog, timeout=15)
            dialog.child(COPIES, wait=10)
            time.sleep(0.3)  # the dialog fills its controls after it shows
            dialog.child(COPIES).set_text("2")
            dialog.press(IDOK)
            pdf = Pdf(printer.wait_pdf())
        check_sheet(pdf, 8)
        table = words(pdf.text(1))
        for piece in ["Журнал контроля", "кадров: 3", "стр. 1 из 1", "Кадр", "Считан", "Изделие", "тип", "материал",
                      "Тип (код) дефекта", "Координаты", "(глубина)", "Дефектоскопист", "Труба Ду 219, шов 4",
                      "Непровар (Н)", "12,5", "Иванов И. И.", "2026-12-08 09:15", "2025-06-17 09:30"]:
            check(words(piece) in table, f"{piece!r} is not on the table's page: {table!r}")
        check(words("Примечание") not in table, "a column not of the printed table is on it")
        check(re.search(r"Напечатан \d{4}-\d\d-\d\d \d\d:\d\d", table), f"no date printed on {table!r}")
        # The rows in the order shown, by name.
        check(table.index("2026-12-08 09:15") < table.index("2026-12-09 08:30") < table.index("2025-06-17 09:30"),
              f"the rows' order on {table!r}")
        pdf.render(1, 100, s.paths.screenshots / "journal-report-table.png")
        frames = [FRAMES[row][0] for row in sorted(chosen)]
        for copy in (0, 4):
            check_equal(words(pdf.text(copy + 1)), table, f"the table of copy {copy // 4 + 1}")
            for offset, name in enumerate(frames, start=2):
                text = words(pdf.text(copy + offset))
                check("FRAMES\\" + name in text and "Подпись" in text and "Изделие:" in text,
                      f"page {copy + offset} is not the frame page of {name}: {text!r}")
        page = pdf.render(2, DPI, s.paths.screenshots / "journal-report-frame.png")
        check_printed_picture(page, 1)
        check("Труба Ду 219, шов 4" in words(pdf.text(2)), "the commentary on the frame's page")
        # The frame whose commentary cannot be read: its picture, no texts; notes.png: no picture.
        check_printed_picture(pdf.render(3, DPI), 1 + 6 % 3)
        check("hidden" not in pdf.text(3), "the held commentary printed")
        check(no_picture(pdf.render(4, DPI), 1), "a picture on the page of notes.png")
        check_equal(printer.job_copies(jobs=1), [1], "copies of the document the printer was asked for")

        # A job the printer refuses is said, and logged.
        printer.clear()
        printer.refuse_jobs()
        journal.dialog.press(PRINT)
        dialog = s.dialog(journal.dialog, timeout=15)
        dialog.child(COPIES, wait=10)
        time.sleep(0.3)
        dialog.press(IDOK)
        message(s, "Журнал напечатан не полностью: принтер остановил печать на странице 4 из 4.", "the refused report",
                title="Предупреждение")
        check_log_has(s, "журнал контроля - не напечатан: принтер не закончил документ, код ошибки")
        check_equal(printer.pdfs(), [], "what the refused report printed")
        close(journal.dialog, IDCANCEL)
        exit_through_menu(s, main)


WM_SYSCOMMAND, SC_MAXIMIZE, SC_RESTORE = 0x0112, 0xF030, 0xF120


def check_follows_size(journal, what):
    """The list fills the dialog between the filter and the buttons; Close at the bottom right."""
    client = journal.dialog.client_rect
    origin = journal.dialog.info()["client_origin"]
    listed = journal.list.rect
    closing = journal.dialog.child(IDCANCEL).rect
    right, bottom = origin["x"] + client.right, origin["y"] + client.bottom
    check(0 < right - listed.right < 20 and 0 < right - closing.right < 20 and 0 < bottom - closing.bottom < 20,
          f"{what}: the list {listed} and Close {closing} do not follow the dialog's client area to {right, bottom}")
    check(closing.top > listed.bottom, f"{what}: Close {closing} over the list {listed}")


def scenario_six_hundred_frames(s):
    """A folder of 600 frames, more than the 500 names the frame list once kept (the first 500
    the folder listed, which in name order left the newest out): the journal counts 600; the
    newest frame is reached by browsing, and View and Edit show it. The Turkish journal follows
    its size when maximised; a double click on the row of a picture that is none shows it, grey."""
    prepare_frames(s)
    small = s.path("small.png")
    make_frame(small, 2, width=160, height=80)
    data = small.read_bytes()
    older = [f"2025_{month:02d}_{day:02d}-{hour:02d}-00~{number:03d}.png"
             for month in range(1, 13) for day in range(1, 29) for hour in (8, 14) for number in (1,)][:600 - len(FRAMES)]
    for name in older:
        s.path("FRAMES/" + name).write_bytes(data)
    newest = "2026_12_09-09-05~011.png"
    main, _ = start_main_window(s, TURKISH)
    journal = open_journal(s, main, TURKISH)
    journal.wait_count(600, 600)
    journal.type("2026-12")
    journal.wait_count(11, 600)
    check_equal(journal.rows()[-1][15], newest, "the newest frame in the journal")
    check_equal([c["text"] for c in journal.view()["columns"]], TITLES[TURKISH], "the Turkish columns")
    journal.check_readable("the Turkish journal")
    journal.dialog.screenshot("journal-turkish")
    journal.dialog.send(WM_SYSCOMMAND, SC_MAXIMIZE)
    poll(lambda: journal.dialog.rect.width >= 1200, 5, "the journal maximised")
    check_follows_size(journal, "maximised")
    journal.dialog.send(WM_SYSCOMMAND, SC_RESTORE)
    poll(lambda: journal.dialog.rect.width < 1200, 5, "the journal restored")
    check_follows_size(journal, "restored")
    close(journal.dialog, IDCANCEL)

    view = FrameView(s, main)
    show_frame(s, view, "2026_12_09-09-00~010.png")
    check_equal(view.bar.scroll()["max"], 600, "the scroll bar's range")
    view.browse(1, newest)
    show_frame(s, view, newest)
    edit(view)
    show_frame(s, view, newest, command=ID_EDIT_FRAMES)
    no_message_box(s, 0.5)
    check(not any(view.editable()), "the frame chosen by Edit opened for editing")

    journal = open_journal(s, main, TURKISH)
    journal.type("notes")  # over the filter kept, which is selected at opening
    journal.wait_count(1, 600)
    journal.click_row(0, double=True)
    journal.dialog.wait_gone()
    view.wait_title("notes.png")
    poll(lambda: view.picture_pixels([(250, 200)])[0] == GREY, 10, "the grey picture window of notes.png")
    check(s.still_running(0.2), "the program ended")
    exit_through_menu(s, main)

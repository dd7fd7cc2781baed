"""View > Print: on no printer, without a frame (empty and settings modes), and a frame with its
commentary on a PDF printer (a private CUPS with cups-pdf, Wine's default printer)."""

import os
import re
import time

from common import (ENGLISH, ID_EDIT_FRAMES, ID_EXIT, ID_PRINT, RUSSIAN, exit_through_menu, immutable, open_dialog,
                    start_main_window)
from e2e import IDCANCEL, IDOK, check, check_equal, near, poll
from frame_view import (BOTTOM, PANEL, RUSSIAN_LABELS, SAVED, STRIPES, commentary_bytes, frame_name,
                        start_with_frames, view_frame)
from printer import Pdf, PdfPrinter
from settings import choose_settings_file

# The print dialog's controls: All, Selection, Pages, the copies box, Print to file, the printer.
ALL_PAGES, SELECTION, PAGE_RANGE, COPIES, PRINT_TO_FILE, PRINTER_NAME = 0x420, 0x421, 0x422, 0x482, 0x410, 0x473
QUEUE = "Pelorin_PDF"
# Landscape A4 in points, as the PDF says it.
A4_LANDSCAPE = (842, 595)
# The pages are looked at with the printer's own resolution.
DPI = 300
WHITE = (255, 255, 255)
# How long the print dialog may take to show: about 2.5 s on a cold prefix, so nothing seen in
# twice that means nothing was shown.
DIALOG_APPEARS = 6.0

NO_PRINTER_TEXT = "You do not have any printer installed.\nPrint can't be proceed."


def other_windows(s, main):
    """The program's visible top-level windows besides the main window."""
    return [w for w in s.windows() if w["hwnd"] != main.hwnd]


def expect_nothing_shown(s, main, what):
    deadline = time.monotonic() + DIALOG_APPEARS
    while time.monotonic() < deadline:
        shown = other_windows(s, main)
        check(not shown, f"{what}: the program shows {[(w['class'], w['text']) for w in shown]}")
        time.sleep(0.1)


def scenario_no_printer(s):
    """No scheduler, no queue (a session's Wine looks for printers only on its own scheduler's
    socket, where nothing listens without a PdfPrinter): the warning, and nothing else, in the
    empty mode too."""
    main, _ = start_main_window(s, ENGLISH)
    main.command(ID_PRINT)
    box = s.message_box()
    check_equal((box.title, box.message), ("Warning", NO_PRINTER_TEXT), "the no-printer message")
    check_equal(sorted(box.buttons), [IDOK], "its buttons")
    check(not box.icon, "the no-printer message shows an icon")
    check_equal(box.count, 1, "message boxes shown")
    box.screenshot("printing-no-printer")
    box.press(IDOK)
    box.wait_gone()
    expect_nothing_shown(s, main, "after the no-printer message")
    main.command(ID_EXIT)
    check_equal(s.wait_exit(), 0, "the exit code")


def scenario_nothing_printed_without_a_frame(s):
    """With a printer, Print in the empty mode, and in the settings mode after a frame was shown,
    shows no dialog and prints nothing."""
    s.path("FRAMES/fds.sdb").write_bytes(b"settings")
    with PdfPrinter(s.path("printed"), queue=QUEUE) as printer:
        view = start_with_frames(s, ENGLISH, numbers=(1,))
        view.main.command(ID_PRINT)
        expect_nothing_shown(s, view.main, "Print in the empty mode")
        view_frame(s, view, 1)
        choose_settings_file(s, view.main, s.path("FRAMES/fds.sdb"))
        poll(lambda: view.title() is None, 5, "the frame view taken down")
        view.main.command(ID_PRINT)
        expect_nothing_shown(s, view.main, "Print in the settings mode")
        check_equal(printer.jobs(), [], "print jobs")
        check_equal(printer.pdfs(), [], "printed files")
        exit_through_menu(s, view.main)


# ---- a frame on paper

def print_dialog(s, main):
    """View > Print: the print dialog, owned by the main window."""
    dialog = open_dialog(s, main, ID_PRINT, control=COPIES)
    time.sleep(0.3)  # the dialog fills its controls after it shows
    return dialog


def confirm_print(s, main, copies=None):
    """View > Print, the dialog confirmed (with a number of copies); the dialog."""
    dialog = print_dialog(s, main)
    if copies is not None:
        dialog.child(COPIES).set_text(str(copies))
    dialog.press(IDOK)
    return dialog


def print_frame(s, main, printer, copies=None):
    """View > Print, the dialog confirmed (with a number of copies); the finished PDF, and the
    seconds from OK to it."""
    printer.clear()
    dialog = confirm_print(s, main, copies)
    pressed = time.monotonic()
    pdf = printer.wait_pdf()
    took = time.monotonic() - pressed
    dialog.wait_gone()
    return Pdf(pdf), took


def expected_boxes(language_labels):
    """The fields' rectangles on screen (by the label lengths of the language the program started
    in), as the page has them: 6 dots of 600 per pixel, so 3 at 300 dots per inch."""
    length = {text: width // 8 for text, (_, _, width) in language_labels.items()}
    label = {entry: text for entry, text in zip((8, 12, 14, 15, 16, 17), (
        "Координаты дефекта (глубина):", "Оператор шифр:", "тип     :", "№       :", "материал:", "толщина :"))}

    def one_line(left, top, most, limit=None):
        right = left + 8 * most + 8
        return left, top, min(right, limit) if limit else right, top + 20

    rects = [one_line(150, 480, 50), one_line(150, 510, 30), one_line(150, 540, 50),
             one_line(9 * length[label[8]] + 5, 570, 10), (150, 600, 558, 654),
             one_line(8 * length[label[12]] + 608, 60, 20, 888)]
    rects += [one_line(8 * length[label[entry]] + 610, top, 25, 888)
              for entry, top in zip((14, 15, 16, 17), (120, 150, 180, 210))]
    rects += [(600, 350, 888, 404), (600, 470, 888, 524)]
    scale = 6 * DPI // 600
    return [tuple(v * scale for v in rect) for rect in rects]


def dark(colour):
    return sum(colour) < 3 * 170


def count_pixels(page, predicate, box):
    """How many pixels of the page in box (left, top, right, bottom) match predicate(r, g, b)."""
    left, top, right, bottom = box
    found = 0
    for y in range(max(top, 0), min(bottom, page.height)):
        row = y * page.width * 3
        for x in range(max(left, 0), min(right, page.width)):
            offset = row + x * 3
            found += bool(predicate(page.pixels[offset], page.pixels[offset + 1], page.pixels[offset + 2]))
    return found


def check_boxes(page, boxes):
    """A line along every side of every box, within a dot of where it should be."""
    for index, (left, top, right, bottom) in enumerate(boxes):
        across, down = range(left + 4, right - 3, 6), range(top + 4, bottom - 3, 6)
        sides = ([(x, top) for x in across] + [(x, bottom) for x in across]
                 + [(left, y) for y in down] + [(right, y) for y in down])
        missing = [(x, y) for x, y in sides
                   if not any(dark(page.pixel(x + dx, y + dy)) for dx in (-1, 0, 1) for dy in (-1, 0, 1))]
        check(not missing, f"the box of field {index} {left, top, right, bottom} has no line at {missing[:5]}")


def picture_box(dpi=DPI):
    """Where a 640 x 480 frame goes: from (0.05, 0.20) inch, 5.06 x 4.11 inches."""
    return round(0.05 * dpi), round(0.20 * dpi), round(5.11 * dpi), round(4.31 * dpi)


def check_picture(page, number):
    """The frame's two stripes where the crop puts them, white around, the cut parts nowhere."""
    left, right = STRIPES[number]
    x0, y0, x1, y1 = picture_box()
    # Source column 300 lands 161 * 506 / 501 hundredths right of the picture's edge.
    split = round((0.05 + 161 * 506 / 501 / 100) * DPI)
    points = {(x0 + 6, y0 + 6): left, (split - 6, (y0 + y1) // 2): left, (split + 6, (y0 + y1) // 2): right,
              (x1 - 6, y0 + 6): right, (x0 + 6, y1 - 6): left, (x1 - 6, y1 - 6): right,
              (x1 + 6, (y0 + y1) // 2): WHITE, ((x0 + x1) // 2, y1 + 6): WHITE}
    for (x, y), expected in points.items():
        check(near(page.pixel(x, y), expected), f"page pixel {x, y}: {page.pixel(x, y)}, expected {expected}")
    cut = count_pixels(page, lambda r, g, b: near((r, g, b), PANEL, 60) or near((r, g, b), BOTTOM, 60),
                     (x0 - 30, y0 - 30, x1 + 30, y1 + 30))
    check_equal(cut, 0, "pixels of the detector's panel or bottom strip on the page")


def no_picture(page, number):
    colours = STRIPES[number]
    x0, y0, x1, y1 = picture_box()
    return count_pixels(page, lambda r, g, b: any(near((r, g, b), c) for c in colours), (x0, y0, x1, y1)) == 0


def words(text):
    # Two glyphs of the embedded font come out of the text extraction as their look-alikes: the
    # hyphen as a soft hyphen, the semicolon as a Greek question mark.
    return re.sub(r"\s+", " ", text.replace("\u00ad", "-").replace("\u037e", ";")).strip()


def check_texts(pdf, page, texts, heading):
    """Every label, the heading and the fields' texts are on the page as text (a text that
    wraps word by word: its lines share rows with the other column)."""
    found = words(pdf.text(page))
    pieces = list(RUSSIAN_LABELS) + [heading]
    for text in texts:
        pieces += text.split() if len(text) > 40 else [text] if text else []
    for piece in pieces:
        check(words(piece) in found, f"{piece!r} is not on page {page}: {found!r}")


def check_note_wraps(page, boxes):
    """The long note stays in its box: no ink right of it, before the right-hand column."""
    left, top, right, bottom = boxes[4]
    ink = count_pixels(page, lambda r, g, b: dark((r, g, b)), (right + 4, top, 1790, bottom + 40))
    check_equal(ink, 0, "dark pixels right of the note's box")


def check_sheet(pdf, pages):
    check_equal(pdf.pages, pages, "pages in the document")
    for page in range(1, pages + 1):
        width, height = pdf.page_size(page)
        check(abs(width - A4_LANDSCAPE[0]) < 2 and abs(height - A4_LANDSCAPE[1]) < 2,
              f"page {page} is {width} x {height} points, not landscape A4")


LONG_NOTE = ("Непровар в корне шва длиной 8 мм на расстоянии 120 мм от маркировки; рекомендуется вырезка "
             "и повторная сварка участка после зачистки кромок.")
EDITED = ["Труба Ду 219, шов 4", "08.12.2026", "Иванов И. И.", "12,5", LONG_NOTE,
          "ОП-17", "трубопровод", "219-4", "сталь 20", "8 мм", "Непровар (Н)", "Ремонт до 10.12"]


def scenario_frame_on_paper(s):
    """A frame with its saved commentary on the PDF printer: the dialog's options, one landscape A4
    page with the picture, the boxes, the labels and texts; then, while editing, the unsaved texts
    in three copies on three identical pages; a deleted frame prints without its picture."""
    s.path("FRAMES/" + frame_name(1)[:-3] + "dat").write_bytes(commentary_bytes(SAVED))
    with PdfPrinter(s.path("printed"), queue=QUEUE) as printer:
        view = start_with_frames(s, RUSSIAN, numbers=(1, 2))
        view_frame(s, view, 1)
        heading = view.title()

        dialog = print_dialog(s, view.main)
        check_equal(dialog.child(PRINTER_NAME).text, QUEUE, "the printer chosen")
        check(dialog.child(ALL_PAGES).checked, "All pages is not chosen")
        check(not dialog.child(SELECTION).enabled and not dialog.child(PAGE_RANGE).enabled,
              "a selection or a page range can be chosen")
        check(not dialog.child(PRINT_TO_FILE).visible, "Print to file is shown")
        check_equal(dialog.child(COPIES).text, "1", "the copies")
        dialog.screenshot("printing-dialog")
        check(not view.main.enabled, "the main window can be used while the print dialog is open")
        dialog.press(IDCANCEL)
        dialog.wait_gone()
        poll(lambda: view.main.enabled, 5, "the main window enabled after Cancel")
        time.sleep(1)
        check_equal((printer.pdfs(), printer.jobs()), ([], []), "what Cancel printed")

        pdf, _ = print_frame(s, view.main, printer)
        check_sheet(pdf, 1)
        page = pdf.render(1, DPI, s.paths.screenshots / "printing-saved-commentary.png")
        check(abs(page.width - 3508) <= 1 and abs(page.height - 2479) <= 1, f"the page is {page.width} x {page.height}")
        check_picture(page, 1)
        check_boxes(page, expected_boxes(RUSSIAN_LABELS))
        check_texts(pdf, 1, SAVED, heading)

        # Editing: the texts on screen, not yet in the file, in three copies.
        view.main.command(ID_EDIT_FRAMES)
        poll(lambda: all(view.editable()), 5, "the fields editable")
        for field, text in zip(view.fields, EDITED):
            field.set_text(text)
        pdf, _ = print_frame(s, view.main, printer, copies=3)
        check_sheet(pdf, 3)
        pages = [pdf.render(n, 100) for n in (1, 2, 3)]
        check(pages[0].pixels == pages[1].pixels == pages[2].pixels, "the three copies differ")
        check_texts(pdf, 2, EDITED, heading)
        check_note_wraps(pdf.render(2, DPI), expected_boxes(RUSSIAN_LABELS))
        check(not any(t in pdf.text(1) for t in SAVED[:3]), "the saved texts printed instead of the edited ones")
        check_equal(printer.job_copies(jobs=2)[-1], 1, "copies of the document the printer was asked for")
        check_equal(s.read_bytes("FRAMES/" + frame_name(1)[:-3] + "dat"), commentary_bytes(SAVED),
                    "the commentary file while editing")
        pdf.render(1, 100, s.paths.screenshots / "printing-edited-commentary.png")

        # The frame's file gone: the page without the picture, nothing else changes.
        os.remove(s.path("FRAMES/" + frame_name(1)))
        pdf, _ = print_frame(s, view.main, printer)
        check_sheet(pdf, 1)
        page = pdf.render(1, DPI, s.paths.screenshots / "printing-frame-file-gone.png")
        check(no_picture(page, 1), "a picture printed for a missing frame file")
        check_boxes(page, expected_boxes(RUSSIAN_LABELS))
        check_texts(pdf, 1, EDITED, heading)
        exit_through_menu(s, view.main)


def expect_not_printed_logged(s, frame, reason):
    """The log's line for a print the printer refused: the frame, the reason, a system error code."""
    line = re.compile(re.escape(f"кадр {frame} - не напечатан: {reason}, код ошибки ".encode("cp1251"))
                      + rb"[1-9]\d*\r\n")
    poll(lambda: line.search(s.log() or b""), 10, f"the log line of the refused print ({reason})")


def scenario_refused_print_is_logged(s):
    """A print the printer refuses is written to the log with the frame and the system's error
    code, and prints nothing; once the printer takes jobs again, the next print prints. Windows
    cannot start the document while its spool folder takes no file; the scheduler refuses the
    finished document while the queue rejects jobs."""
    spool = s.paths.prefix / "drive_c" / "windows" / "system32" / "spool" / "printers"
    with PdfPrinter(s.path("printed"), queue=QUEUE) as printer:
        view = start_with_frames(s, ENGLISH, numbers=(1,))
        view_frame(s, view, 1)
        frame = "FRAMES\\" + frame_name(1)
        printer.clear()

        with immutable(spool):
            confirm_print(s, view.main).wait_gone()
            expect_not_printed_logged(s, frame, "принтер не начал документ")
        check_equal((printer.jobs(), printer.pdfs()), ([], []), "what the print that did not start printed")

        printer.refuse_jobs()
        confirm_print(s, view.main).wait_gone()
        expect_not_printed_logged(s, frame, "принтер не закончил документ")
        check_equal((printer.jobs(), printer.pdfs()), ([], []), "what the refused print printed")

        printer.refuse_jobs(False)
        pdf, _ = print_frame(s, view.main, printer)
        check_sheet(pdf, 1)
        check_picture(pdf.render(1, DPI), 1)
        exit_through_menu(s, view.main)

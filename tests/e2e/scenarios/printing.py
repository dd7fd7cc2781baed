"""View > Print: on no printer, in the empty mode, and a frame with its commentary on a PDF printer
(a private CUPS with cups-pdf, Wine's default printer)."""

import time

from common import ENGLISH, ID_EXIT, start_main_window
from e2e import IDOK, check, check_equal
from printer import NoPrinter, PdfPrinter

ID_PRINT = 32800
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
    """No scheduler, no queue: the warning, and nothing else, in the empty mode too."""
    with NoPrinter():
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


def scenario_empty_mode_prints_nothing(s):
    """With a printer, Print in the empty mode shows no dialog and prints nothing."""
    with PdfPrinter(s.path("printed")) as printer:
        main, _ = start_main_window(s, ENGLISH)
        main.command(ID_PRINT)
        expect_nothing_shown(s, main, "Print in the empty mode")
        check_equal(printer.jobs(), [], "print jobs")
        check_equal(printer.pdfs(), [], "printed files")
        main.command(ID_EXIT)
        check_equal(s.wait_exit(), 0, "the exit code")

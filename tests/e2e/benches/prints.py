"""Timings of View > Print under Wine, on the PDF printer the printing scenarios use."""

from common import RUSSIAN, exit_through_menu
from e2e import check_equal
from figures import report
from frame_view import start_with_frames, view_frame
from printer import PdfPrinter
from printing import QUEUE, print_frame


def bench_print(s):
    """From the print dialog's OK to the finished PDF file of a frame, five times."""
    with PdfPrinter(s.path("printed"), queue=QUEUE) as printer:
        view = start_with_frames(s, RUSSIAN, numbers=(1,))
        view_frame(s, view, 1)
        times = []
        for _ in range(5):
            pdf, took = print_frame(s, view.main, printer)
            check_equal(pdf.pages, 1, "pages printed")
            times.append(took)
        exit_through_menu(s, view.main)
    report("print dialog's OK to the finished PDF", times, "s")

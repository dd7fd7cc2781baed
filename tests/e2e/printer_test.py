#!/usr/bin/env python3
"""The private printer by itself, without Wine: for a working folder with a short path that
anyone may enter, and for one deep inside a closed folder (too long a path for the socket, and
the user lp, who runs the filters, may not enter it), the scheduler listens where the session
points Wine, prints a page into the working folder, and leaves nothing running or behind."""

import os
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

from e2e import SOCKET_PATH_MAX, HarnessError, Paths, Session, check, check_equal  # noqa: E402
from printer import Pdf, PdfPrinter  # noqa: E402

SOURCE = HERE.parent.parent


def print_a_page(work):
    """A page printed through the scheduler the session of `work` would give its Wine; what
    then is left of the scheduler's shared folder (None when it is the working folder's)."""
    session = Session(Paths(SOURCE, SOURCE / "build" / "win", work), "printer", work=work)  # no Wine
    with PdfPrinter(work / "printed") as printer:
        check_equal(printer.socket, session.printer_socket, "the socket the printer listens on")
        check(len(str(printer.socket)) <= SOCKET_PATH_MAX, f"{printer.socket} is too long for a socket")
        client = dict(os.environ, CUPS_SERVER=str(session.printer_socket))
        sent = subprocess.run(["lp", "-d", printer.queue, "-"], input="Pelorin printer check\n".encode(),
                              env=client, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=30)
        check(sent.returncode == 0, f"lp: {sent.stdout.decode(errors='replace')}")
        check_equal(Pdf(printer.wait_pdf(timeout=30)).pages, 1, "pages printed")
        printcap = (work / "cups" / "state" / "printcap").read_text()
        check(printer.queue in printcap, f"the scheduler's printcap in the working folder: {printcap!r}")
        process, conf, shared = printer.process, printer.conf, printer.shared
    check(process.poll() is not None, "cupsd still runs")
    check(not conf.exists(), f"{conf} is left")
    return None if shared == work / "cups" else shared


def main():
    folders = []
    try:
        # Short and open: everything in the working folder's cups/.
        open_work = Path(tempfile.mkdtemp(prefix="pelorin-printer-test-"))
        folders.append(open_work)
        open_work.chmod(0o755)
        check_equal(print_a_page(open_work), None, "a shared folder outside an open working folder")

        # Deep and closed (mkdtemp makes it 0700): the shared part goes under /tmp, and goes.
        closed = Path(tempfile.mkdtemp(prefix="pelorin-printer-test-"))
        folders.append(closed)
        deep_work = closed / ("d" * 60) / ("e" * 60)
        deep_work.mkdir(parents=True)
        shared = print_a_page(deep_work)
        check(shared is not None and shared.parent == Path("/tmp"), f"the shared folder is {shared}")
        check(not shared.exists(), f"{shared} is left")
    except (AssertionError, HarnessError) as failure:
        print(f"FAILED: {failure}\nfolders kept: {[str(folder) for folder in folders]}")
        return 1
    for folder in folders:
        shutil.rmtree(folder)
    print("passed: a page printed from an open and from a deep, closed working folder")
    return 0


if __name__ == "__main__":
    sys.exit(main())

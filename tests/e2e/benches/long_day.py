"""A working day under Wine: the program left open while the operator browses, views and edits
commentaries, prints and reads frames from the detector, the status probe running throughout;
what the program holds (handles, GDI and USER objects, memory, open files) before and after."""

import os
import socket
import threading
import time

from common import (ENGLISH, ID_READ_FRAMES, ID_VIEW_FRAMES, Detector, choose_file, exit_through_menu, open_dialog,
                    start_main_window)
from e2e import IDOK, check, check_equal, poll, windows_path
from figures import report
from frame_view import FrameView, commentary_bytes, edit, make_frame
from printer import PdfPrinter
from printing import QUEUE, print_frame
from read_frames import LOCAL_NAME, TEXTS, Transfer, pick, sample

ADDRESS = "127.0.0.37"
FRAMES = 20
ROUNDS = 10  # each: 200 browse steps, 10 View/Edit cycles, 2 prints, 3 reads of 3 frames
BROWSES, CYCLES, PRINTS, READS = 200, 10, 2, 3
STATUS_INTERVAL = 10.0  # seconds between status probes
DAY_LASTS = 10.5 * 60  # at least 60 probes
GIVE_UP_AFTER = 40 * 60  # a day that takes longer than this has hung somewhere


def name(number):
    """Frame files that sort before any the reads store, so that browsing stays among them."""
    return f"2000_01_01-08-00~{number:03d}.png"


class ProbeCounter:
    """The detector's presence port, answered here: every status probe is one connection."""

    def __init__(self, address):
        self.count = 0
        self.stop = threading.Event()
        self.listener = socket.create_server((address, 1533))
        self.listener.settimeout(0.5)
        self.thread = threading.Thread(target=self._accept, daemon=True)
        self.thread.start()

    def _accept(self):
        while not self.stop.is_set():
            try:
                connection, _ = self.listener.accept()
            except socket.timeout:
                continue
            except OSError:
                return
            connection.close()
            self.count += 1

    def close(self):
        self.stop.set()
        self.thread.join(5)
        self.listener.close()


class Holdings:
    """What the program holds, as Windows tells the driver (which holds the program's process
    handle) and as Linux tells about the Wine process that runs it."""

    MEMORY = ("private_bytes", "pagefile", "working_set", "VmRSS", "VmData")

    def __init__(self, s):
        self.s = s
        self.pid = poll(lambda: self._linux_pid(), 10, "the program's Wine process")

    def _linux_pid(self):
        wanted = windows_path(self.s.work / "Pelorin.exe").encode()
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open(f"/proc/{entry}/cmdline", "rb") as f:
                    if f.read().split(b"\0")[0] == wanted:
                        return entry
            except OSError:
                continue
        return None

    def read(self):
        # What the last step shows or closes is settled first.
        self.s.wait_idle()
        time.sleep(0.5)
        answer = self.s.driver.request("counters")
        figures = {key: answer[key]
                   for key in ("handles", "gdi", "user", "windows", "private_bytes", "pagefile", "working_set")}
        with open(f"/proc/{self.pid}/status") as f:
            for line in f:
                key, value = line.split(":", 1)
                if key in ("VmRSS", "VmData"):
                    figures[key] = int(value.split()[0]) * 1024
        figures["open files"] = len(os.listdir(f"/proc/{self.pid}/fd"))
        return figures


def as_text(key, value):
    if value is None:
        return "not reported"
    return f"{value / 1024:.0f} kB" if key in Holdings.MEMORY else str(value)


def report_holdings(start, before, after, steps):
    """At the start, before and after the day's work, and the change per step of work."""
    for key in before:
        line = (f"  {key}: at the start {as_text(key, start[key])}, before {as_text(key, before[key])}, "
                f"after {as_text(key, after[key])}")
        if before[key] is not None and after[key] is not None:
            change = after[key] - before[key]
            line += f"; change {change / 1024:+.0f} kB, {change / steps:+.1f} bytes per step" \
                if key in Holdings.MEMORY else f"; change {change:+d}"
        print(line, flush=True)


class Day:
    """The operator's steps on the main window."""

    def __init__(self, s, view):
        self.s, self.view = s, view
        self.edited = {}  # frame number: the Item text saved last
        self.browse_times = []
        self.step = 1  # browsing direction
        self.cycles = 0

    def browse(self, count):
        position = self.view.bar.scroll()["pos"]
        for _ in range(count):
            if not 0 <= position + self.step < FRAMES:
                self.step = -self.step
            self.browse_times.append(self.view.bar.hscroll(1 if self.step > 0 else 0, timed=True))
            position += self.step
        check_equal(self.view.bar.scroll()["pos"], position, "the frame browsed to")

    def view_and_edit(self):
        """View > Frames of a frame, Edit > Frames, a text typed: saved when the next browse step
        or command leaves the editor (browsing in the editor saves every frame it leaves)."""
        self.cycles += 1
        cycle = self.cycles
        number = 1 + cycle * 7 % FRAMES
        choose_file(self.s, self.view.main, ID_VIEW_FRAMES, windows_path(self.s.path("FRAMES/" + name(number))))
        self.view.wait_title(name(number))
        edit(self.view)
        text = f"cycle {cycle}"
        self.view.fields[0].set_text(text)
        self.edited[number] = text

    def print_frames(self, count):
        """View > Print, confirmed. The printer is switched on only meanwhile, as in an office
        where it is shared."""
        with printer(self.s) as pdf_printer:
            for _ in range(count):
                pdf, _ = print_frame(self.s, self.view.main, pdf_printer)
                check_equal(pdf.pages, 1, "pages printed")

    def read_frames(self, frames):
        """Read > Frames of the detector's three frames; they are cleared away afterwards, as an
        operator who files them elsewhere would, so that the folder stays the same."""
        dialog = open_dialog(self.s, self.view.main, ID_READ_FRAMES, TEXTS[ENGLISH]["title"])
        pick(dialog, list(frames))
        dialog.press(IDOK)
        Transfer(self.s, dialog).wait_closed(timeout=60)
        read = [p for p in self.s.path("FRAMES").iterdir() if LOCAL_NAME.fullmatch(p.name) and p.name[:4] != "2000"]
        check_equal(sorted(p.read_bytes() for p in read), sorted(frames.values()), "the frames read")
        for path in read:
            path.unlink()

    def round(self, detector_frames):
        self.browse(BROWSES)
        for _ in range(CYCLES):
            self.view_and_edit()
        self.print_frames(PRINTS)
        for _ in range(READS):
            self.read_frames(detector_frames)


def printer(s):
    return PdfPrinter(s.path("printed"), queue=QUEUE)


def bench_long_day(s):
    """2,000 browse steps over 20 frames, 100 View/Edit cycles with saves, 20 prints, 30 reads of
    3 frames, spread over more than ten minutes with the status probe every 10 s: handles, GDI
    and USER objects, memory and open files of the program before and after, and per step."""
    started = time.monotonic()
    for number in range(1, FRAMES + 1):
        make_frame(s.path("FRAMES/" + name(number)), 1 + number % 3)
    detector_frames = sample(1, 2, 3)
    probes = ProbeCounter(ADDRESS)
    try:
        with Detector(s, ADDRESS, "--tcp=refuse", frames=detector_frames):
            # Wine takes the printers the scheduler offers when the program starts.
            with printer(s):
                main, _ = start_main_window(s, ENGLISH, address=ADDRESS)
            view = FrameView(s, main)
            day = Day(s, view)
            holdings = Holdings(s)
            start = holdings.read()

            # Everything twice, so that what is loaded or grown to on first use is (the second
            # print is where Wine's printing takes its memory).
            for _ in range(2):
                day.view_and_edit()
                day.browse(2 * FRAMES)
                day.print_frames(1)
                day.read_frames(detector_frames)
            before = holdings.read()
            day_began, probed_before = time.monotonic(), probes.count
            rounds = [before]
            for round_number in range(1, ROUNDS + 1):
                check(time.monotonic() - started < GIVE_UP_AFTER, "the day takes too long")
                day.round(detector_frames)
                rounds.append(holdings.read())
                # The work spread over the day: the program probes the detector in between.
                pause = day_began + round_number * DAY_LASTS / ROUNDS - time.monotonic()
                if pause > 0:
                    time.sleep(pause)
            after = holdings.read()
            lasted = time.monotonic() - day_began
            probed = probes.count - probed_before
            exit_through_menu(s, main)
    finally:
        probes.close()

    for number, text in day.edited.items():
        check_equal(s.path("FRAMES/" + name(number)[:-3] + "dat").read_bytes(), commentary_bytes([text] + [""] * 11),
                    f"the commentary of frame {number}")
    check(probed >= DAY_LASTS // STATUS_INTERVAL, f"only {probed} status probes in {lasted:.0f} s")
    steps = ROUNDS * (BROWSES + CYCLES + PRINTS + READS)
    print(f"  the day: {lasted / 60:.1f} min, {probed} status probes, {ROUNDS * BROWSES} browse steps, "
          f"{ROUNDS * CYCLES} View/Edit cycles, {ROUNDS * PRINTS} prints, {ROUNDS * READS} reads of 3 frames: "
          f"{steps} steps of work in {ROUNDS} rounds", flush=True)
    report_holdings(start, before, after, steps)
    for key in ("VmData", "VmRSS"):
        print(f"  {key} after each round: " + ", ".join(f"{r[key] // 1024}" for r in rounds) + " kB", flush=True)
    report("browse arrow to the next frame painted, all day", day.browse_times)

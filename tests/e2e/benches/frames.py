"""Timings of the frame commands under Wine: the frame view (a browse arrow, a frame opened
through the open-file dialog), Read > Frames over 100 frames, and how long the reading dialog
keeps another program waiting while a slow detector answers."""

from common import (ENGLISH, ID_READ_FRAMES, ID_VIEW_FRAMES, OPEN_FILE_NAME, Detector, exit_through_menu, open_dialog,
                    open_file_dialog, random_bytes, start_main_window)
from e2e import IDOK, check, windows_path
from figures import report
from frame_view import frame_name, start_with_frames, view_frame
from read_frames import SLOW_PACKETS_MS, Transfer, check_stored, hundred_frames, pick, read_all

# Read > Frames pauses 10 x 10 ms after each frame it stores, and 10 ms at the end.
HUNDRED_FRAMES_PAUSES = 100 * 10 * 0.010 + 0.010


def bench_frame_view(s):
    """From a browse arrow to the next frame fully painted, and from the open-file dialog's OK to
    the picture painted: 20 of each over three frames."""
    view = start_with_frames(s, ENGLISH)
    view_frame(s, view, 1)
    browse = [view.bar.hscroll(1 if i % 4 < 2 else 0, timed=True) for i in range(20)]
    opens = []
    for i in range(20):
        name = frame_name(1 + (i + 1) % 3)  # never the frame shown: the browsing ended on the first
        dialog = open_file_dialog(s, view.main, ID_VIEW_FRAMES)
        dialog.child(OPEN_FILE_NAME).set_text(windows_path(s.path("FRAMES/" + name)))
        # Until the title names the chosen frame and everything is painted.
        answer = s.driver.request("press_timed", hwnd=dialog.hwnd, id=IDOK, top=view.main.hwnd,
                                  text="FRAMES\\" + name, **{"class": "Static"})
        check(answer["us"] >= 0, "the picture did not appear")
        opens.append(answer["us"] / 1e6)
        dialog.wait_gone()
        view.wait_title(name)
    report("browse arrow to the next frame painted", browse)
    report("open-file OK to the picture painted", opens)
    exit_through_menu(s, view.main)


def wire_time(packets):
    """The seconds the exchanges of the frames took on the wire: from each request to the last
    packet before the next request."""
    total, begin, last = 0.0, None, None
    for at, _, text in packets:
        if text.startswith("RRQ"):
            if begin is not None:
                total += last - begin
            begin = at
        last = at
    if begin is not None:
        total += last - begin
    return total / 1000


def bench_read_hundred_frames(s):
    """Read > Frames with Select all, 100 frames of 50,000 bytes on the detector, three times:
    from OK to the dialog's end, the part of it on the wire, the rest beside the specified
    pauses, and per frame the time beyond those pauses."""
    address = "127.0.0.36"
    frames = hundred_frames()
    took, wire = [], []
    with Detector(s, address, frames=frames) as detector:
        main, _ = start_main_window(s, ENGLISH, address=address)
        for _ in range(3):
            for old in s.path("FRAMES").iterdir():
                old.unlink()
            before = len(detector.packets())
            took.append(read_all(s, main).wait_closed(timeout=100))
            check_stored(s, frames)
            wire.append(wire_time(detector.packets()[before:]))
        exit_through_menu(s, main)
    report("OK to the dialog's end", took, "s", HUNDRED_FRAMES_PAUSES, "its pauses alone")
    report("on the wire, request to the last packet of each frame", wire, "s")
    report("neither pausing nor on the wire (writing, drawing, the rest)",
           [t - w - HUNDRED_FRAMES_PAUSES for t, w in zip(took, wire)], "s")
    report("beyond the specified pauses, per frame", [(t - HUNDRED_FRAMES_PAUSES) / 100 for t in took], "ms")


def bench_slow_transfer_answers(s):
    """Read > Frames from a detector that sends every packet 250 ms late, four frames of three
    packets, three times: how long another program that sends the dialog WM_NULL every 5 ms
    waits for its answer."""
    address = "127.0.0.38"
    frames = {n: random_bytes(1500, 40 + n) for n in (1, 2, 3, 4)}
    longest, mean = [], []
    with Detector(s, address, f"--delay={SLOW_PACKETS_MS}", frames=frames):
        main, _ = start_main_window(s, ENGLISH, address=address)
        for _ in range(3):
            for old in s.path("FRAMES").iterdir():
                old.unlink()
            dialog = open_dialog(s, main, ID_READ_FRAMES)
            pick(dialog, frames)
            dialog.press(IDOK)
            transfer = Transfer(s, dialog)
            s.start_null_waits(dialog)
            transfer.wait_closed()
            answers = s.stop_null_waits()
            check(answers["count"] > 0, "no answer was asked for")
            longest.append(answers["longest"])
            mean.append(answers["mean"])
            check_stored(s, frames)
        exit_through_menu(s, main)
    report("the longest wait for an answer while the frames came", longest)
    report("the mean wait", mean)

"""The journal under Wine over a folder of 10,000 frames, each with its commentary: how soon F3
shows the first rows and every commentary is read, how long the window keeps another program
waiting meanwhile, a filter keystroke, a sort, an export of every row, and what the program holds
while the journal is open."""

import statistics
import time

from common import ENGLISH, OPEN_FILE_NAME, close, exit_through_menu, start_main_window
from e2e import IDCANCEL, IDOK, VK_ESCAPE, Window, check, poll
from figures import report
from frame_view import commentary_bytes, make_frame
from journal import COUNT, EXPORT, ITEM, LIST, VK_F3, Journal

FRAMES = 10000
LVM_GETITEMCOUNT = 0x1004
WM_CHAR = 0x0102
WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON = 0x0201, 0x0202, 0x0001


def ten_thousand_frames(s):
    """Frames of five years, each with a commentary of the kind an operator writes."""
    picture = s.path("picture.png")
    make_frame(picture, 1, width=160, height=80)
    data = picture.read_bytes()
    folder = s.path("FRAMES")
    for i in range(FRAMES):
        name = f"{2021 + i // 2000}_{1 + i // 200 % 10:02d}_{1 + i // 10 % 20:02d}-{8 + i % 10:02d}-{i % 60:02d}~{1 + i % 100:03d}"
        (folder / (name + ".png")).write_bytes(data)
        texts = [f"Труба Ду {219 + i % 7}, шов {i % 40}", "08.12.2026", ["Иванов И. И.", "Petrov P."][i % 2],
                 str(i % 30), "Непровар в корне шва\r\nдлина 8 мм" if i % 3 else "", f"ОП-{i % 17}", "трубопровод",
                 str(i), "сталь 20", f"{4 + i % 9} мм", "Непровар (Н)" if i % 5 else "", ""]
        (folder / (name + ".dat")).write_bytes(commentary_bytes(texts))


def timed(action):
    started = time.monotonic()
    action()
    return time.monotonic() - started


def megabytes(after, before, key):
    return (after[key] - before[key]) / 1e6 if after.get(key) is not None and before.get(key) is not None else None


def bench_journal(s):
    """F3 to the first rows and to every commentary read (with a filter, "шов", that every
    commentary matches once read), the window's longest wait meanwhile, a keystroke of the
    filter, a sort by a header click, an export of all 10,000 rows to its file, and the working
    set and commit charge the open journal adds to what the program held before it was first
    opened; five openings."""
    ten_thousand_frames(s)
    main, _ = start_main_window(s, ENGLISH, extra="")
    # What the program holds before any journal was open: what an opening adds is measured from
    # here (memory a closed journal gave back may stay with the process's heap).
    before = s.driver.request("counters")
    # The filter the openings start with, as the operator left it.
    s.press_key(VK_F3)
    journal = Journal(s, main, ENGLISH)
    journal.type("шов")
    close(journal.dialog, IDCANCEL)

    first, complete, longest, keys, sorts, exports, working, commit = [], [], [], [], [], [], [], []
    for run in range(5):
        s.start_null_waits(main, interval=0.005, slow=0.050)
        started = time.monotonic()
        s.press_key(VK_F3)
        dialog = s.dialog(main, timeout=15)
        count = dialog.child(COUNT, wait=5)
        poll(lambda: not count.text.startswith("0 of"), 10, "the first rows", interval=0.01)
        first.append(time.monotonic() - started)
        poll(lambda: count.text == f"{FRAMES} of {FRAMES} frames", 60, "every commentary read", interval=0.01)
        complete.append(time.monotonic() - started)
        waits = s.stop_null_waits()
        longest.append(waits["longest"])
        after = s.driver.request("counters")
        working.append(megabytes(after, before, "working_set"))
        commit.append(megabytes(after, before, "pagefile"))

        journal = Journal(s, main, ENGLISH)
        for character in "шов" if run % 2 else "жт":
            keys.append(timed(lambda: journal.find.send(WM_CHAR, ord(character))))
        journal.clear_filter()
        view = journal.view()
        header = Window(s, view["header"]["hwnd"])
        for column in (ITEM, ITEM, 0):
            rect = view["header"]["items"][column]
            at = ((rect["top"] + rect["bottom"]) // 2 << 16) | ((rect["left"] + rect["right"]) // 2)
            header.send(WM_LBUTTONDOWN, MK_LBUTTON, at)
            sorts.append(timed(lambda: header.send(WM_LBUTTONUP, 0, at)))

        journal.dialog.press(EXPORT)
        save = s.dialog(journal.dialog, timeout=15)
        name = save.child(OPEN_FILE_NAME, wait=10)
        poll(lambda: name.text == "journal.csv", 5, "the name proposed")
        target = s.path(f"export-{run}.csv")
        name.set_text(str(target).replace("/", "\\").join(["Z:", ""]))
        started = time.monotonic()
        save.press(IDOK)
        poll(lambda: target.is_file(), 30, "the exported file", interval=0.005)
        exports.append(time.monotonic() - started)
        save.wait_gone()
        # Every row: its file name ends a line.
        check(target.read_bytes().count(b".png\r\n") == FRAMES, "the rows exported")
        journal.type("шов")
        journal.wait_count(FRAMES, FRAMES)
        s.press_key(VK_ESCAPE)
        journal.dialog.wait_gone()

    report("F3 to the first rows", first, "ms", specified=1.0, because="at most")
    report("F3 to every commentary read", complete, "s")
    report("the window's longest wait meanwhile", longest, "ms", specified=0.050, because="at most")
    report("a filter keystroke", keys, "ms", specified=0.050, because="at most")
    report("a sort by a header click", sorts, "ms", specified=0.200, because="at most")
    report("Save to the exported file of every row", exports, "ms", specified=1.0, because="at most")
    for what, values in (("working set", working), ("commit charge", commit)):
        values = [v for v in values if v is not None]
        if values:
            print(f"  {what} added while the journal is open: median {statistics.median(values):.1f} MB "
                  f"(min {min(values):.1f}, max {max(values):.1f}); at most 30 MB", flush=True)
    exit_through_menu(s, main)

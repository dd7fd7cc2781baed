"""The journal under Wine over a folder of 10,000 frames, each with its commentary: how soon F3
shows the first rows and every commentary is read, how long the window keeps another program
waiting meanwhile, a filter keystroke, a sort, an export of every row, and what the program holds
while the journal is open."""

import statistics
import time

from common import ENGLISH, OPEN_FILE_NAME, close, exit_through_menu, start_main_window
from e2e import IDCANCEL, IDOK, VK_ESCAPE, Window, check, poll, windows_path
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
        item = "lastrow, шов 0" if i == FRAMES - 1 else f"Труба Ду {219 + i % 7}, шов {i % 40}"
        texts = [item, "08.12.2026", ["Иванов И. И.", "Petrov P."][i % 2],
                 str(i % 30), "Непровар в корне шва\r\nдлина 8 мм" if i % 3 else "", f"ОП-{i % 17}", "трубопровод",
                 str(i), "сталь 20", f"{4 + i % 9} мм", "Непровар (Н)" if i % 5 else "", ""]
        (folder / (name + ".dat")).write_bytes(commentary_bytes(texts))


def timed(action):
    started = time.monotonic()
    action()
    return time.monotonic() - started


def megabytes(after, before, key):
    return (after[key] - before[key]) / 1e6 if after.get(key) is not None and before.get(key) is not None else None


def set_filter(s, main, text):
    """The filter the next openings start with, as the operator leaves it."""
    s.press_key(VK_F3)
    journal = Journal(s, main, ENGLISH)
    journal.find.set_text(text)
    close(journal.dialog, IDCANCEL)


def opening(s, main, done, seconds=None):
    """F3: the seconds to the first rows (the list's count) and to the count text `done` (or
    `seconds` after F3), the window's longest wait meanwhile; the journal, open."""
    s.start_null_waits(main, interval=0.005, slow=0.050)
    started = time.monotonic()
    s.press_key(VK_F3)
    dialog = s.dialog(main, timeout=15)
    listed = dialog.child(LIST, wait=5)
    count = dialog.child(COUNT, wait=5)
    poll(lambda: listed.send(LVM_GETITEMCOUNT) > 0 or count.text == done, 10, "the first rows", interval=0.01)
    first = time.monotonic() - started
    if seconds:
        time.sleep(max(0.0, started + seconds - time.monotonic()))
    else:
        poll(lambda: count.text == done, 60, done, interval=0.01)
    complete = time.monotonic() - started
    longest = s.stop_null_waits()["longest"]
    return first, complete, longest, Journal(s, main, ENGLISH)


def bench_journal(s):
    """Five openings each: without a filter, F3 to the first rows and the window's longest wait
    over the next 4 s; with a filter that only the last row's commentary matches, F3 to every
    commentary read and the longest wait meanwhile (nothing changes on screen until then); with
    one that every commentary matches ("шов", the list grows as they come), the same, then a
    keystroke of the filter, a sort by a header click, an export of all 10,000 rows, and the
    working set and commit charge the open journal adds to what the program held before any."""
    ten_thousand_frames(s)
    main, _ = start_main_window(s, ENGLISH)
    # What an opening adds is measured from here (memory a closed journal gave back may stay
    # with the process's heap).
    before = s.driver.request("counters")

    plain = []
    for _ in range(5):
        plain.append(opening(s, main, None, seconds=4))
        s.press_key(VK_ESCAPE)
        plain[-1][3].dialog.wait_gone()
    report("no filter: F3 to the first rows", [run[0] for run in plain], "ms", specified=1.0, because="at most")
    report("no filter: the window's longest wait in 4 s", [run[2] for run in plain], "ms", specified=0.050,
           because="at most")

    set_filter(s, main, "lastrow")
    last = []
    for _ in range(5):
        last.append(opening(s, main, f"1 of {FRAMES} frames"))
        s.press_key(VK_ESCAPE)
        last[-1][3].dialog.wait_gone()
    report("only the last row found: F3 to every commentary read", [run[1] for run in last], "s")
    report("only the last row found: the window's longest wait meanwhile", [run[2] for run in last], "ms",
           specified=0.050, because="at most")

    set_filter(s, main, "шов")
    every, keys, sorts, exports, working, commit = [], [], [], [], [], []
    for run in range(5):
        every.append(opening(s, main, f"{FRAMES} of {FRAMES} frames"))
        journal = every[-1][3]
        after = s.driver.request("counters")
        working.append(megabytes(after, before, "working_set"))
        commit.append(megabytes(after, before, "pagefile"))
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
        name.set_text(windows_path(target))
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
    report("every row found: F3 to every commentary read", [run[1] for run in every], "s")
    report("every row found: the window's longest wait meanwhile", [run[2] for run in every], "ms",
           specified=0.050, because="at most")
    report("a filter keystroke", keys, "ms", specified=0.050, because="at most")
    report("a sort by a header click", sorts, "ms", specified=0.200, because="at most")
    report("Save to the exported file of every row", exports, "ms", specified=1.0, because="at most")
    for what, values in (("working set", working), ("commit charge", commit)):
        values = [v for v in values if v is not None]
        if values:
            print(f"  {what} the open journal adds: median {statistics.median(values):.1f} MB "
                  f"(min {min(values):.1f}, max {max(values):.1f}); at most 30 MB", flush=True)
    exit_through_menu(s, main)

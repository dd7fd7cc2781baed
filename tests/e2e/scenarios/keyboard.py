"""The whole job from the keyboard: real key events through the system's input queue, no mouse
message at all; and the window order that screen readers name the fields by."""

import shutil
import time

from common import ENGLISH, IDNO, IDYES, OPEN_FILE_NAME, TEST_ADDRESS, Detector, containing, message, start_main_window
from e2e import check, check_equal, poll
from frame_view import FrameView, commentary_bytes, make_frame
from printer import Pdf, PdfPrinter
from printing import COPIES, QUEUE, words

EM_GETSEL = 0x00B0
MULTI_LINE = {4, 10, 11}
# What the operator types into the twelve fields, in record order; the defect type is typed wrong
# at first and put right after Shift+Tab.
TYPED = ["Труба Ду 530", "08.12.2026", "Petrov P.", "125", "first line\r\nsecond line", "OP-7", "pipe",
         "A-17", "Ст3", "12 mm", "crack?", "Ek bilgi: kaynak"]
CORRECTED = TYPED[:10] + ["Трещина (Т)"] + TYPED[11:]
INSPECTION = [0, 1, 2, 5, 6, 7, 8, 9]


def focus(s):
    return s.focus()["focus"]


def wait_focus(s, window, what):
    poll(lambda: focus(s) == window.hwnd, 5, f"the keyboard focus in {what}")


def frame_pictures(s):
    """Three frames of the detector, as PNG bytes."""
    pictures = {}
    for number in (1, 2, 3):
        path = s.path(f"picture-{number}.png")
        make_frame(path, number)
        pictures[number] = path.read_bytes()
    return pictures


def stored_frames(s, count):
    return poll(lambda: (lambda names: names if len(names) == count else None)(
        sorted(p.name for p in s.path("FRAMES").glob("*.png"))), 10, f"{count} frames stored")


def check_screen_reader_order(view):
    """Each field's previous sibling in the window order is its label, the title label's next the
    picture, and the fields follow one another in record order."""
    children = view.main.children()
    order = [c["hwnd"] for c in children]
    by_hwnd = {c["hwnd"]: c for c in children}
    labels = ["Item:", "Monitoring date:", "Operator:", "Defect coordinates (depth):", "The note:", "Operator code:",
              "type     :", "Number   :", "material :", "thickness:", "Defect type (code):", "Additional information:"]
    positions = []
    for field, label in zip(view.fields, labels):
        at = order.index(field.hwnd)
        before = by_hwnd[order[at - 1]]
        check_equal((before["class"].lower(), before["text"]), ("static", label), f"the window before {label!r}'s field")
        positions.append(at)
    check_equal(positions, sorted(positions), "the fields' window order")
    title = [c for c in children if c["class"].lower() == "static" and c["text"].endswith(".png")][0]
    check_equal(by_hwnd[order[order.index(title["hwnd"]) + 1]]["class"], "Output", "the window after the title")


def type_field(s, view, index, text):
    """The text typed key by key into field `index`, which has the focus; a line break is Enter."""
    for number, line in enumerate(text.split("\r\n")):
        if number:
            s.keys("return")
        s.type_text(line)
    poll(lambda: view.fields[index].text == text, 5, f"{text!r} typed into field {index}")


def scenario_the_whole_job_from_the_keyboard(s):
    """F2 reads frames 1 to 3 picked with the keys; F1 shows one whose name is typed; F4, and all
    twelve fields typed with Tab, Enter and Shift+Tab between them; Ctrl+Page Down saves it and
    shows the next frame; Ctrl+D fills the inspection fields there; View > Print by Alt and the
    arrows prints it; Alt+F4, its question answered with the keys, and Alt+F4 again."""
    pictures = frame_pictures(s)
    with Detector(s, TEST_ADDRESS, frames=pictures), PdfPrinter(s.path("printed"), queue=QUEUE) as printer:
        main, _ = start_main_window(s, ENGLISH)

        # Read > Frames: the numbers have the focus; Home, Shift+Down twice, Enter.
        s.keys("f2")
        dialog = s.dialog(main, timeout=15)
        numbers = dialog.child(1004)
        wait_focus(s, numbers, "the frame numbers")
        s.keys("home shift+down shift+down")
        poll(lambda: numbers.listbox()["selected"] == [0, 1, 2], 5, "frames 1 to 3 picked")
        s.keys("return")
        dialog.wait_gone(timeout=30)
        names = stored_frames(s, 3)
        check_equal([s.read_bytes("FRAMES/" + name) for name in names], [pictures[n] for n in (1, 2, 3)],
                    "the frames read")

        # View > Frames: the first one's name typed, Enter.
        wait_focus(s, main, "the main window")
        s.keys("f1")
        chooser = s.dialog(main, timeout=15)
        chooser.child(OPEN_FILE_NAME, wait=10)
        s.type_text(names[0])
        s.keys("return")
        view = FrameView(s, main)
        view.wait_title(names[0])
        check_screen_reader_order(view)
        # Browsed from the window itself, as from a field below.
        s.keys("ctrl+next")
        view.wait_title(names[1])
        s.keys("ctrl+prior")
        view.wait_title(names[0])

        # Edit > Frames, then every field typed in turn.
        s.keys("f4")
        poll(lambda: all(view.editable()), 5, "the fields editable")
        wait_focus(s, view.fields[0], "Item")
        for index, text in enumerate(TYPED):
            type_field(s, view, index, text)
            # Enter moves on from a one-line field; a multi-line one takes it as a line break.
            s.keys("return" if index not in MULTI_LINE and index % 2 == 0 else "tab")
            wait_focus(s, view.fields[(index + 1) % 12], f"field {(index + 1) % 12}")
        # The last Tab came round to Item, its text selected as in a dialog.
        check_equal(view.fields[0].send(EM_GETSEL), len(TYPED[0]) << 16, "Item's selection")
        s.keys("shift+tab shift+tab")
        wait_focus(s, view.fields[10], "the defect type")
        s.type_text(CORRECTED[10])
        poll(lambda: view.texts() == CORRECTED, 5, "the defect type put right")
        view.main.screenshot("keyboard-typed")

        # Ctrl+Page Down: saved, the next frame, its fields open for editing.
        s.keys("ctrl+next")
        view.wait_title(names[1])
        check_equal(s.read_bytes("FRAMES/" + names[0][:-3] + "dat"), commentary_bytes(CORRECTED),
                    "the first frame's commentary")
        check_equal(view.texts(), [""] * 12, "the second frame's fields")
        wait_focus(s, view.fields[0], "Item of the second frame")

        # Ctrl+D: the inspection fields from the first frame, except what was typed already.
        s.type_text("Труба Ду 219")
        poll(lambda: view.fields[0].text == "Труба Ду 219", 5, "Item typed on the second frame")
        s.keys("ctrl+d")
        filled = ["Труба Ду 219"] + [CORRECTED[i] if i in INSPECTION else "" for i in range(1, 12)]
        poll(lambda: view.texts() == filled, 5, "the inspection fields filled")
        view.main.screenshot("keyboard-filled")

        # View > Print with Alt and the arrows (the menu as it stands), the print dialog with Enter.
        items = [item for item in view.main.menu()[0]["items"] if not item["separator"]]
        downs = [item["id"] for item in items].index(32800)
        printer.clear()
        s.keys("alt down" + " down" * downs + " return")
        printing = s.dialog(main, timeout=15)
        printing.child(COPIES, wait=10)
        time.sleep(0.3)  # the dialog fills its controls after it shows
        s.keys("return")
        pdf = Pdf(printer.wait_pdf())
        page = words(pdf.text(1))
        for text in ("Труба Ду 219", CORRECTED[1], CORRECTED[6], CORRECTED[9]):
            check(words(text) in page, f"{text!r} is not on the printed page")
        printing.wait_gone()

        # Alt+F4 while the commentary cannot be written: the question, No with the keys.
        blocked = s.path("FRAMES/" + names[1][:-3] + "dat")
        blocked.mkdir()
        wait_focus(s, view.fields[0], "Item after printing")
        s.keys("alt+f4")
        box = message(s, containing(blocked.name), "the question", title="Warning", keep=True)
        check_equal(sorted(box.buttons), [IDYES, IDNO], "the question's buttons")
        s.keys("tab return")
        box.wait_gone()
        check(s.still_running(0.5), "the program ended after No")
        shutil.rmtree(blocked)
        wait_focus(s, view.fields[0], "Item after the question")
        s.keys("alt+f4")
        check_equal(s.wait_exit(), 0, "the exit code after Alt+F4")
        check_equal(s.read_bytes("FRAMES/" + names[1][:-3] + "dat"), commentary_bytes(filled),
                    "the second frame's commentary")

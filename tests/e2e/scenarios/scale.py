"""The main window at the screen's scale: Wine's dpi set in the prefix (LogPixels) and screens of
several sizes; the window fits the screen at the scale the monitor's dpi and the work area give,
everything in it at that scale, the picture drawn at its size; the dialogs at their dpi."""

import math

from common import (ENGLISH, ID_READ_FRAMES, ID_READ_SETTINGS, TEST_ADDRESS, Detector, close, exit_through_menu,
                    open_dialog, start_main_window)
from e2e import IDCANCEL, Rect, ScenarioFailure, Window, check, check_equal, poll
from frame_view import (GREY, SAVED, STRIPES, FrameView, commentary_bytes, commentary_path, edit, frame_name,
                        make_frame, view_frame)
from main_window import MESSAGE_WINDOW, RED, search_config
from settings import READ_TITLES

SETTINGS_BARS = (1015, 1016)


def rounded(value):
    return math.floor(value + 0.5)


def expected_scale(dpi, screen):
    """The monitor's dpi / 96, made smaller so that 1024 x 760 fits the work area (with no window
    manager on Xvfb, the whole screen), never below 0.75."""
    return max(0.75, min(dpi / 96, screen[0] / 1024, screen[1] / 760))


def check_near(actual, expected, what, slack=1):
    if any(abs(a - e) > slack for a, e in zip(actual, expected)):
        raise ScenarioFailure(f"{what}: expected {expected} (±{slack}), actual {actual}")


def at_scale(rect, scale):
    return tuple(rounded(v * scale) for v in rect)


def edges(rect):
    return rect.left, rect.top, rect.right, rect.bottom


def check_window(s, view, dpi, scale, shot):
    """The window, its fields, labels, fonts, picture and status line at the scale."""
    main = view.main
    window = main.rect
    check_near(edges(window), (0, 0, rounded(1024 * scale), rounded(760 * scale)), f"the window at {dpi} dpi")
    check(window.right <= s.screen[0] and window.bottom <= s.screen[1], f"the window {window} leaves the screen")
    check_near(edges(view.fields[0].rect_in_parent), at_scale((150, 480, 558, 500), scale), "Item's field")
    check_near(edges(view.fields[10].rect_in_parent), at_scale((600, 350, 888, 404), scale), "the defect type's field")
    font = view.fields[0].font()
    check_equal((font["face"], font["height"]), ("Courier New", rounded(16 * scale)), "the fields' font")
    check_near([font["drawn_height"]], [rounded(16 * scale)], "the height the fields' font draws")
    labels = {c["text"]: c for c in view.labels()}
    item = labels["Item:"]
    check_near(edges(Rect(item["in_parent"])), at_scale((5, 480, 45, 496), scale), "the label Item:")
    heading = [c for c in main.children() if c["text"] == "The additional commentary"][0]
    bold = Window(s, heading["hwnd"]).font()
    check_equal((bold["height"], bold["weight"]), (rounded(18 * scale), 900), "the headings' font")
    check_near(edges(Rect(view.picture()["in_parent"])), at_scale((5, 30, 522, 452), scale), "the picture window")

    # Nothing overlaps: the status line's strip lies below the lowest field, inside the window.
    client = main.client_rect
    strip_top = client.height - rounded(20 * scale)
    check(strip_top >= rounded(654 * scale), f"the status line at {strip_top} overlaps the note (client {client})")
    check(view.bar.rect_in_parent.right <= client.width, "the scroll bar leaves the client area")
    # Red (nothing answers) where the line starts at the scale, as wide as its text at the scale
    # ("IP address = 127.0.0.1" is 132 pixels at 96 dpi).
    run = poll(lambda: status_run(s, main, scale), 5, "the status line's strip at its place")
    check(0.85 <= run / (132 * scale) <= 1.15, f"the status line is {run} pixels wide at scale {scale:.3f}")
    check_picture_at(view, scale)
    main.screenshot(shot)
    print(f"{dpi} dpi on {s.screen[0]} x {s.screen[1]}: scale {scale:.3f}, window {window.width} x {window.height}, "
          f"client {client.width} x {client.height}, status line {run} pixels wide")


def status_run(s, main, scale):
    """How many pixels of the status line's top row, from its scaled left edge, are red."""
    shot = s.capture()
    origin = main.info()["client_origin"]
    y = origin["y"] + main.client_rect.height - rounded(20 * scale)
    run = 0
    for x in range(origin["x"] + rounded(5 * scale), origin["x"] + rounded(400 * scale)):
        if shot.pixel(x, y) != RED:
            break
        run += 1
    return run


def check_picture_at(view, scale):
    """The frame drawn at the scale: the margin grey, column 300 of the picture at 5 + 161 * 506 /
    501 pixels, the picture ending 506 x 411 pixels after its margin (all times the scale)."""
    left, right = STRIPES[1]
    split, end_x, end_y, y = (rounded(v * scale) for v in (5 + 161 * 506 / 501, 5 + 506, 5 + 411, 200))
    points = {(rounded(2 * scale), y): GREY, (split - 4, y): left, (split + 4, y): right, (end_x - 4, y): right,
              (end_x + 3, y): GREY, (rounded(100 * scale), end_y - 4): left, (rounded(100 * scale), end_y + 3): GREY}
    for (point, expected), colour in zip(points.items(), view.picture_pixels(points)):
        check(all(abs(a - b) <= 40 for a, b in zip(colour, expected)),
              f"picture pixel {point} at scale {scale:.3f}: {colour}, expected {expected}")


def on_screen(s, dpi, screen, search=False):
    """Pelorin started on a screen of `screen` pixels at `dpi`, the first frame shown and its
    commentary open for editing; with `search`, what the driver saw of the start-up search's
    window too."""
    s.restart(screen=screen, dpi=dpi)
    for number in (1, 2):
        make_frame(s.path("FRAMES/" + frame_name(number)), number)
    s.write_config(search_config(ENGLISH, TEST_ADDRESS, 1 if search else 0))
    s.start()
    watched = []
    if search:
        watched.append(s.driver.request("watch_child", id=MESSAGE_WINDOW, wait=30))
    view = FrameView(s, s.main_window())
    view_frame(s, view, 1)
    edit(view)
    return view, (watched[0] if watched else None)


def frame_numbers_dialog(s, main, dpi):
    """Read > Frames: the list's font at the dialog's dpi; the dialog's client size."""
    dialog = open_dialog(s, main, ID_READ_FRAMES, "Frames reading")
    contents = dialog.child(1004).listbox(items=True)["contents"]
    check_equal(contents["font"]["height"], rounded(16 * dpi / 96), f"the frame numbers' font at {dpi} dpi")
    column = contents["first_item"]["right"] - contents["first_item"]["left"]
    check(column >= contents["widest_text"], f"columns of {column} pixels for items of {contents['widest_text']}")
    check(contents["last_item"]["right"] <= contents["client"]["right"], "the last column is cut")
    client = dialog.client_rect
    dialog.screenshot(f"scale-{dpi}dpi-read-frames")
    close(dialog, IDCANCEL)
    return client.width, client.height


def check_screens(s, dpi, screens, dialogs=None):
    """The window on each screen at `dpi`; with `dialogs` (a dict), the frame numbers' dialog on
    the first one too, its client size kept there under the dpi."""
    commentary_path(s, 1).write_bytes(commentary_bytes(SAVED))
    for screen in screens:
        scale = expected_scale(dpi, screen)
        view, _ = on_screen(s, dpi, screen)
        check_window(s, view, dpi, scale, f"scale-{dpi}dpi-{screen[0]}x{screen[1]}")
        if dialogs is not None and dpi not in dialogs:
            dialogs[dpi] = frame_numbers_dialog(s, view.main, dpi)
        exit_through_menu(s, view.main)


def scenario_at_144_dpi(s):
    """At 144 dpi on 2560 x 1440 the window is 1.5 times its size, the start-up search's window
    too; told that it moved to a monitor of 192 dpi, it lays itself out again at that scale (1440
    high: 1.89), and back at 144. A dialog's own progress bars at its dpi. On 1920 x 1080 and
    1280 x 720 the window is made smaller to fit."""
    commentary_path(s, 1).write_bytes(commentary_bytes(SAVED))
    view, search = on_screen(s, 144, (2560, 1440), search=True)
    check(search["found"], "no search window")
    check_near((search["rect"]["right"] - search["rect"]["left"], search["rect"]["bottom"] - search["rect"]["top"]),
               (660, 240), "the search window's size")
    check_window(s, view, 144, 1.5, "scale-144dpi-2560x1440")

    # Another monitor: as Windows suggests, the window where it was, 192 / 144 times its size.
    window = view.main.rect
    moved = Rect({"left": 0, "top": 0, "right": window.width * 4 // 3, "bottom": window.height * 4 // 3})
    view.main.dpi_changed(192, moved)
    scale = expected_scale(192, s.screen)
    poll(lambda: abs(view.main.rect.height - rounded(760 * scale)) <= 1, 5, "the window laid out at 192 dpi")
    check_window(s, view, 192, scale, "scale-moved-to-192dpi-2560x1440")
    view.main.dpi_changed(144, window)
    poll(lambda: abs(view.main.rect.height - 1140) <= 1, 5, "the window laid out at 144 dpi again")
    check_window(s, view, 144, 1.5, "scale-moved-back-to-144dpi-2560x1440")
    check_equal(view.texts(), SAVED, "the commentary across the moves")
    exit_through_menu(s, view.main)

    # A dialog from its template, with bars of its own placed at its dpi (15 and 40 pixels at 96).
    device = s.path("device")
    device.mkdir()
    for name in ("fds.sdb", "fdc.sdb"):
        (device / name).write_bytes(b"settings " * 50000)  # long enough to look at the dialog
    with Detector(s, TEST_ADDRESS, root=device):
        main, _ = start_main_window(s, ENGLISH)
        dialog = open_dialog(s, main, ID_READ_SETTINGS, READ_TITLES[ENGLISH])
        s.snapshot("scale-144dpi-read-settings", dialog)
        client = dialog.client_rect
        bars = [dialog.child(i).rect_in_parent for i in SETTINGS_BARS]
        for bar in bars:
            check_near((bar.left, client.width - bar.right, bar.height), (23, 23, 60), "a progress bar at 144 dpi")
        dialog.wait_gone(20)
        exit_through_menu(s, main)

    check_screens(s, 144, [(1920, 1080), (1280, 720)])


def scenario_at_192_and_96_dpi(s):
    """At 192 dpi on 2560 x 1440, 1920 x 1080 and 1280 x 720 the window is made smaller to fit each
    (1.89, 1.42, 0.95); at 96 dpi on 1280 x 720 too (0.95). The frame numbers' dialog at 192 and
    96 dpi: its template and the list's font at the dpi."""
    dialogs = {}
    check_screens(s, 192, [(2560, 1440), (1920, 1080), (1280, 720)], dialogs)
    check_screens(s, 96, [(1280, 720)], dialogs)
    ratio = dialogs[192][0] / dialogs[96][0], dialogs[192][1] / dialogs[96][1]
    check(all(1.7 <= r <= 2.3 for r in ratio), f"the frame numbers' dialog at 192 dpi is {ratio} times its size at 96")

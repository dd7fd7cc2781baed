"""The frame view and its commentary: the picture window and its crop, the labels in each
language, the commentary file written when editing ends and read when a frame is shown, and the
View and Edit frame commands with the open-file dialog."""

from common import (ENGLISH, ID_EDIT_FRAMES, ID_VIEW_FRAMES, choose_file, exit_through_menu, open_file_dialog,
                    start_main_window)
from e2e import check, check_equal, near, poll, windows_path, write_png


def scenario_explore(s):
    write_png(s.path("FRAMES/2026_12_08-10-00~001.png"), 640, 480, lambda x, y: (200, 0, 0) if x < 139 else (0, 200, 0))
    write_png(s.path("FRAMES/2026_12_08-10-00~002.png"), 640, 480, lambda x, y: (200, 0, 0) if x < 139 else (0, 0, 200))
    main, config = start_main_window(s, ENGLISH)
    main.command(ID_VIEW_FRAMES)
    dialog = open_file_dialog(s, main)
    print([ (c["class"], c["id"], c["text"]) for c in dialog.children()])
    dialog.screenshot("fv-dialog")
    choose_file(s, main, windows_path(s.path("FRAMES/2026_12_08-10-00~002.png")), dialog)
    main.screenshot("fv-view")
    print([ (c["class"], c["id"], c["text"], c["visible"]) for c in main.children()])
    exit_through_menu(s, main)

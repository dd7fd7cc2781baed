"""What the scenarios share: Pelorin's ids, its texts per language, and small steps."""

from e2e import IDOK, check_equal, poll

# Commands and controls (src/res/resource.h).
ID_READ_SETTINGS = 32771
ID_READ_FRAMES = 32772
ID_VIEW_SETTINGS = 32774
ID_EXIT = 32777
ID_VIEW_FRAMES = 32778
ID_EDIT_SETTINGS = 32787
ID_EDIT_FRAMES = 32788
ID_PRINT = 32800
ID_SELECT_LANGUAGE = 32796
ID_ABOUT = 32798
RADIO_BUTTONS = {0: 1023, 1: 1024, 2: 1025}
ABOUT_VERSION = 1027
ABOUT_COPYRIGHT = 1026

RUSSIAN, ENGLISH, TURKISH = 0, 1, 2
LANGUAGE_NAMES = {RUSSIAN: "russian", ENGLISH: "english", TURKISH: "turkish"}

CAPTIONS = {
    RUSSIAN: "Pelorin, версия 2.04",
    ENGLISH: "Pelorin, version 2.04",
    TURKISH: "Pelorin, versiyon 2.04",
}
MENU_BARS = {
    RUSSIAN: ["Вид", "Чтение", "Запись", "Правка", "Настройки", "Помощь"],
    ENGLISH: ["View", "Read", "Write", "Edit", "Settings", "Help"],
    TURKISH: ["Gorunum", "Oku", "Yaz", "Duzen", "Ayarlar", "Help"],
}
LANGUAGE_DIALOG_TITLES = {RUSSIAN: "Выбор языка", ENGLISH: "Select language", TURKISH: "Dil Secimi"}
ABOUT_TITLES = {RUSSIAN: "О программе", ENGLISH: "About program", TURKISH: "About program"}
ABOUT_VERSIONS = {
    RUSSIAN: "Программа Pelorin, версия 2.04",
    ENGLISH: "Program Pelorin, version 2.04",
    TURKISH: "Program Pelorin, versiyon 2.04",
}

TEST_ADDRESS = "127.0.0.1"


def test_config(language, extra=""):
    """A Pelorin.cfg as a person might write it: not in the program's own layout, so that any
    rewrite by the program shows."""
    return (f"; Pelorin.cfg written by a test\r\n[SYSTEM]\r\nLANGUAGE_DEFAULT={language}\r\n"
            f"IP_ADDRESS = {TEST_ADDRESS}\r\nSTARTUP_SEARCH_FLAG = 0\r\n{extra}")


def start_main_window(s, language, extra=""):
    """Writes the configuration, starts Pelorin and returns its main window and the config bytes."""
    config = s.write_config(test_config(language, extra))
    s.start()
    return s.main_window(), config


def expect_language_shown(main, language):
    """Caption and menu bar of the main window are in the language (the menu's fallback is Russian)."""
    menu_language = language if language in MENU_BARS else RUSSIAN
    text_language = language if language in CAPTIONS else RUSSIAN
    poll(lambda: main.text == CAPTIONS[text_language], 5, f"the caption {CAPTIONS[text_language]!r}")
    check_equal(main.menu_bar(), MENU_BARS[menu_language], "the menu bar")


def exit_through_menu(s, main):
    main.command(ID_EXIT)
    check_equal(s.wait_exit(), 0, "the exit code after View > Exit")


# The open-file dialog: its file name box (a combo box in the explorer-style dialog).
OPEN_FILE_NAME = 1148


def open_file_dialog(s, owner):
    """The open-file dialog that a command opened over `owner`, once its name box is there."""
    dialog = s.dialog(owner)
    dialog.child(OPEN_FILE_NAME, wait=10)
    return dialog


def choose_file(s, owner, path, dialog=None):
    """Types a full Windows path into the open-file dialog and presses Open."""
    dialog = dialog or open_file_dialog(s, owner)
    dialog.child(OPEN_FILE_NAME).set_text(path)
    dialog.press(IDOK)
    dialog.wait_gone()

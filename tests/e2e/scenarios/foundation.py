"""The application frame: start without configuration, log, exit paths, languages, About."""

from datetime import datetime

from common import (ABOUT_COPYRIGHT, ABOUT_TITLES, ABOUT_VERSION, ABOUT_VERSIONS, CAPTIONS, ENGLISH, ID_ABOUT,
                    ID_EDIT_SETTINGS, ID_SELECT_LANGUAGE, ID_VIEW_SETTINGS, LANGUAGE_DIALOG_TITLES, LANGUAGE_NAMES,
                    MENU_BARS, RADIO_BUTTONS, RUSSIAN, TEST_ADDRESS, TURKISH, exit_through_menu,
                    expect_language_shown, open_dialog, start_main_window)
from e2e import (IDCANCEL, IDOK, VK_ESCAPE, VK_RETURN, Stamped, check, check_equal, check_stamps_within,
                 match_log, poll)

WS_SYSMENU = 0x00080000
SS_TYPEMASK, SS_ICON = 0x1F, 0x03

START_ENTRIES = [b"\r\n", Stamped(b"Start Pelorin\r\n\r\n")]
STOP_ENTRIES = [b"\r\n", Stamped(b"Stop Pelorin\r\n\r\n")]


# ---- start and end

def scenario_missing_configuration(s):
    """No Pelorin.cfg: one Russian message box, exit code 1, no log, no main window."""
    s.start()
    box = s.message_box()
    check_equal(box.message, "Файл конфигурации не открыт!\nВыход из программы.", "the message")
    check_equal(box.title, "Pelorin", "the message box's caption")
    check_equal(box.count, 1, "message boxes shown")
    check_equal(sorted(box.buttons), [IDOK], "the message box's buttons")
    icons = [c for c in box.children() if c["class"] == "Static" and c["visible"]
             and c["style"] & SS_TYPEMASK == SS_ICON]
    check(len(icons) == 1, "the message box shows no icon")
    others = [(w["class"], w["text"]) for w in s.windows() if w["hwnd"] != box.hwnd]
    check_equal(others, [], "other windows of the program while the message shows")
    box.screenshot("missing-configuration-message")
    box.press(IDOK)
    check_equal(s.wait_exit(), 1, "the exit code")
    check_equal(sorted(p.name for p in s.path("LOG").iterdir()), [], "files in LOG")
    check(not s.path("Pelorin.cfg").exists(), "Pelorin.cfg was created")


def scenario_log_of_a_normal_run(s):
    """The log gets its start lines at start-up and its stop lines at View > Exit, appended to
    what is there; the configuration stays as it was; exit code 0."""
    earlier = b"12:00:00 01/01/2020 an earlier run\r\n"
    s.path("LOG/Pelorin.LOG").write_bytes(earlier)
    main, config = start_main_window(s, RUSSIAN)
    log = s.log()
    check(log.startswith(earlier), f"the earlier log content is gone: {log[:60]!r}")
    match_log(log[len(earlier):], START_ENTRIES)
    exit_through_menu(s, main)
    ended = datetime.now()
    stamps = match_log(s.log()[len(earlier):], START_ENTRIES + STOP_ENTRIES)
    check_stamps_within(stamps, s.started_at, ended)
    check_equal(s.read_bytes("Pelorin.cfg"), config, "Pelorin.cfg after a run that changed nothing")


def scenario_escape_ends_program(s):
    """Escape pressed by the user on the main window just after start ends the program with 0."""
    main, config = start_main_window(s, RUSSIAN)
    target = s.press_key(VK_ESCAPE)
    check_equal(s.wait_exit(), 0, f"the exit code after Escape (the key went to window {target}, "
                                  f"the main window is {main.hwnd})")
    match_log(s.log(), START_ENTRIES + STOP_ENTRIES)
    check_equal(s.read_bytes("Pelorin.cfg"), config, "Pelorin.cfg after Escape")


def scenario_escape_after_a_dialog(s):
    """Back on the main window after a dialog, Escape still ends the program."""
    main, _ = start_main_window(s, ENGLISH)
    about = open_dialog(s, main, ID_ABOUT)
    about.press(IDOK)
    about.wait_gone()
    poll(lambda: s.focus()["active"] == main.hwnd, 5, "the main window active again")
    target = s.press_key(VK_ESCAPE)
    check_equal(s.wait_exit(), 0, f"the exit code after Escape (the key went to window {target}, "
                                  f"the main window is {main.hwnd})")


# ---- the main window in each language

def check_main_window(s, language, background=(192, 192, 192)):
    main, config = start_main_window(
        s, language, "" if background == (192, 192, 192) else "BACKGROUND_COLOR = %d,%d,%d\r\n" % background)
    expect_language_shown(main, language)
    rect = main.rect
    check_equal((rect.left, rect.top, rect.width, rect.height), (0, 0, 1024, 760), "the main window's place and size")
    check(main.visible, "the main window is hidden")
    # The items no command enables are greyed in every language.
    for command in (ID_VIEW_SETTINGS, ID_EDIT_SETTINGS):
        check(main.menu_item(command)["grayed"], f"menu item {command} is not greyed")
    path, shot = main.screenshot(f"main-window-{LANGUAGE_NAMES.get(language, language)}")
    # The client area is painted in the configured background colour.
    origin = main.info()["client_origin"]
    client = main.client_rect
    x, y = origin["x"] + client.width // 2, origin["y"] + client.height // 2
    check_equal(shot.pixel(x, y), background, f"the colour in the middle of the client area ({path})")
    exit_through_menu(s, main)
    check_equal(s.read_bytes("Pelorin.cfg"), config, "Pelorin.cfg")


def scenario_main_window_russian(s):
    check_main_window(s, RUSSIAN)


def scenario_main_window_english(s):
    check_main_window(s, ENGLISH, background=(200, 220, 240))


def scenario_main_window_turkish(s):
    check_main_window(s, TURKISH)


# ---- choosing the language

def radio_states(dialog):
    return {language: dialog.child(button).checked for language, button in RADIO_BUTTONS.items()}


def scenario_choose_another_language(s):
    """English to Turkish with radio + OK: caption and menu change at once; Pelorin.cfg is
    rewritten in the program's layout at exit."""
    main, config = start_main_window(s, ENGLISH)
    dialog = open_dialog(s, main, ID_SELECT_LANGUAGE, LANGUAGE_DIALOG_TITLES[ENGLISH])
    check_equal(radio_states(dialog), {RUSSIAN: False, ENGLISH: True, TURKISH: False}, "the radio buttons on opening")
    check_equal([dialog.child(RADIO_BUTTONS[n]).text for n in (RUSSIAN, ENGLISH, TURKISH)],
                ["Русский", "English", "Turkce"], "the radio buttons' labels")
    dialog.child(RADIO_BUTTONS[TURKISH]).click()
    poll(lambda: radio_states(dialog) == {RUSSIAN: False, ENGLISH: False, TURKISH: True}, 5,
         "only the Turkish radio button checked")
    dialog.screenshot("language-dialog")
    dialog.press(IDOK)
    dialog.wait_gone()
    expect_language_shown(main, TURKISH)
    main.screenshot("main-window-after-choosing-turkish")
    check_equal(s.read_bytes("Pelorin.cfg"), config, "Pelorin.cfg before the exit")
    exit_through_menu(s, main)
    check_equal(s.read_bytes("Pelorin.cfg"), s.canonical_config(LANGUAGE_DEFAULT=2, IP_ADDRESS=TEST_ADDRESS),
                "Pelorin.cfg rewritten at exit")
    # The log says how the configuration was saved: by replacing the file.
    saved = Stamped("Конфигурация программы сохранена (файл заменён).\r\n".encode("cp1251"))
    match_log(s.log(), START_ENTRIES + [saved] + STOP_ENTRIES)


def scenario_same_language_again(s):
    """OK on the language already in use still rewrites Pelorin.cfg at exit."""
    main, _ = start_main_window(s, RUSSIAN)
    dialog = open_dialog(s, main, ID_SELECT_LANGUAGE, LANGUAGE_DIALOG_TITLES[RUSSIAN])
    check_equal(radio_states(dialog), {RUSSIAN: True, ENGLISH: False, TURKISH: False}, "the radio buttons on opening")
    dialog.press(IDOK)
    dialog.wait_gone()
    expect_language_shown(main, RUSSIAN)
    exit_through_menu(s, main)
    check_equal(s.read_bytes("Pelorin.cfg"), s.canonical_config(LANGUAGE_DEFAULT=0, IP_ADDRESS=TEST_ADDRESS),
                "Pelorin.cfg rewritten at exit")


def scenario_cancel_changes_nothing(s):
    """Another radio button, then Cancel: same caption and menu, Pelorin.cfg byte-identical."""
    main, config = start_main_window(s, RUSSIAN)
    dialog = open_dialog(s, main, ID_SELECT_LANGUAGE, LANGUAGE_DIALOG_TITLES[RUSSIAN])
    dialog.child(RADIO_BUTTONS[ENGLISH]).click()
    poll(lambda: dialog.child(RADIO_BUTTONS[ENGLISH]).checked, 5, "the English radio button checked")
    dialog.press(IDCANCEL)
    dialog.wait_gone()
    expect_language_shown(main, RUSSIAN)
    exit_through_menu(s, main)
    check_equal(s.read_bytes("Pelorin.cfg"), config, "Pelorin.cfg after Cancel")


def scenario_language_out_of_range(s):
    """LANGUAGE_DEFAULT = 7: Russian texts and menu, no radio button checked; OK keeps 7, and the
    rewritten Pelorin.cfg says 7."""
    main, _ = start_main_window(s, 7)
    expect_language_shown(main, 7)
    dialog = open_dialog(s, main, ID_SELECT_LANGUAGE, LANGUAGE_DIALOG_TITLES[RUSSIAN])
    check_equal(radio_states(dialog), {RUSSIAN: False, ENGLISH: False, TURKISH: False}, "the radio buttons on opening")
    dialog.press(IDOK)
    dialog.wait_gone()
    expect_language_shown(main, 7)
    exit_through_menu(s, main)
    check_equal(s.read_bytes("Pelorin.cfg"), s.canonical_config(LANGUAGE_DEFAULT=7, IP_ADDRESS=TEST_ADDRESS),
                "Pelorin.cfg rewritten at exit")


# ---- About

def check_about(s, language):
    """Title and version line in the language; Enter, Escape and OK each close it, and nothing
    changes."""
    main, config = start_main_window(s, language)
    for close in ("Enter", "Escape", "OK"):
        about = open_dialog(s, main, ID_ABOUT, ABOUT_TITLES[language])
        check_equal(about.child(ABOUT_VERSION).text, ABOUT_VERSIONS[language], "the version line")
        check(about.child(ABOUT_COPYRIGHT).text.strip() != "", "the copyright line is empty")
        check(not about.info()["style"] & WS_SYSMENU, "the About dialog has a system menu")
        if close == "Enter":
            about.screenshot(f"about-{LANGUAGE_NAMES[language]}")
            s.press_key(VK_RETURN)
        elif close == "Escape":
            s.press_key(VK_ESCAPE)
        else:
            about.press(IDOK)
        about.wait_gone()
        check(s.still_running(timeout=0.2), f"the program ended after closing About with {close}")
    check_equal(main.text, CAPTIONS[language], "the caption after About")
    check_equal(main.menu_bar(), MENU_BARS[language], "the menu bar after About")
    exit_through_menu(s, main)
    check_equal(s.read_bytes("Pelorin.cfg"), config, "Pelorin.cfg after About")


def scenario_about_russian(s):
    check_about(s, RUSSIAN)


def scenario_about_english(s):
    check_about(s, ENGLISH)


def scenario_about_turkish(s):
    check_about(s, TURKISH)

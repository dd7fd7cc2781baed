"""The program always ends: closed by another program or ended with the Windows session while a
slow detector answers a transfer, while a notice or the summary of a transfer waits to be read,
or during the start-up search's result pause. The file under way is finished (a close) or given up
(the session's end), nothing more is started, and the process ends with its last window, with
"Stop Pelorin" as the log's last line and Pelorin.cfg rewritten only when it changed."""

import time

from common import (ENGLISH, ID_READ_FRAMES, ID_READ_SETTINGS, ID_WRITE_DEFAULT_SETTINGS, IDYES, WM_ENDSESSION,
                    WM_QUERYENDSESSION, Detector, choose_language, close, containing, message, open_dialog,
                    random_bytes, start_main_window)
from e2e import IDOK, check, check_equal, poll
from frame_view import FrameView, commentary_bytes, commentary_path, edit, frame_name, make_frame, view_frame
from main_window import MESSAGE_WINDOW, search_config
from read_frames import SLOW_PACKETS_MS, TEXTS, Transfer, pick

WM_CLOSE = 0x0010
SESSION_END_LIMIT = 1.5  # WM_ENDSESSION returns within it: Windows ends the program soon after
EXIT_LIMIT = 2.0         # the process ends within it once its last window is gone


def log_lines(s):
    """The log's entries, in order, without the blank ones."""
    return [line for line in (s.log() or b"").decode("cp1251").split("\r\n") if line.strip()]


def check_stopped_last(s, what):
    """One "Stop Pelorin" line, and nothing logged after it."""
    lines = log_lines(s)
    check_equal(sum("Stop Pelorin" in line for line in lines), 1, f"stop lines in the log {what}")
    check(lines[-1].endswith("Stop Pelorin"), f"the log's last line {what}: {lines[-3:]}")


def check_ends_with_its_windows(s, what):
    """The program's windows go, and the process ends within EXIT_LIMIT of the last, with code 0."""
    poll(lambda: not s.windows(visible=0), 30, f"the program's windows gone {what}")
    check_equal(s.wait_exit(EXIT_LIMIT), 0, f"the exit code {what}")
    check_stopped_last(s, what)


def end_session(window):
    """The Windows session ends: WM_QUERYENDSESSION answered yes, then WM_ENDSESSION, which must
    return within SESSION_END_LIMIT; returns how long it took."""
    check_equal(window.send(WM_QUERYENDSESSION), 1, "the answer to WM_QUERYENDSESSION")
    started = time.monotonic()
    window.send(WM_ENDSESSION, 1)
    took = time.monotonic() - started
    check(took < SESSION_END_LIMIT, f"WM_ENDSESSION took {took:.2f} s to return")
    return took


def frame_files(s, number):
    """The names in FRAMES that hold (or would hold) frame `number`, temporary ones included."""
    return sorted(p.name for p in s.path("FRAMES").iterdir() if f"~{number:03d}." in p.name)


def editing_a_commentary(s, address, text, confirm_language=False):
    """Pelorin with frame 3 in FRAMES and the detector at `address` (with confirm_language, the
    language dialog confirmed first, so that Pelorin.cfg is to be rewritten): the frame shown, its
    commentary open for editing with `text` typed into its first field. Returns the FrameView
    and the configuration's bytes."""
    make_frame(s.path("FRAMES/" + frame_name(3)), 3)
    main, config = start_main_window(s, ENGLISH, address=address)
    if confirm_language:
        choose_language(s, main, ENGLISH)
    view = FrameView(s, main)
    view_frame(s, view, 3)
    edit(view)
    view.type(0, text)
    return view, config


def start_reading(s, main, frames):
    """Read > Frames with these numbers picked and OK: the Transfer, once frame 2 is coming."""
    dialog = open_dialog(s, main, ID_READ_FRAMES, TEXTS[ENGLISH]["title"])
    pick(dialog, frames)
    dialog.press(IDOK)
    transfer = Transfer(s, dialog)
    transfer.watch("Frame №2")
    return transfer


def scenario_close_during_read_frames(s):
    """Another program closes the main window while frame 2 of 4 comes from a detector that sends
    every packet 250 ms late, the operator's commentary open for editing: frame 2 is finished and
    stored whole, frames 3 and 4 are not asked for, the dialog closes and then the program, as
    Exit: the commentary saved, Pelorin.cfg untouched."""
    address = "127.0.0.61"
    frames = {n: random_bytes(1500, 60 + n) for n in (1, 2, 3, 4)}  # three packets each
    with Detector(s, address, f"--delay={SLOW_PACKETS_MS}", frames=frames) as detector:
        view, config = editing_a_commentary(s, address, "closed while reading")
        transfer = start_reading(s, view.main, frames)
        view.main.send(WM_CLOSE)
        check(s.still_running(0.2), "the program ended in the middle of frame 2")
        transfer.wait_closed()
        check_ends_with_its_windows(s, "after a close during Read > Frames")
        check_equal([r.split()[1] for r in detector.requests()], ["/screenshots/1.png", "/screenshots/2.png"],
                    "the frames asked for")
    for number in (1, 2):
        names = frame_files(s, number)
        check_equal(len(names), 1, f"files of frame {number}: {names}")
        check(s.path("FRAMES/" + names[0]).read_bytes() == frames[number], f"frame {number} is not stored whole")
    check_equal(frame_files(s, 4), [], "files of frame 4")
    log = "\n".join(log_lines(s))
    check("/screenshots/2.png" in log and "/screenshots/3.png" not in log, f"the transfers logged: {log}")
    check_equal(commentary_path(s, 3).read_bytes(), commentary_bytes(["closed while reading"] + [""] * 11),
                "the commentary saved at the close")
    check_equal(s.read_bytes("Pelorin.cfg"), config, "Pelorin.cfg")


def scenario_close_while_a_settings_notice_waits(s):
    """Read > Settings from a detector without fds.sdb: while the message "file fds.sdb - not
    found" waits for OK, another program posts WM_CLOSE to the main window. The message stays
    until it is answered; then fdc.sdb is not read and the program ends."""
    address = "127.0.0.62"
    device = s.path("device")
    device.mkdir()
    (device / "fdc.sdb").write_bytes(random_bytes(300, 62))
    with Detector(s, address, root=device) as detector:
        s.write_config(f"[SYSTEM]\r\nLANGUAGE_DEFAULT=1\r\nIP_ADDRESS = {address}\r\n")
        s.start()
        main = s.main_window()
        config = s.read_bytes("Pelorin.cfg")
        main.command(ID_READ_SETTINGS)
        box = message(s, containing("fds.sdb"), "the notice about fds.sdb", keep=True)
        main.post(WM_CLOSE)
        time.sleep(1.0)
        check(box.exists(), "the notice was closed unread")
        check(s.still_running(0.1), "the program ended while its notice waited")
        close(box)
        check_ends_with_its_windows(s, "after a close during Read > Settings")
        check_equal([r.split()[1] for r in detector.requests()], ["fds.sdb"], "the files asked for")
    check("fdc.sdb" not in "\n".join(log_lines(s)), "a log line about fdc.sdb")
    check_equal(s.read_bytes("Pelorin.cfg"), config, "Pelorin.cfg")


def scenario_close_while_default_settings_are_sent(s):
    """Write > Default settings to a slow detector: a WM_CLOSE posted while fds.sdb goes lets it
    be sent whole, fdc.sdb is not started, and the summary saying so stays until it is read; then
    the program ends."""
    address = "127.0.0.63"
    device = s.path("device")
    device.mkdir()
    s.path("Default").mkdir()
    fds = random_bytes(2000, 63)  # four packets
    s.path("Default/fds.sdb").write_bytes(fds)
    s.path("Default/fdc.sdb").write_bytes(random_bytes(300, 64))
    with Detector(s, address, f"--delay={SLOW_PACKETS_MS}", root=device) as detector:
        s.write_config(f"[SYSTEM]\r\nLANGUAGE_DEFAULT=1\r\nIP_ADDRESS = {address}\r\n")
        s.start()
        main = s.main_window()
        main.command(ID_WRITE_DEFAULT_SETTINGS)
        close(s.message_box(), IDYES)
        poll(lambda: any("WRQ" in text for text in detector.received()), 10, "the first file under way")
        main.post(WM_CLOSE)
        box = message(s, "file fds.sdb - sent, 2000 bytes", "the summary", keep=True, timeout=20)
        time.sleep(1.0)
        check(box.exists(), "the summary was closed unread")
        close(box)
        check_ends_with_its_windows(s, "after a close during Write > Default settings")
        check_equal([t.split()[1] for t in detector.received() if t.startswith("WRQ")], ["/fds.sdb"],
                    "the files sent")
    check_equal((device / "fds.sdb").read_bytes(), fds, "fds.sdb on the detector")


def scenario_session_end_during_read_frames(s):
    """The Windows session ends while frame 2 of 8 comes from a slow detector, a commentary open
    for editing and the language changed: before WM_ENDSESSION returns, the commentary is saved
    without a question, Pelorin.cfg rewritten and "Stop Pelorin" logged; frame 2 is given up (no
    file of it, whole or cut), nothing more is asked for or logged, and the process ends."""
    address = "127.0.0.64"
    frames = {n: random_bytes(1500, 70 + n) for n in range(1, 9)}
    with Detector(s, address, f"--delay={SLOW_PACKETS_MS}", frames=frames) as detector:
        view, _ = editing_a_commentary(s, address, "the session ends", confirm_language=True)
        start_reading(s, view.main, frames)
        end_session(view.main)
        # Windows may end the process from here on: what is to be kept is kept already.
        check_stopped_last(s, "when WM_ENDSESSION returned")
        log_at_end = s.log()
        check_equal(commentary_path(s, 3).read_bytes(), commentary_bytes(["the session ends"] + [""] * 11),
                    "the commentary saved at the end of the session")
        check_equal(s.read_bytes("Pelorin.cfg"), s.canonical_config(LANGUAGE_DEFAULT=ENGLISH, IP_ADDRESS=address),
                    "Pelorin.cfg rewritten at the end of the session")
        check_ends_with_its_windows(s, "after the end of the session during Read > Frames")
        check_equal(s.log(), log_at_end, "the log after WM_ENDSESSION returned")
        asked = [r.split()[1] for r in detector.requests()]
    check_equal(asked, ["/screenshots/1.png", "/screenshots/2.png"], "the frames asked for")
    names = frame_files(s, 1)
    check(len(names) == 1 and s.path("FRAMES/" + names[0]).read_bytes() == frames[1], f"frame 1 stored: {names}")
    check_equal(frame_files(s, 2), [], "files of frame 2, given up")


def scenario_session_end_during_the_search_pause(s):
    """The start-up search finds the detector at .120 and shows it for its second; the Windows
    session ends meanwhile: the adopted address is in Pelorin.cfg and "Stop Pelorin" in the log
    before WM_ENDSESSION returns, and the process ends with exit code 0."""
    detector = Detector(s, "127.0.0.120", "--no-tftp", "--tcp=accept")
    with detector:
        s.write_config(search_config(ENGLISH, "127.0.0.7", 1))
        s.start()
        main = s.wait_window(**{"class": "#32770", "owner": 0, "msgbox": 0})
        main.child(MESSAGE_WINDOW, wait=10)
        time.sleep(0.2)  # the search itself takes a few milliseconds on loopback
        check(main.child(MESSAGE_WINDOW).exists(), "the search window went before the session's end")
        end_session(main)
        check_stopped_last(s, "when WM_ENDSESSION returned")
        check_equal(s.read_bytes("Pelorin.cfg"),
                    s.canonical_config(LANGUAGE_DEFAULT=ENGLISH, IP_ADDRESS="127.0.0.120", STARTUP_SEARCH_FLAG=1),
                    "Pelorin.cfg with the adopted address")
        check_ends_with_its_windows(s, "after the end of the session during the search")

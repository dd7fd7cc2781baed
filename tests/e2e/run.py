#!/usr/bin/env python3
"""Runs the end-to-end harness: prepares the Wine prefix, runs one scenario, runs benchmarks, or
runs the demo.

  run.py prefix   --out BUILD                       create the shared Wine prefix (ctest fixture)
  run.py scenario NAME --source SRC --win-build WIN --out BUILD
                                                    one scenario, NAME = module.name, e.g.
                                                    foundation.missing_configuration
  run.py list                                       the scenarios there are
  run.py bench NAME... | --all | --list --source SRC --win-build WIN --out BUILD
                                                    end-to-end benchmarks (bench_NAME in
                                                    benches/*.py), each in a session of its own,
                                                    in a Wine prefix of their own (BUILD/e2e-bench)
  run.py demo --source SRC --win-build WIN --work DIR --prefix DIR [--display :N] [--auto]
              [--detector-root DIR]                 Pelorin in the folder DIR, for a person to see;
                                                    on a virtual screen it reads the frames the
                                                    detector serves from DIR/screenshots

Must run inside a private network namespace (scripts/in-netns.sh). Environment:
  PELORIN_E2E_DISPLAY     use this X display instead of a private Xvfb
  PELORIN_E2E_KEEP_PREFIX 1: keep a ready prefix from an earlier run instead of making it anew
  PELORIN_E2E_KEEP_WORK   1: keep the working folders of passed scenarios too
"""

import argparse
import importlib.util
import os
import signal
import sys
import time
import traceback
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

import e2e  # noqa: E402
from printer import PdfPrinter  # noqa: E402

SCENARIOS = HERE / "scenarios"
BENCHES = HERE / "benches"
sys.path.insert(0, str(SCENARIOS))
sys.path.insert(1, str(BENCHES))


def load_functions(folder, prefix):
    """[(module, name, function)] for every function <prefix><name> in folder/<module>.py."""
    found = []
    for file in sorted(folder.glob("*.py")):
        module_spec = importlib.util.spec_from_file_location(f"{folder.name}.{file.stem}", file)
        module = importlib.util.module_from_spec(module_spec)
        module_spec.loader.exec_module(module)
        for name in dir(module):
            if name.startswith(prefix) and callable(getattr(module, name)):
                found.append((file.stem, name[len(prefix):], getattr(module, name)))
    return found


def load_scenarios():
    """{"module.name": function} for every scenario_<name> function in scenarios/<module>.py."""
    return {f"{module}.{name}": function for module, name, function in load_functions(SCENARIOS, "scenario_")}


def load_benches():
    """{"name": function} for every bench_<name> function in benches/<module>.py."""
    found = {}
    for module, name, function in load_functions(BENCHES, "bench_"):
        if name in found:
            raise e2e.HarnessError(f"two benchmarks named {name}, one in benches/{module}.py")
        found[name] = function
    return found


def command_prefix(args):
    e2e.require_private_network()
    paths = e2e.Paths(args.source, args.win_build, args.out)
    keep = os.environ.get("PELORIN_E2E_KEEP_PREFIX") == "1"
    started = time.monotonic()
    created = e2e.prepare_prefix(paths.prefix, os.environ.get("PELORIN_E2E_DISPLAY"), reuse=keep)
    verb = "created" if created else "reused"
    print(f"Wine prefix {verb}: {paths.prefix} ({time.monotonic() - started:.1f} s)")
    return 0


def command_scenario(args):
    scenarios = load_scenarios()
    if args.name not in scenarios:
        print(f"no scenario {args.name}; there are: {', '.join(scenarios)}")
        return 2
    paths = e2e.Paths(args.source, args.win_build, args.out)
    started = time.monotonic()
    try:
        with e2e.Session(paths, args.name.replace(".", "-"), os.environ.get("PELORIN_E2E_DISPLAY"),
                         keep_work=os.environ.get("PELORIN_E2E_KEEP_WORK") == "1") as session:
            scenarios[args.name](session)
    except e2e.ScenarioFailure as failure:
        print(f"FAILED {args.name}: {failure}")
        return 1
    except Exception:
        print(f"ERROR in {args.name}:")
        traceback.print_exc(file=sys.stdout)
        return 1
    print(f"passed {args.name} ({time.monotonic() - started:.1f} s)")
    return 0


def command_list(args):
    for name in load_scenarios():
        print(name)
    return 0


def command_bench(args):
    """The benchmarks named (or all), one after another, each in a session of its own; their
    figures on standard output. Non-zero when one of them failed."""
    benches = load_benches()
    if args.list:
        for name, function in benches.items():
            print(f"{name}: {' '.join((function.__doc__ or '').split())}")
        return 0
    names = list(benches) if args.all else args.names
    unknown = [name for name in names if name not in benches]
    if not names or unknown:
        print(f"no benchmark {', '.join(unknown) or 'named'}; there are: {', '.join(benches)}")
        return 2
    e2e.require_private_network()
    paths = e2e.Paths(args.source, args.win_build, args.out)
    display = os.environ.get("PELORIN_E2E_DISPLAY")
    # A prefix of their own: the benchmarks may run while the tests use theirs.
    prefix = paths.out / "e2e-bench" / "wineprefix"
    e2e.prepare_prefix(prefix, display, reuse=True)
    failed = []
    for name in names:
        print(f"\n{name}: {' '.join((benches[name].__doc__ or '').split())}", flush=True)
        started = time.monotonic()
        try:
            with e2e.Session(paths, "bench-" + name.replace("_", "-"), display, prefix=prefix) as session:
                benches[name](session)
        except e2e.ScenarioFailure as failure:
            print(f"FAILED {name}: {failure}")
            failed.append(name)
        except Exception:
            print(f"ERROR in {name}:")
            traceback.print_exc(file=sys.stdout)
            failed.append(name)
        else:
            print(f"  ({time.monotonic() - started:.0f} s)")
    if failed:
        print(f"\nfailed: {', '.join(failed)}")
    return 1 if failed else 0


def detector_frames(root):
    """The frame numbers (1 to 100) the detector's folder holds."""
    if not root:
        return []
    names = (path.stem for path in (Path(root) / "screenshots").glob("*.png"))
    return sorted(int(name) for name in names if name.isdigit() and 1 <= int(name) <= 100)


def read_frames(session, main, numbers):
    """Read > Frames with the numbers picked and OK, as a user would; a screenshot of the dialog
    while it reads; returns once the dialog has closed."""
    from common import ID_READ_FRAMES, open_dialog
    dialog = open_dialog(session, main, ID_READ_FRAMES)
    dialog.child(1004).select_items([number - 1 for number in numbers])
    dialog.press(e2e.IDOK)
    # The progress bars come when the reading starts.
    e2e.poll(lambda: dialog.driver.request("child", hwnd=dialog.hwnd, id=1005)["found"] or not dialog.exists(), 10,
             "the reading to start")
    if dialog.exists():
        session.snapshot("pelorin-reading-frames", dialog)
    dialog.wait_gone(timeout=30 + 2 * len(numbers))


SAMPLE_COMMENTARY = ["Труба Ду 530, шов 12", "08.12.2026", "Иванов И. И.", "14", "Непровар в корне шва,\r\n"
                     "длина около 20 мм", "K-17", "труба", "530-12", "Ст20", "10", "Непровар (Нк)", "Повторный контроль"]


def show_with_commentary(session, main, frame):
    """View > Frames on the frame, Edit > Frames, a sample commentary typed in, and View > Frames
    again, which saves it and shows the frame read-only."""
    from common import ES_READONLY, FIELD_IDS, ID_EDIT_FRAMES, ID_VIEW_FRAMES, choose_file
    choose_file(session, main, ID_VIEW_FRAMES, e2e.windows_path(frame))
    main.command(ID_EDIT_FRAMES)
    fields = [main.child(i) for i in FIELD_IDS]
    e2e.poll(lambda: fields[0].style & ES_READONLY == 0, 10, "the commentary open for editing")
    for field, text in zip(fields, SAMPLE_COMMENTARY):
        field.set_text(text)
    choose_file(session, main, ID_VIEW_FRAMES, e2e.windows_path(frame))
    e2e.poll(lambda: fields[0].style & ES_READONLY != 0 and fields[0].text == SAMPLE_COMMENTARY[0], 10,
             "the frame shown with its commentary")


def print_shown_frame(session, main, printer):
    """View > Print with the print dialog confirmed; the PDF file it made."""
    from common import ID_PRINT, open_dialog
    known = set(printer.pdfs())
    dialog = open_dialog(session, main, ID_PRINT, control=0x482)  # the copies box
    time.sleep(0.3)  # the dialog fills its controls after it shows
    dialog.press(e2e.IDOK)
    return printer.wait_pdf(known=known)


def command_demo(args):
    """Starts Pelorin in the demo folder and shows it. On a virtual screen (or with --auto) it
    reads the detector's frames through Read > Frames, opens the first one with a sample
    commentary, prints it on the demo's PDF printer, saves a screenshot and ends Pelorin through
    View > Exit; on a desktop it waits for the user to close it."""
    from common import ID_EXIT

    e2e.require_private_network()
    paths = e2e.Paths(args.source, args.win_build, args.work)
    work = Path(args.work).resolve()
    desktop = bool(args.display)
    e2e.prepare_prefix(args.prefix, None, reuse=True)
    paths.screenshots = work
    # View > Print prints on a PDF printer of its own, into the working folder.
    printed = work / "PDF"
    with PdfPrinter(printed, device="pelorin-demo") as printer, \
            e2e.Session(paths, "demo", args.display, work=work, prefix=args.prefix, managed=desktop) as session:
        session.write_config(session.canonical_config(IP_ADDRESS=args.address, STARTUP_SEARCH_FLAG=0))
        session.start()
        main = session.main_window(timeout=60)
        print(f"Pelorin is running: {main.text!r} on display {session.display.name}")
        frames = detector_frames(args.detector_root)
        if frames and (not desktop or args.auto):
            before = set((work / "FRAMES").iterdir())
            read_frames(session, main, frames)
            read = sorted(path.name for path in set((work / "FRAMES").iterdir()) - before)
            print(f"Read > Frames: frames {', '.join(str(n) for n in frames)} read into FRAMES: {', '.join(read)}")
            if read:
                show_with_commentary(session, main, work / "FRAMES" / read[0])
                print(f"View > Frames: {read[0]} with a sample commentary, saved beside it as .dat")
                print(f"View > Print: {print_shown_frame(session, main, printer)}")
        shot, _ = session.screenshot("pelorin-main-window", window=main)
        if desktop and not args.auto:
            print("Use it on your desktop; View > Exit (or Escape) ends it.")
            deadline = time.monotonic() + args.minutes * 60
            while session.still_running(timeout=min(60.0, max(deadline - time.monotonic(), 0.1))):
                if time.monotonic() >= deadline:
                    print(f"still running after {args.minutes} minutes: ending it through View > Exit")
                    main.post_command(ID_EXIT)
                    break
        else:
            main.command(ID_EXIT)
        code = session.wait_exit(timeout=30)
    print(f"Pelorin ended with exit code {code}")
    print(f"screenshot: {shot}")
    reading = work / "pelorin-reading-frames.png"
    if reading.is_file():
        print(f"            {reading} (Read > Frames while it reads)")
    print(f"log:        {work / 'LOG' / 'Pelorin.LOG'}")
    print(f"printed:    {printed} (View > Print writes a PDF file there)")
    return 0 if code == 0 else 1


def stop_on_terminate(signal_number, frame):
    # ctest's time-out: leave through the sessions' clean-up (driver, wineserver, Xvfb).
    raise SystemExit(f"ended by signal {signal_number}")


def main():
    signal.signal(signal.SIGTERM, stop_on_terminate)
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    commands = parser.add_subparsers(dest="command", required=True)
    for name in ("prefix", "scenario", "bench", "demo"):
        sub = commands.add_parser(name)
        sub.add_argument("--source", default=str(HERE.parent.parent))
        sub.add_argument("--win-build", default=str(HERE.parent.parent / "build" / "win"))
        if name == "scenario":
            sub.add_argument("name")
        if name == "bench":
            sub.add_argument("names", nargs="*", metavar="NAME")
            sub.add_argument("--all", action="store_true", help="every benchmark in benches/")
            sub.add_argument("--list", action="store_true", help="the benchmarks there are")
        if name == "demo":
            sub.add_argument("--work", required=True)
            sub.add_argument("--prefix", required=True)
            sub.add_argument("--display", default=None, help="a desktop's X display; without it, Xvfb")
            sub.add_argument("--address", default="127.0.0.2", help="the detector's address, on loopback")
            sub.add_argument("--auto", action="store_true", help="end through View > Exit on a desktop too")
            sub.add_argument("--minutes", type=int, default=240, help="how long a desktop run may last")
            sub.add_argument("--detector-root", default=None, help="the folder the detector serves")
        else:
            sub.add_argument("--out", default=str(HERE.parent.parent / "build" / "native"))
    commands.add_parser("list")
    args = parser.parse_args()
    try:
        return {"prefix": command_prefix, "scenario": command_scenario, "list": command_list,
                "bench": command_bench, "demo": command_demo}[args.command](args)
    except e2e.HarnessError as error:
        print(f"e2e harness: {error}")
        return 1


if __name__ == "__main__":
    sys.exit(main())

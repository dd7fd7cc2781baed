#!/usr/bin/env python3
"""Kills the program while it saves, at random instants, and checks that every file is whole.

pelorin-version-writer.exe (version_writer.cpp) stores numbered versions of a commentary, a
frame and Pelorin.cfg through the program's own writers under Wine; it is killed with SIGKILL a
random time after it starts writing. After each kill every file must be exactly one complete
version, the last one confirmed or the one after it, never a mix; anything else left must be a
temporary file of the writer, and the next start (which reports the frame list, the commentary
and the configuration as the program reads them, and the files that pass for commentaries and
configurations, with Windows' own wildcard matching, short names included) must take nothing but
the whole files. Seeded, a few rounds, a few seconds.

  kill_saves.py --source SRC --win-build WIN --out BUILD [--rounds N] [--seed S]

Must run inside a private network namespace (scripts/in-netns.sh) like every run of Wine here.
"""

import argparse
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent))
sys.path.insert(0, str(HERE.parent / "scenarios"))

import e2e  # noqa: E402
from e2e import ScenarioFailure, check, check_equal  # noqa: E402
from frame_view import MAX_LENGTHS, commentary_bytes  # noqa: E402

FRAME = "2026_12_08-10-00~001.png"
FILES = {"commentary": "FRAMES/" + FRAME[:-3] + "dat", "frame": "FRAMES/" + FRAME, "config": "Pelorin.cfg"}
MAX_WRITES = 9999  # versions per round; a round's versions are round * 10000 + 1, + 2, ...
TIME_LIMIT = 60.0  # seconds for all rounds


def temporary_name(name, code):
    """A temporary file of the writer's beside `name` (TemporaryPathFor in src/core/file_store.h):
    the dots made "_", the last five characters "~" and four base-32 digits; as long as the name,
    without an extension."""
    return name[:-5].replace(".", "_") + "~" + code


def is_temporary_name(name, of):
    return re.fullmatch(re.escape(temporary_name(of, "")) + "[0-9a-v]{4}", name) is not None


# Version v of each file, made here independently of the program's writers.

def commentary_of(v):
    return commentary_bytes([(f"{v:07d}-{i:02d} Шов " * 20)[:n] for i, n in enumerate(MAX_LENGTHS)])


def frame_of(v):
    size = 200000 + (v % 5) * 20000
    unit = f"frame {v:07d} ".encode()
    return (b"\x89PNG\r\n\x1a\n" + unit * (size // len(unit) + 1))[:size]


def address_of(v):
    return f"127.{v >> 16 & 255}.{v >> 8 & 255}.{v & 255}"


class KillTest:
    def __init__(self, paths, wine, folder, log):
        self.writer = paths.win_build / "pelorin-version-writer.exe"
        self.default_config = paths.default_config
        self.wine, self.folder, self.log = wine, folder, log
        self.held = {kind: 0 for kind in FILES}  # the version each file holds
        self.left = set()  # temporary files left so far
        for kind in FILES:
            (folder / FILES[kind]).write_bytes(self.bytes_of(kind, 0))

    def bytes_of(self, kind, v):
        if kind == "config":
            return e2e.canonical_config(self.default_config, IP_ADDRESS=address_of(v))
        return commentary_of(v) if kind == "commentary" else frame_of(v)

    def run_writer(self, first, count, kill_after=None):
        """Runs the writer; with kill_after, kills it that many seconds after it says "writing".
        Its lines, split into words."""
        output = self.log / f"writer-{first}.txt"
        # Right after a run has ended, Wine now and then refuses the next start: a few tries.
        for attempt in range(3):
            with open(output, "wb") as out:
                process = subprocess.Popen([self.wine.wine, str(self.writer), str(first), str(count)],
                                           cwd=self.folder, env=self.wine.env, stdin=subprocess.DEVNULL, stdout=out,
                                           stderr=subprocess.STDOUT)
            try:
                e2e.poll(lambda: b"\nwriting" in output.read_bytes() or process.poll() is not None, 30,
                         "the writer to start writing", interval=0.005)
                if kill_after is not None and process.poll() is None:
                    time.sleep(kill_after)
                    process.send_signal(signal.SIGKILL)  # wine64 runs the program in its own process
                code = process.wait(timeout=40)
            finally:
                if process.poll() is None:
                    process.kill()
                    process.wait()
            text = output.read_text(errors="replace")
            if "\nwriting" in text:
                break
            time.sleep(0.5)
        check("\nwriting" in text, f"the writer did not start (exit code {code}): {text[-2000:]!r}")
        check("failed" not in text, f"the writer could not store a version: {text[-200:]!r}")
        check_equal(code, -signal.SIGKILL if kill_after is not None else 0, "the writer's end")
        return [line.split(" ", 2) for line in text.splitlines()]

    def check_restart(self, lines, more_frames=()):
        """What the writer's start found is what the files held: one frame (and `more_frames`),
        one commentary and one configuration, whole versions."""
        found = {line[1]: line[2] if len(line) > 2 else "" for line in lines if line[0] == "found"}
        check_equal(found.get("frames"), "".join(n + "|" for n in sorted([FRAME, *more_frames])),
                    "the frame list after a restart")
        check_equal(found.get("others"), Path(FILES["commentary"]).name + "|Pelorin.cfg|",
                    "the files taken for commentaries and configurations after a restart")
        check_equal(found.get("commentary"), str(self.held["commentary"]), "the commentary read after a restart")
        check_equal(found.get("config"), address_of(self.held["config"]), "the address read from Pelorin.cfg")

    def check_files(self, first, lines):
        """After a kill: each file holds the last version confirmed or the next; returns what
        each holds and which leftover files there are (temporary ones only)."""
        report = {}
        for kind, name in FILES.items():
            confirmed = [int(line[1]) for line in lines if line[0] == kind and len(line) == 2]
            last = confirmed[-1] if confirmed else self.held[kind]
            following = confirmed[-1] + 1 if confirmed else first
            data = (self.folder / name).read_bytes()
            if kind == "commentary":
                check_equal(len(data), 1288, "the size of the commentary file")
            held = [v for v in (last, following) if data == self.bytes_of(kind, v)]
            check(held, f"{name} holds neither version {last} nor {following} whole ({len(data)} bytes)")
            self.held[kind] = held[0]
            report[kind] = "next" if held[0] == following else "confirmed"
        expected = {"Pelorin.cfg", "FRAMES"} | {Path(name).name for name in FILES.values()}
        leftovers = {path.name: path.stat().st_size for folder in (self.folder, self.folder / "FRAMES")
                     for path in folder.iterdir() if path.name not in expected}
        others = [left for left in leftovers if not any(is_temporary_name(left, Path(n).name) for n in FILES.values())]
        check(not others, f"files other than the temporary ones left: {sorted(others)}")
        # Left by this kill: those of earlier kills stay, as nothing of the program removes them.
        fresh = {left: size for left, size in leftovers.items() if left not in self.left}
        self.left |= set(fresh)
        return report, fresh

    def check_no_temporary_name_passes_for_a_file(self):
        """Windows matches a wildcard against a file's 8.3 short name too: "x.png~" (short name
        X~~~~F5I.PNG under Wine) passes for a frame. A temporary file of each kind, as a crash
        would leave it, must pass for none; the next start takes nothing but the files."""
        for name in FILES.values():
            path = self.folder / name
            path.with_name(temporary_name(path.name, "vvvv")).write_bytes(b"left by a crash")
        (self.folder / "FRAMES" / "control.png~").write_bytes(b"not a frame of the program's")
        self.check_restart(self.run_writer(0, 0), more_frames=["control.png~"])


def stop_on_terminate(signal_number, frame):
    # ctest's time-out: leave through the clean-up (the writer, wineserver, Xvfb).
    raise SystemExit(f"ended by signal {signal_number}")


def main():
    signal.signal(signal.SIGTERM, stop_on_terminate)
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--source", required=True)
    parser.add_argument("--win-build", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--rounds", type=int, default=10)
    parser.add_argument("--seed", type=int, default=int(os.environ.get("PELORIN_KILL_SEED", "16")))
    args = parser.parse_args()
    e2e.require_private_network()
    paths = e2e.Paths(args.source, args.win_build, args.out)
    check((paths.prefix / ".pelorin-ready").is_file(), f"the Wine prefix {paths.prefix} is not prepared")
    paths.work_root.mkdir(parents=True, exist_ok=True)
    work = Path(tempfile.mkdtemp(prefix="kill_during_saves-", dir=paths.work_root))
    folder, log = work / "folder", work / "log"
    for made in (folder / "FRAMES", log):
        made.mkdir(parents=True)
    randomness = random.Random(args.seed)
    started = time.monotonic()
    display, wine, passed = None, None, False
    try:
        display = e2e.Display()
        # No printer: nothing listens on a socket in the working folder.
        wine = e2e.Wine(paths.prefix, display, scheduler=work / "cups.sock")
        test = KillTest(paths, wine, folder, log)
        tally, rounds = {}, 0
        while rounds < args.rounds and time.monotonic() - started < TIME_LIMIT:
            rounds += 1
            delay = randomness.uniform(0, 0.4)
            first = rounds * 10000 + 1
            lines = test.run_writer(first, MAX_WRITES, kill_after=delay)
            test.check_restart(lines)
            report, leftovers = test.check_files(first, lines)
            saved = sum(1 for line in lines if line[0] == "commentary" and len(line) == 2)
            print(f"round {rounds}: killed {delay * 1000:.0f} ms into the writing, after {saved} commentaries; "
                  + ", ".join(f"{kind} {test.held[kind]} ({how})" for kind, how in report.items())
                  + "; left: " + (", ".join(f"{name} ({size} bytes)" for name, size in leftovers.items()) or "nothing"))
            for item in [f"{kind} {how}" for kind, how in report.items()] + ["temporary files left"] * len(leftovers):
                tally[item] = tally.get(item, 0) + 1
        test.check_restart(test.run_writer(0, 0))
        test.check_no_temporary_name_passes_for_a_file()
        print(f"MEASURED kill test: {rounds} rounds in {time.monotonic() - started:.1f} s, seed {args.seed}; "
              + ", ".join(f"{name}: {count}" for name, count in sorted(tally.items())))
        passed = True
    except ScenarioFailure as failure:
        print(f"FAILED kill test (seed {args.seed}): {failure}")
    finally:
        if wine:
            wine.kill_server()
        if display:
            display.stop()
        if passed:
            shutil.rmtree(work, ignore_errors=True)
        else:
            print(f"working folder kept: {work}")
    return 0 if passed else 1


if __name__ == "__main__":
    sys.exit(main())

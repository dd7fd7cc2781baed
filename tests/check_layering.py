#!/usr/bin/env python3
"""Checks that every #include in src/ points down the program's layers, or stays beside.

    sys  <-  core  <-  net  <-  mainwnd  <-  frames, settings  <-  app

A folder may include its own files and those of folders below it; frames and settings, which
stand side by side, do not include each other. ui (the windowing layer) and res (resources) stand
beside the Windows-level folders (mainwnd, frames, settings, app), which may include them; ui
includes only itself and sys. The portable folders (sys, core, net) never include ui or res, and
core and net never include <windows.h>. The program-wide state (core/app_state.h) is the
application's: only app includes it; what lies below gets what it needs passed in.

  check_layering.py [SRC]      exit status 1 and one line per wrong include
  check_layering.py --self-test  shows that a wrong include is caught
"""

import re
import sys
import tempfile
from pathlib import Path

RANK = {"sys": 0, "core": 1, "net": 2, "mainwnd": 3, "frames": 4, "settings": 4, "app": 5}
BESIDE = {"ui", "res"}
WINDOWS_LEVEL = {"mainwnd", "frames", "settings", "app"}
NO_WINDOWS_HEADER = {"core", "net"}
SOURCE_SUFFIXES = {".h", ".cpp", ".rc"}
PROGRAM_STATE = "core/app_state.h"
PROGRAM_STATE_READERS = {"app"}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]')


def allowed(folder, target):
    if target == folder:
        return True
    if folder in RANK and target in RANK:
        return RANK[target] < RANK[folder]
    if target in BESIDE:
        return folder in WINDOWS_LEVEL
    if folder == "ui":
        return target == "sys"
    return False


def violations(src):
    found = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in SOURCE_SUFFIXES or not path.is_file():
            continue
        folder = path.relative_to(src).parts[0]
        for number, line in enumerate(path.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            kind, name = match.groups()
            where = f"{path.relative_to(src)}:{number}"
            if kind == "<":
                if folder in NO_WINDOWS_HEADER and name.lower() == "windows.h":
                    found.append(f"{where}: the portable folder {folder} includes <windows.h>")
                continue
            if "/" not in name:
                continue  # a file of the same folder
            target = name.split("/", 1)[0]
            if not allowed(folder, target):
                found.append(f"{where}: {folder} includes {name}, which is not below it")
            elif name == PROGRAM_STATE and folder not in PROGRAM_STATE_READERS:
                found.append(f"{where}: {folder} includes the program-wide state {name}; pass what it needs in")
    return found


def self_test():
    with tempfile.TemporaryDirectory() as scratch:
        src = Path(scratch)
        files = {
            "net/tftp.cpp": '#include "core/log.h"\n#include "sys/sys.h"\n',     # down: fine
            "core/log.cpp": '#include "net/tftp.h"\n',                          # up
            "frames/print.cpp": '#include "mainwnd/main_window.h"\n#include "settings/x.h"\n',  # sideways
            "ui/dialog.cpp": '#include "core/messages.h"\n',                     # ui into core
            "net/probe.cpp": "#include <windows.h>\n",                           # portable
            "app/app.cpp": '#include "ui/dialog.h"\n#include "frames/print.h"\n'   # fine
                           '#include "core/app_state.h"\n',
            "frames/read.cpp": '#include "core/frame_list.h"\n#include "core/app_state.h"\n',  # state
        }
        for name, text in files.items():
            (src / name).parent.mkdir(parents=True, exist_ok=True)
            (src / name).write_text(text)
        found = violations(src)
        expected = ["core/log.cpp:1", "frames/print.cpp:2", "frames/read.cpp:2", "net/probe.cpp:1",
                    "ui/dialog.cpp:1"]
        got = sorted(line.split(": ", 1)[0] for line in found)
        if got != expected:
            print(f"self-test: expected violations at {expected}, found {got}")
            return 1
    print("self-test: wrong includes are caught")
    return 0


def main():
    if sys.argv[1:] == ["--self-test"]:
        return self_test()
    src = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "src"
    found = violations(src)
    for line in found:
        print(line)
    if found:
        return 1
    print(f"every include in {src} points down its layers")
    return 0


if __name__ == "__main__":
    sys.exit(main())

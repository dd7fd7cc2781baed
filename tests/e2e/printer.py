"""A real printer for the scenarios and the demo: a private CUPS with one PDF queue.

cupsd runs with its own configuration and scratch folders and listens only on its file socket,
never on a TCP port. libcups (and so Wine) finds a scheduler at that socket's fixed path, which
also means that only one such cupsd may run on a machine at a time: a lock file is held while
one runs, and while a scenario needs there to be none. Wine re-reads CUPS at every start, so a
program started while the printer is up sees it as its default printer.

The queue prints through cups-pdf into a folder of PDF files. Standard library only; needs root
(cupsd, lpadmin, /etc/cups) and the Debian packages cups, printer-driver-cups-pdf, poppler-utils.
"""

import fcntl
import os
import re
import shutil
import signal
import socket
import subprocess
import tempfile
import time
from pathlib import Path

from e2e import HarnessError, ScenarioFailure, Screenshot

CUPS_SOCKET = Path("/run/cups/cups.sock")
LOCK_FILE = Path("/run/lock/pelorin-cups.lock")
PID_FILE = Path("/run/lock/pelorin-cups.pid")
LOCK_WAIT = 600.0
PPD = Path("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd")
CUPSD_DEFAULTS = Path("/usr/share/cups/cupsd.conf.default")
# cups-pdf reads its settings for the device cups-pdf:/NAME from here.
CUPS_PDF_CONF = "/etc/cups/cups-pdf-{}.conf"
# Clients talk to our cupsd over its socket, whatever else the machine has configured.
CLIENT_ENV = dict(os.environ, CUPS_SERVER=str(CUPS_SOCKET))


def _tool(name):
    path = shutil.which(name) or (f"/usr/sbin/{name}" if os.access(f"/usr/sbin/{name}", os.X_OK) else None)
    if not path:
        raise HarnessError(f"{name} is not installed (scripts/setup.sh installs cups, printer-driver-cups-pdf "
                           "and poppler-utils)")
    return path


def scheduler_answers():
    """True when some cupsd accepts connections on the socket."""
    if not CUPS_SOCKET.exists():
        return False
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as probe:
        probe.settimeout(1.0)
        try:
            probe.connect(str(CUPS_SOCKET))
            return True
        except OSError:
            return False


class _MachineLock:
    """The right to decide whether a scheduler runs on the socket; waits for another holder."""

    def __init__(self):
        self.file = None

    def acquire(self):
        LOCK_FILE.parent.mkdir(parents=True, exist_ok=True)
        self.file = open(LOCK_FILE, "a+")
        deadline = time.monotonic() + LOCK_WAIT
        while True:
            try:
                fcntl.flock(self.file, fcntl.LOCK_EX | fcntl.LOCK_NB)
                return
            except BlockingIOError:
                if time.monotonic() >= deadline:
                    self.release()
                    raise HarnessError(f"{LOCK_FILE} is held by another run for over {LOCK_WAIT:.0f} s")
                time.sleep(0.2)

    def release(self):
        if self.file:
            fcntl.flock(self.file, fcntl.LOCK_UN)
            self.file.close()
            self.file = None


def _stop_orphan():
    """Stops a cupsd that an earlier run of ours started and could not stop (killed outright):
    its pid is in PID_FILE and its command line names one of our scratch folders. Called with
    the lock held, so no live run owns it."""
    try:
        pid = int(PID_FILE.read_text())
        command = Path(f"/proc/{pid}/cmdline").read_bytes().split(b"\0")
    except (OSError, ValueError):
        return
    if not any(b"/pelorin-cups-" in part for part in command) or not command[0].endswith(b"cupsd"):
        return
    os.kill(pid, signal.SIGTERM)
    deadline = time.monotonic() + 15
    while Path(f"/proc/{pid}").exists() and time.monotonic() < deadline:
        time.sleep(0.1)
    PID_FILE.unlink(missing_ok=True)
    for part in command:
        folder = Path(part.decode(errors="replace")).parent
        if folder.name.startswith("pelorin-cups-"):
            shutil.rmtree(folder, ignore_errors=True)


class NoPrinter:
    """While it is entered, no scheduler runs: Wine finds no printer at all."""

    def __init__(self):
        self.lock = _MachineLock()

    def __enter__(self):
        self.lock.acquire()
        _stop_orphan()
        if scheduler_answers():
            self.lock.release()
            raise HarnessError(f"a cupsd that is not ours answers on {CUPS_SOCKET}: stop it first")
        return self

    def __exit__(self, *exc):
        self.lock.release()
        return False


class PdfPrinter:
    """A private cupsd with the queue `queue`, Wine's default printer, writing PDF files into
    `out`. Use it as a context manager: it starts and stops everything itself."""

    def __init__(self, out, queue="Pelorin_PDF", device="pelorin"):
        self.out = Path(out).resolve()
        self.queue = queue
        self.device = device
        self.conf = Path(CUPS_PDF_CONF.format(device))
        self.lock = _MachineLock()
        self.scratch = None
        self.process = None

    # -- life cycle

    def __enter__(self):
        self.lock.acquire()
        try:
            _stop_orphan()
            if scheduler_answers():
                raise HarnessError(f"a cupsd that is not ours answers on {CUPS_SOCKET}: stop it first")
            self._start()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        try:
            if self.process and self.process.poll() is None:
                subprocess.run([_tool("lpadmin"), "-x", self.queue], env=CLIENT_ENV, timeout=20,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                self.process.terminate()
                try:
                    self.process.wait(timeout=15)
                except subprocess.TimeoutExpired:
                    self.process.kill()
                    self.process.wait(timeout=5)
        finally:
            if self.process:
                PID_FILE.unlink(missing_ok=True)
            self.process = None
            self.conf.unlink(missing_ok=True)
            if self.scratch:
                shutil.rmtree(self.scratch, ignore_errors=True)
                self.scratch = None
            self.lock.release()
        return False

    def _start(self):
        # The filters run as the user lp: the scratch folder must be open to it.
        self.scratch = Path(tempfile.mkdtemp(prefix="pelorin-cups-"))
        self.scratch.chmod(0o755)
        for name in ("root", "spool", "cache", "state", "log"):
            (self.scratch / name).mkdir()
        self.out.mkdir(parents=True, exist_ok=True)
        self.out.chmod(0o1777)

        conf = [line for line in CUPSD_DEFAULTS.read_text().splitlines()
                if not re.match(r"\s*(Listen|Port|Browsing|WebInterface|BrowseLocalProtocols)\b", line)]
        # The job history keeps each job's attributes (copies) for job_copies(), written at once.
        conf += [f"Listen {CUPS_SOCKET}", "Browsing No", "WebInterface No", "PreserveJobHistory Yes",
                 "DirtyCleanInterval 0"]
        (self.scratch / "cupsd.conf").write_text("\n".join(conf) + "\n")
        (self.scratch / "cups-files.conf").write_text("\n".join([
            "SystemGroup root lpadmin",
            "PeerCred on",
            f"ServerRoot {self.scratch / 'root'}",
            f"RequestRoot {self.scratch / 'spool'}",
            f"CacheDir {self.scratch / 'cache'}",
            f"StateDir {self.scratch / 'state'}",
            f"ErrorLog {self.scratch / 'log' / 'error_log'}",
            f"AccessLog {self.scratch / 'log' / 'access_log'}",
            f"PageLog {self.scratch / 'log' / 'page_log'}",
        ]) + "\n")
        self.conf.write_text(f"Out {self.out}\nAnonDirName {self.out}\nUserUMask 0000\nAnonUMask 0000\n")

        CUPS_SOCKET.parent.mkdir(parents=True, exist_ok=True)
        self.process = subprocess.Popen(
            [_tool("cupsd"), "-f", "-c", str(self.scratch / "cupsd.conf"), "-s", str(self.scratch / "cups-files.conf")],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        PID_FILE.write_text(str(self.process.pid))
        deadline = time.monotonic() + 20
        while not self._lpstat("-r").startswith("scheduler is running"):
            if self.process.poll() is not None:
                raise HarnessError(f"cupsd ended at start ({self.process.returncode}): {self.error_log()}")
            if time.monotonic() >= deadline:
                raise HarnessError("cupsd does not answer")
            time.sleep(0.05)
        # lpadmin has been seen to fail once right after the scheduler came up: a few tries.
        self._lpadmin(["-p", self.queue, "-E", "-v", f"cups-pdf:/{self.device}", "-P", str(PPD),
                       "-o", "printer-is-shared=false"])
        self._lpadmin(["-d", self.queue])

    def _lpadmin(self, args):
        for attempt in range(5):
            result = subprocess.run([_tool("lpadmin")] + args, env=CLIENT_ENV, timeout=30,
                                    stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
            if result.returncode == 0:
                return
            time.sleep(0.3 * (attempt + 1))
        raise HarnessError(f"lpadmin {' '.join(args)}: {result.stdout.decode(errors='replace')}")

    def _lpstat(self, *args):
        result = subprocess.run([_tool("lpstat")] + list(args), env=CLIENT_ENV, timeout=20,
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        return result.stdout.decode(errors="replace")

    def refuse_jobs(self, refuse=True):
        """The queue rejects new jobs (cupsreject), or takes them again (cupsaccept)."""
        tool = "cupsreject" if refuse else "cupsaccept"
        result = subprocess.run([_tool(tool), self.queue], env=CLIENT_ENV, timeout=20, stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT)
        if result.returncode != 0:
            raise HarnessError(f"{tool} {self.queue}: {result.stdout.decode(errors='replace')}")

    def error_log(self):
        path = self.scratch / "log" / "error_log" if self.scratch else None
        return path.read_text(errors="replace")[-2000:] if path and path.exists() else "(no error log)"

    # -- what was printed

    def clear(self):
        """Empties the output folder (job names and numbers say nothing reliable)."""
        for path in self.out.iterdir():
            if path.is_file():
                path.unlink()

    def pdfs(self):
        return sorted(self.out.glob("*.pdf"))

    def jobs(self):
        """The queue's pending jobs, as lpstat lists them."""
        return [line for line in self._lpstat("-o", self.queue).splitlines() if line.strip()]

    def job_copies(self, jobs, timeout=10.0):
        """How many copies of its document each of the first `jobs` jobs asked the printer for,
        oldest first: the integer attribute "copies" of the job's control file (1 when it has
        none). The scheduler writes the files soon after a job ends: waits for them."""
        deadline = time.monotonic() + timeout
        while True:
            controls = sorted((self.scratch / "spool").glob("c[0-9]*"))
            if len(controls) >= jobs:
                break
            if time.monotonic() >= deadline:
                raise ScenarioFailure(f"{len(controls)} job files after {timeout:.0f} s, not {jobs}")
            time.sleep(0.05)
        copies = []
        for control in controls[:jobs]:
            # IPP: value tag 0x21 (integer), name length 6, "copies", value length 4, value.
            found = re.search(rb"\x21\x00\x06copies\x00\x04(....)", control.read_bytes(), re.S)
            copies.append(int.from_bytes(found.group(1), "big") if found else 1)
        return copies

    def wait_pdf(self, timeout=60.0, known=()):
        """The one PDF of the job just printed (besides the files `known` before it), once the
        queue is empty again (the file appears while ghostscript is still writing it)."""
        deadline = time.monotonic() + timeout
        while True:
            files = [path for path in self.pdfs() if path not in known]
            if files and not self.jobs():
                if len(files) != 1:
                    raise ScenarioFailure(f"one print made {len(files)} files: {[f.name for f in files]}")
                return files[0]
            if time.monotonic() >= deadline:
                raise ScenarioFailure(f"no finished PDF after {timeout:.0f} s (jobs {self.jobs()}, files "
                                      f"{[f.name for f in files]}); cupsd says: {self.error_log()}")
            time.sleep(0.05)


# ---- reading a PDF

class Pdf:
    """A printed document: its pages, their sizes and texts, and pictures of them."""

    def __init__(self, path):
        self.path = Path(path)
        info = subprocess.run([_tool("pdfinfo"), str(self.path)], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              timeout=60).stdout.decode(errors="replace")
        pages = re.search(r"^Pages:\s+(\d+)", info, re.M)
        if not pages:
            raise ScenarioFailure(f"{self.path.name} is not a readable PDF: {info}")
        self.pages = int(pages.group(1))
        self.info = info

    def page_size(self, page):
        """(width, height) in points as the page is seen, its rotation applied."""
        info = subprocess.run([_tool("pdfinfo"), "-f", str(page), "-l", str(page), str(self.path)],
                              stdout=subprocess.PIPE, timeout=60).stdout.decode(errors="replace")
        size = re.search(rf"^Page\s+{page} size:\s+([\d.]+) x ([\d.]+)", info, re.M)
        rotation = re.search(rf"^Page\s+{page} rot:\s+(\d+)", info, re.M)
        width, height = float(size.group(1)), float(size.group(2))
        if rotation and int(rotation.group(1)) % 180 == 90:
            width, height = height, width
        return width, height

    def text(self, page):
        command = [_tool("pdftotext"), "-layout", "-enc", "UTF-8", "-f", str(page), "-l", str(page), str(self.path), "-"]
        return subprocess.run(command, stdout=subprocess.PIPE, timeout=60).stdout.decode("utf-8", "replace")

    def render(self, page, dpi, png=None):
        """The page as an RGB picture to read pixels from, and also as a PNG file if png is given."""
        with tempfile.TemporaryDirectory() as folder:
            stem = Path(folder) / "page"
            common = [_tool("pdftoppm"), "-r", str(dpi), "-f", str(page), "-l", str(page), "-singlefile"]
            subprocess.run(common + [str(self.path), str(stem)], check=True, timeout=120)
            picture = Screenshot(stem.with_suffix(".ppm").read_bytes())
            if png:
                subprocess.run(common + ["-png", str(self.path), str(Path(png).with_suffix(""))], check=True,
                               timeout=120)
        return picture

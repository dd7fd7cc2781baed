"""A real printer for the scenarios and the demo: a private CUPS with one PDF queue.

Each scenario or demo that prints has a scheduler of its own. It listens only on a file socket
of its own, never on a TCP port nor on the system's /run/cups/cups.sock, and keeps its state,
spool, cache, printcap and logs under the working folder (e2e.scheduler_folders says where), so a
system scheduler does not matter and several can run on a machine at once. The session points its
Wine at that socket through libcups' CUPS_SERVER; Wine re-reads CUPS at every start, so a program
started while the printer is up sees its queue as its default printer.

The queue prints through cups-pdf into a folder of PDF files. Standard library only; needs root
(cupsd, lpadmin, /etc/cups) and the Debian packages cups, printer-driver-cups-pdf, poppler-utils.
"""

import ctypes
import hashlib
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
from pathlib import Path

from e2e import HarnessError, ScenarioFailure, Screenshot, file_tail, scheduler_folders

PPD = Path("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd")
CUPSD_DEFAULTS = Path("/usr/share/cups/cupsd.conf.default")
# cups-pdf reads its settings for the device cups-pdf:/NAME from here, whichever scheduler runs it.
CUPS_PDF_CONF = "/etc/cups/cups-pdf-{}.conf"
PR_SET_PDEATHSIG = 1


def _tool(name):
    path = shutil.which(name) or (f"/usr/sbin/{name}" if os.access(f"/usr/sbin/{name}", os.X_OK) else None)
    if not path:
        raise HarnessError(f"{name} is not installed (scripts/setup.sh installs cups, printer-driver-cups-pdf "
                           "and poppler-utils)")
    return path


def _end_with_parent():
    """In the scheduler's process before it runs: it gets SIGTERM when the harness dies, so that
    a killed scenario leaves no scheduler behind."""
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)





class PdfPrinter:
    """A private cupsd with the queue `queue`, Wine's default printer, writing PDF files into
    `out`, a folder in the working folder of the scenario or demo (whose session's Wine looks for
    this scheduler). Use it as a context manager: it starts and stops everything itself."""

    def __init__(self, out, queue="Pelorin_PDF", device="pelorin"):
        self.out = Path(out).resolve()
        self.queue = queue
        self.folder, self.shared = scheduler_folders(self.out.parent)
        self.socket = self.shared / "cups.sock"
        # The device's settings file is shared by every scheduler on the machine: a name of its own.
        self.device = f"{device}-{hashlib.sha256(str(self.folder).encode()).hexdigest()[:12]}"
        self.conf = Path(CUPS_PDF_CONF.format(self.device))
        # The clients talk to this scheduler only, and answer in words the harness reads.
        self.client_env = dict(os.environ, CUPS_SERVER=str(self.socket), LC_ALL="C")
        self.process = None
        self.started = False

    # -- life cycle

    def __enter__(self):
        try:
            self._start()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        try:
            if self.process and self.process.poll() is None:
                subprocess.run([_tool("lpadmin"), "-x", self.queue], env=self.client_env, timeout=20,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                self.process.terminate()
                try:
                    self.process.wait(timeout=15)
                except subprocess.TimeoutExpired:
                    self.process.kill()
                    self.process.wait(timeout=5)
        finally:
            self.process = None
            self.conf.unlink(missing_ok=True)
            if self.started and self.shared != self.folder:
                shutil.rmtree(self.shared, ignore_errors=True)
            self.started = False
        return False

    def _fresh_folder(self, folder):
        """An empty folder that the filters (user lp) may enter. One left under /tmp by an earlier
        run is taken only when it is a real folder of ours."""
        if folder.is_symlink() or (folder.exists() and (not folder.is_dir() or folder.stat().st_uid != os.getuid())):
            raise HarnessError(f"{folder} is in the way and not ours")
        shutil.rmtree(folder, ignore_errors=True)
        try:
            folder.mkdir(mode=0o755)
        except FileExistsError:
            raise HarnessError(f"{folder} cannot be made anew")
        folder.chmod(0o755)

    def _start(self):
        self._fresh_folder(self.folder)
        if self.shared != self.folder:
            self._fresh_folder(self.shared)
        self.started = True
        for folder in (self.folder / "state", self.folder / "cache", self.folder / "log",
                       self.shared / "root", self.shared / "spool", self.shared / "spool" / "tmp"):
            folder.mkdir()
        self.out.mkdir(parents=True, exist_ok=True)
        self.out.chmod(0o1777)

        conf = [line for line in CUPSD_DEFAULTS.read_text().splitlines()
                if not re.match(r"\s*(Listen|Port|Browsing|WebInterface|BrowseLocalProtocols)\b", line)]
        # The job history keeps each job's attributes (copies) for job_copies(), written at once.
        conf += [f"Listen {self.socket}", "Browsing No", "WebInterface No", "PreserveJobHistory Yes",
                 "DirtyCleanInterval 0"]
        (self.folder / "cupsd.conf").write_text("\n".join(conf) + "\n")
        (self.folder / "cups-files.conf").write_text("\n".join([
            "SystemGroup root lpadmin",
            f"ServerRoot {self.shared / 'root'}",
            f"RequestRoot {self.shared / 'spool'}",
            # Under the spool (as /var/spool/cups/tmp), cupsd makes it writable for the filters.
            f"TempDir {self.shared / 'spool' / 'tmp'}",
            f"CacheDir {self.folder / 'cache'}",
            f"StateDir {self.folder / 'state'}",
            f"Printcap {self.folder / 'state' / 'printcap'}",
            f"ErrorLog {self.folder / 'log' / 'error_log'}",
            f"AccessLog {self.folder / 'log' / 'access_log'}",
            f"PageLog {self.folder / 'log' / 'page_log'}",
        ]) + "\n")
        self.conf.write_text(f"Out {self.out}\nAnonDirName {self.out}\nUserUMask 0000\nAnonUMask 0000\n")

        # cupsd's own output (what it says of its configuration, and at start) goes into its log folder.
        output = self.folder / "log" / "cupsd.out"
        command = [_tool("cupsd"), "-c", str(self.folder / "cupsd.conf"), "-s", str(self.folder / "cups-files.conf")]
        with open(output, "wb") as out:
            check = subprocess.run(command + ["-t"], stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT,
                                   timeout=30)
        if check.returncode != 0:
            raise HarnessError(f"cupsd refuses its configuration ({self.folder}): {file_tail(output)}")
        with open(output, "ab") as out:
            self.process = subprocess.Popen(command + ["-f"], stdin=subprocess.DEVNULL, stdout=out,
                                            stderr=subprocess.STDOUT, preexec_fn=_end_with_parent)
        deadline = time.monotonic() + 20
        while not self._lpstat("-r").startswith("scheduler is running"):
            if self.process.poll() is not None:
                raise HarnessError(f"cupsd ended at start ({self.process.returncode}): {file_tail(output)}; "
                                   f"its log: {self.error_log()}")
            if time.monotonic() >= deadline:
                raise HarnessError(f"cupsd does not answer on {self.socket}: {file_tail(output)}")
            time.sleep(0.05)
        # lpadmin has been seen to fail once right after the scheduler came up: a few tries.
        self._lpadmin(["-p", self.queue, "-E", "-v", f"cups-pdf:/{self.device}", "-P", str(PPD),
                       "-o", "printer-is-shared=false"])
        self._lpadmin(["-d", self.queue])
        # What answers on the socket Wine is given is this scheduler, with this queue.
        default = self._lpstat("-d").strip()
        if default != f"system default destination: {self.queue}":
            raise HarnessError(f"the scheduler on {self.socket} says {default!r}, not that {self.queue} is its default")

    def _lpadmin(self, args):
        for attempt in range(5):
            result = subprocess.run([_tool("lpadmin")] + args, env=self.client_env, timeout=30,
                                    stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
            if result.returncode == 0:
                return
            time.sleep(0.3 * (attempt + 1))
        raise HarnessError(f"lpadmin {' '.join(args)}: {result.stdout.decode(errors='replace')}")

    def _lpstat(self, *args):
        result = subprocess.run([_tool("lpstat")] + list(args), env=self.client_env, timeout=20,
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        return result.stdout.decode(errors="replace")

    def refuse_jobs(self, refuse=True):
        """The queue rejects new jobs (cupsreject), or takes them again (cupsaccept)."""
        tool = "cupsreject" if refuse else "cupsaccept"
        result = subprocess.run([_tool(tool), self.queue], env=self.client_env, timeout=20, stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT)
        if result.returncode != 0:
            raise HarnessError(f"{tool} {self.queue}: {result.stdout.decode(errors='replace')}")

    def error_log(self):
        return file_tail(self.folder / "log" / "error_log")

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
            controls = sorted((self.shared / "spool").glob("c[0-9]*"))
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

"""A real spreadsheet program reading a CSV file back: LibreOffice Calc, headless, opening the file
with the import options its text import offers on a double click in the user's locale (the
locale's separator, text in double quotes, UTF-8), then saving it as a flat OpenDocument
spreadsheet whose cells are read here: each as (type, text, formula, value), type "string",
"float", "date" and so on, formula None unless the cell computes one, value the number or date
the cell holds (None for text). Needs Debian's libreoffice-calc-nogui. Standard
library only; must run inside the private network namespace like everything here."""

import shutil
import subprocess
import xml.etree.ElementTree as ElementTree
from pathlib import Path

from e2e import HarnessError

NS = {
    "table": "urn:oasis:names:tc:opendocument:xmlns:table:1.0",
    "office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
    "text": "urn:oasis:names:tc:opendocument:xmlns:text:1.0",
}
# The CSV import filter's options: separator, text delimiter ("), character set (76: UTF-8),
# the first line to read.
QUOTE, UTF8, FIRST_LINE = 34, 76, 1


def _attribute(element, namespace, name, default=None):
    return element.get(f"{{{NS[namespace]}}}{name}", default)


def read_csv(path, separator, work):
    """The cells of the CSV file at `path` as LibreOffice Calc reads it with `separator`: a list
    of rows, each a list of (type, text, formula, value), without the empty cells at the end of a
    row.
    `work` is a folder of the caller's for the program's profile and output."""
    soffice = shutil.which("soffice") or shutil.which("libreoffice")
    if not soffice:
        raise HarnessError("LibreOffice is not installed (scripts/setup.sh installs libreoffice-calc-nogui)")
    work = Path(work).resolve()
    out = work / "spreadsheet"
    shutil.rmtree(out, ignore_errors=True)
    out.mkdir(parents=True)
    options = f"CSV:{ord(separator)},{QUOTE},{UTF8},{FIRST_LINE}"
    result = subprocess.run([soffice, f"-env:UserInstallation=file://{work / 'spreadsheet-profile'}", "--headless",
                             f"--infilter={options}", "--convert-to", "fods", "--outdir", str(out), str(path)],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=180)
    converted = out / (Path(path).stem + ".fods")
    if not converted.is_file():
        raise HarnessError(f"LibreOffice did not read {path} ({result.returncode}): "
                           + result.stdout.decode(errors="replace")[-2000:])
    rows = []
    for row in ElementTree.parse(converted).iter(f"{{{NS['table']}}}table-row"):
        cells = []
        for cell in row.findall("table:table-cell", NS):
            repeated = int(_attribute(cell, "table", "number-columns-repeated", "1"))
            text = "\n".join("".join(p.itertext()) for p in cell.findall("text:p", NS))
            value = _attribute(cell, "office", "date-value") or _attribute(cell, "office", "value")
            read = (_attribute(cell, "office", "value-type"), text, _attribute(cell, "table", "formula"), value)
            cells += [read] * min(repeated, 64)
        while cells and cells[-1] == (None, "", None, None):
            cells.pop()
        if int(_attribute(row, "table", "number-rows-repeated", "1")) > 1000 and not cells:
            continue
        rows.append(cells)
    while rows and not rows[-1]:
        rows.pop()
    return rows

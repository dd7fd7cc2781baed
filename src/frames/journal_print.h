// The journal's Print: the rows handed on as an inspection report in one print job, a table
// on landscape A4 pages first, then each frame's page as View > Print prints it; each copy a
// whole report.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/settings.h"
#include "frames/journal_rows.h"

class MainWindow;

// The print dialog (owned by `owner`), then the report of the rows `chosen` (indices into
// `rows`, in that order). The frames' pages put the fields' boxes where the main window has
// its fields. A job the printer stops is said, with the page it stopped at.
void PrintJournal(HWND owner, const MainWindow& main, const JournalRows& rows, const std::vector<int>& chosen,
                  const std::vector<std::u16string>& titles, const JournalStateTexts& states, LanguageId language);

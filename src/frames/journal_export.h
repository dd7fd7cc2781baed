// The journal's Export: the rows handed on, as a CSV file for the spreadsheet of the user's
// locale, in a file the operator names.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/settings.h"
#include "frames/journal_rows.h"

// Asks for the file (the standard save dialog, "journal.csv" in the program's working folder
// proposed) and writes the rows `chosen` (indices into `rows`, in that order) under the
// column titles `titles`, in one step. A file that cannot be written is said, naming it and
// why, and is left as it was.
void ExportJournal(HWND owner, const JournalRows& rows, const std::vector<int>& chosen,
                   const std::vector<std::u16string>& titles, const JournalStateTexts& states, LanguageId language);

// The texts of the inspection journal (its window, its export and its printed report) in the
// three languages of the program.
#pragma once

#include "core/settings.h"

enum JournalTextId : int {
    kJournalCaption,        // "Journal"
    kJournalFind,           // "Find:"
    kJournalCount,          // "%d of %d frames": rows shown, frames in the folder
    kJournalOpen,
    kJournalExport,
    kJournalPrint,
    kJournalClose,
    kJournalColumnFrame,
    kJournalColumnReadAt,
    kJournalColumnCommentary,
    kJournalColumnFile,
    kJournalNoCommentary,   // the frame has no commentary file
    kJournalUnreadable,     // its commentary file is there but cannot be read
    kJournalCsvFilter,      // the save dialog's file type, "description|pattern"
    kJournalNotExported,    // "The journal was not saved to %s: %s"
    kJournalNoFileMade,     // why: no new file can be made in that folder
    kJournalNotWritten,     // why: the disk took only part of it
    kJournalNotReplaced,    // why: the old file is held open or may not be replaced
    kJournalReportTitle,    // "Inspection journal"
    kJournalReportPrinted,  // "Printed %s, frames: %d"
    kJournalPage,           // "page %d of %d"
    kJournalNotPrinted,     // the printer stopped the report at a page
    kJournalTextCount
};

// The text in `language` (0 Russian, 1 English, 2 Turkish; any other shows the Russian ones,
// as the message table does).
const char16_t* JournalText(LanguageId language, JournalTextId id);

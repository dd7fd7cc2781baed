// The inspection journal's rows: one per frame of the frame list, in its order, with what the
// frame's name says and its commentary as the program's reader reads it. The commentaries are
// read a part at a time, so that the window that shows them never waits long.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/settings.h"
#include "mainwnd/commentary_file.h"
#include "mainwnd/field_layout.h"
#include "sys/sys.h"

// Between the cells of a row's search text: a blank, which no word of a filter holds, so that
// no word is found across two cells.
constexpr char16_t kJournalCellBreak = u'\t';

// The journal's columns, in the order shown.
enum JournalColumn : int {
    kColumnFrame = 0,       // the frame number the name says, empty where it says none
    kColumnReadAt = 1,      // "YYYY-MM-DD HH:MM"
    kColumnCommentary = 2,  // empty, "none" or "cannot be read"
    kColumnFirstField = 3,  // the twelve commentary fields, in record order
    kColumnFile = kColumnFirstField + kFieldCount,
    kJournalColumnCount
};

struct JournalRow {
    std::u16string name;          // the file's name in the frames folder
    int frame = 0;                // 0 when the name says no number
    std::u16string readAt;        // empty until known
    bool read = false;            // whether the commentary has been looked at yet
    CommentaryState state = CommentaryState::Missing;
    // The twelve texts of the commentary, each ended by U+0000 (which no field holds), in one
    // string: a journal of 10,000 rows holds a third less than with twelve strings a row. Empty
    // unless the commentary was read.
    std::u16string fields;
    std::u16string searchText;    // the row's cells as the filter compares them (folded)
};

// Field `index` (record order) of the row's commentary; empty when it was not read.
std::u16string FieldText(const JournalRow& row, int index);
// All twelve.
CommentaryTexts FieldTexts(const JournalRow& row);
void SetFieldTexts(JournalRow* row, const CommentaryTexts& texts);

// The words of the commentary column, in the current language.
struct JournalStateTexts {
    const char16_t* none;        // the frame has no commentary file
    const char16_t* unreadable;  // its file is there but cannot be read
};

// Maps a text to the form in which texts that the user takes for the same compare equal
// (letter case and width ignored, as the user's locale has it).
using TextFold = std::u16string (*)(const std::u16string& text);

struct JournalRows {
    std::u16string folder;  // the frames folder, ending in a backslash
    std::vector<JournalRow> rows;
    size_t read = 0;        // rows read so far: the first `read` ones
    bool Complete() const { return read == rows.size(); }
};

// The rows of the frames named `names` (the frame list) in `folder`: what the names say, at
// once, and that for the filter; nothing read yet.
JournalRows StartJournalRows(const std::u16string& folder, const std::vector<std::u16string>& names,
                             const JournalStateTexts& states, TextFold fold);

// The row of the frame named `name`: what the name says, nothing read yet, no search text.
JournalRow StartJournalRow(const std::u16string& name);

// Reads the commentary of the frame `row` in `folder` (and the last-write time of a name not of
// the program's own making), and makes the row's search text anew. Only reads: nothing in the
// frames folder is written.
void ReadJournalRow(JournalRow* row, const std::u16string& folder, const JournalStateTexts& states, TextFold fold);

// Reads the next rows, until every row is read or sys::MonotonicMs() reaches `untilMs`; at least
// one row when any is left. The count read.
size_t ReadJournalRows(JournalRows* rows, const JournalStateTexts& states, TextFold fold, uint64_t untilMs);

// "2010-03-03 14:05".
std::u16string ReadAtText(const sys::LocalTime& time);

// A field's text as one line: its lines joined by " / ", empty lines left out.
std::u16string OneLine(const std::u16string& text);

// The cell of `column` as the journal shows it.
std::u16string JournalCell(const JournalRow& row, int column, const JournalStateTexts& states);

// The columns' titles in `language`, the fields' from their labels in `messageTexts` (the
// message table of that language).
std::vector<std::u16string> JournalTitles(const char16_t* const* messageTexts, LanguageId language);

// The states' words in `language`.
JournalStateTexts JournalStates(LanguageId language);

// A label of the commentary form as a column title: without its colon and the blanks that pad
// it ("type     :" gives "type").
std::u16string FieldTitle(const std::u16string& label);

// Which of the journal's rows are shown, and in which order: the filter's words, found in any
// cell, and the sort by one column.
#pragma once

#include <string>
#include <vector>

#include "frames/journal_rows.h"

// The blank-separated words of a filter (spaces, tabs, no-break and ideographic spaces).
std::vector<std::u16string> FilterWords(const std::u16string& filter);

// Whether `text` holds every one of `words` (an empty list: yes). Both are folded alike first
// by the caller.
bool HoldsEveryWord(const std::u16string& text, const std::vector<std::u16string>& words);

// The indices of the rows whose search text holds every one of `foldedWords`, in row order
// (rows not read yet: in what their names say).
std::vector<int> FilterJournalRows(const std::vector<JournalRow>& rows, const std::vector<std::u16string>& foldedWords);

// Bytes that compare (as unsigned bytes) as the user's locale sorts the texts they were made of.
using SortKeyOf = std::string (*)(const std::u16string& text);

// The key `row` sorts by in `column`: the frame number as a number (a row without one after
// every number), the other columns their text's key.
std::string JournalSortKey(const JournalRow& row, int column, const JournalStateTexts& states, SortKeyOf key);

// Sorts `shown` (indices into the rows) by the rows' keys `keys` (one per row). Rows whose keys
// are equal stay in name order, whichever the direction.
void SortJournalRows(std::vector<int>* shown, const std::vector<std::string>& keys, bool descending);

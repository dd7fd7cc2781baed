// The journal's filter and sort.
#include "frames/journal_order.h"

#include <algorithm>
#include <climits>
#include <cstddef>

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\u00A0' || c == u'\u3000'; }

// What a row not read yet offers the filter: its cells as far as they are known.
std::u16string SearchTextOf(const JournalRow& row, const JournalStateTexts& states, TextFold fold) {
    if (row.read) return row.searchText;
    std::u16string search;
    for (int column = 0; column < kJournalColumnCount; ++column) {
        if (column > 0) search += u'\0';
        search += JournalCell(row, column, states);
    }
    return fold ? fold(search) : search;
}

}  // namespace

std::vector<std::u16string> FilterWords(const std::u16string& filter) {
    std::vector<std::u16string> words;
    size_t at = 0;
    while (at < filter.size()) {
        while (at < filter.size() && IsBlank(filter[at])) ++at;
        size_t end = at;
        while (end < filter.size() && !IsBlank(filter[end])) ++end;
        if (end > at) words.push_back(filter.substr(at, end - at));
        at = end;
    }
    return words;
}

bool HoldsEveryWord(const std::u16string& text, const std::vector<std::u16string>& words) {
    for (const std::u16string& word : words)
        if (text.find(word) == std::u16string::npos) return false;
    return true;
}

std::vector<int> FilterJournalRows(const std::vector<JournalRow>& rows, const std::vector<std::u16string>& foldedWords,
                                   const JournalStateTexts& states, TextFold fold) {
    std::vector<int> shown;
    shown.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const JournalRow& row = rows[i];
        if (foldedWords.empty() || HoldsEveryWord(row.read ? row.searchText : SearchTextOf(row, states, fold), foldedWords))
            shown.push_back(static_cast<int>(i));
    }
    return shown;
}

void SortJournalRows(std::vector<int>* shown, const std::vector<JournalRow>& rows, int column, bool descending,
                     const JournalStateTexts& states, SortKeyOf key) {
    // The rows' keys are made once (a key of the user's locale costs more than a comparison).
    struct Entry {
        int row;
        int number;
        std::string key;
    };
    std::vector<Entry> entries;
    entries.reserve(shown->size());
    for (int row : *shown) {
        const JournalRow& r = rows[static_cast<size_t>(row)];
        Entry entry{row, 0, {}};
        if (column == kColumnFrame) entry.number = r.frame > 0 ? r.frame : INT_MAX;
        else entry.key = key(JournalCell(r, column, states));
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        int order = column == kColumnFrame ? (a.number < b.number ? -1 : a.number > b.number ? 1 : 0)
                                           : a.key.compare(b.key);
        if (order == 0) return a.row < b.row;
        return descending ? order > 0 : order < 0;
    });
    for (size_t i = 0; i < entries.size(); ++i) (*shown)[i] = entries[i].row;
}

// The journal's filter and sort.
#include "frames/journal_order.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\u00A0' || c == u'\u3000'; }

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

std::vector<int> FilterJournalRows(const std::vector<JournalRow>& rows, const std::vector<std::u16string>& foldedWords) {
    std::vector<int> shown;
    shown.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        if (HoldsEveryWord(rows[i].searchText, foldedWords)) shown.push_back(static_cast<int>(i));
    return shown;
}

std::string JournalSortKey(const JournalRow& row, int column, const JournalStateTexts& states, SortKeyOf key) {
    if (column != kColumnFrame) return key(JournalCell(row, column, states));
    // Big-endian, so that the bytes compare as the numbers do.
    const uint32_t number = row.frame > 0 ? static_cast<uint32_t>(row.frame) : UINT32_MAX;
    return {static_cast<char>(number >> 24), static_cast<char>(number >> 16), static_cast<char>(number >> 8),
            static_cast<char>(number)};
}

void SortJournalRows(std::vector<int>* shown, const std::vector<std::string>& keys, bool descending) {
    std::sort(shown->begin(), shown->end(), [&](int a, int b) {
        const int order = keys[static_cast<size_t>(a)].compare(keys[static_cast<size_t>(b)]);
        if (order == 0) return a < b;
        return descending ? order > 0 : order < 0;
    });
}

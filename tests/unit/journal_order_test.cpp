// The journal's filter and sort.
#include <gtest/gtest.h>

#include "frames/journal_order.h"

namespace {

const JournalStateTexts kStates = {u"none", u"cannot be read"};

std::u16string Lower(const std::u16string& text) {
    std::u16string out = text;
    for (char16_t& c : out) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
        if (c >= u'А' && c <= u'Я') c = static_cast<char16_t>(c + 32);
    }
    return out;
}

// Code units as big-endian bytes: a key that sorts by code unit.
std::string CodeUnits(const std::u16string& text) {
    std::string key;
    for (char16_t c : text) key += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
    return key;
}

JournalRow Row(const std::u16string& name, int frame, const std::u16string& item, const std::u16string& operatorName,
               bool read = true) {
    JournalRow row;
    row.name = name;
    row.frame = frame;
    row.read = read;
    row.state = CommentaryState::Read;
    if (read) {
        CommentaryTexts texts;
        texts[0] = item;
        texts[2] = operatorName;
        SetFieldTexts(&row, texts);
    }
    for (int column = 0; column < kJournalColumnCount; ++column) row.searchText += JournalCell(row, column, kStates) + kJournalCellBreak;
    row.searchText = Lower(row.searchText);
    return row;
}

std::vector<int> Filter(const std::vector<JournalRow>& rows, const std::u16string& filter) {
    std::vector<std::u16string> words = FilterWords(Lower(filter));
    return FilterJournalRows(rows, words);
}

TEST(JournalFilter, EveryWordInSomeCell) {
    EXPECT_EQ(FilterWords(u"  шов\t4 \u00A0 труба\u3000x "), (std::vector<std::u16string>{u"шов", u"4", u"труба", u"x"}));
    EXPECT_TRUE(FilterWords(u" \t ").empty());

    const std::vector<JournalRow> rows = {
        Row(u"a.png", 1, u"Труба, шов 4", u"Иванов"),
        Row(u"b.png", 2, u"Труба, шов 5", u"Петров"),
        Row(u"c.png", 14, u"Лист", u"Иванов"),
        Row(u"d.png", 3, u"", u"", false),  // not read yet: only its name and number count
    };
    EXPECT_EQ(Filter(rows, u""), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(Filter(rows, u"ШОВ"), (std::vector<int>{0, 1}));
    // Words may be in different cells, in any order; each must be somewhere.
    EXPECT_EQ(Filter(rows, u"иванов шов"), (std::vector<int>{0}));
    EXPECT_EQ(Filter(rows, u"иванов 14"), (std::vector<int>{2}));
    EXPECT_EQ(Filter(rows, u"иванов сидоров"), (std::vector<int>{}));
    // A word is not found across cells (the item "...шов 4", an empty date, the operator).
    EXPECT_EQ(Filter(rows, u"4иванов"), (std::vector<int>{}));
    EXPECT_EQ(Filter(rows, u"d.png"), (std::vector<int>{3}));
}

TEST(JournalSort, NumbersAsNumbersTextsByKeyTiesInNameOrder) {
    const std::vector<JournalRow> rows = {
        Row(u"a.png", 10, u"b", u""), Row(u"b.png", 0, u"a", u""), Row(u"c.png", 9, u"b", u""),
        Row(u"d.png", 100, u"a", u""), Row(u"e.png", 9, u"c", u""),
    };
    // Key bytes compare unsigned: 128 after 127.
    EXPECT_LT(JournalSortKey(Row(u"x", 127, u"", u""), kColumnFrame, kStates, CodeUnits),
              JournalSortKey(Row(u"x", 128, u"", u""), kColumnFrame, kStates, CodeUnits));
    auto keys = [&](int column) {
        std::vector<std::string> made;
        for (const JournalRow& row : rows) made.push_back(JournalSortKey(row, column, kStates, CodeUnits));
        return made;
    };
    auto sorted = [&](int column, bool descending) {
        std::vector<int> shown = {0, 1, 2, 3, 4};
        SortJournalRows(&shown, keys(column), descending);
        return shown;
    };
    // 9 < 10 < 100 as numbers (as text "10" < "100" < "9"); no number after every number.
    EXPECT_EQ(sorted(kColumnFrame, false), (std::vector<int>{2, 4, 0, 3, 1}));
    EXPECT_EQ(sorted(kColumnFrame, true), (std::vector<int>{1, 3, 0, 2, 4}));
    // Equal texts keep name order both ways.
    EXPECT_EQ(sorted(kColumnFirstField, false), (std::vector<int>{1, 3, 0, 2, 4}));
    EXPECT_EQ(sorted(kColumnFirstField, true), (std::vector<int>{4, 0, 2, 1, 3}));
    // Only the rows shown are sorted.
    std::vector<int> some = {4, 1};
    SortJournalRows(&some, keys(kColumnFile), false);
    EXPECT_EQ(some, (std::vector<int>{1, 4}));
}

}  // namespace

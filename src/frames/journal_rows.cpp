// The inspection journal's rows and their cells.
#include "frames/journal_rows.h"

#include <cstdio>

#include "core/text_format.h"
#include "frames/frame_names.h"
#include "frames/journal_texts.h"

namespace {

bool IsLineBreak(char16_t c) { return c == u'\r' || c == u'\n'; }
bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }


void MakeSearchText(JournalRow* row, const JournalStateTexts& states, TextFold fold) {
    std::u16string search;
    for (int column = 0; column < kJournalColumnCount; ++column) {
        search += JournalCell(*row, column, states);
        search += kJournalCellBreak;
    }
    row->searchText = fold ? fold(search) : search;
}

}  // namespace

std::u16string ReadAtText(const sys::LocalTime& time) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", time.year, time.month, time.day, time.hour,
                  time.minute);
    return Widen(text);
}

std::u16string FieldText(const JournalRow& row, int index) {
    size_t at = 0;
    for (int i = 0; i < index && at < row.fields.size(); ++i) at = row.fields.find(u'\0', at) + 1;
    if (at >= row.fields.size()) return {};
    return row.fields.substr(at, row.fields.find(u'\0', at) - at);
}

CommentaryTexts FieldTexts(const JournalRow& row) {
    CommentaryTexts texts;
    for (int i = 0; i < kFieldCount; ++i) texts[static_cast<size_t>(i)] = FieldText(row, i);
    return texts;
}

void SetFieldTexts(JournalRow* row, const CommentaryTexts& texts) {
    std::u16string fields;
    for (const std::u16string& text : texts) {
        // What the reader gives never holds U+0000: it ends a record's text.
        fields += text.substr(0, text.find(u'\0'));
        fields += u'\0';
    }
    fields.shrink_to_fit();
    row->fields = std::move(fields);
}

JournalRow StartJournalRow(const std::u16string& name) {
    JournalRow row;
    row.name = name;
    FrameFileName parsed;
    if (ParseFrameFileName(name, &parsed)) {
        row.frame = parsed.frame;
        row.readAt = ReadAtText(parsed.time);
    }
    return row;
}

void ReadJournalRow(JournalRow* row, const std::u16string& folder, const JournalStateTexts& states, TextFold fold) {
    const std::u16string path = folder + row->name;
    const LoadedCommentary loaded = LoadCommentary(path);
    row->state = loaded.state;
    SetFieldTexts(row, loaded.texts);
    sys::LocalTime written;
    if (row->readAt.empty() && sys::LastWriteTime(path, &written)) row->readAt = ReadAtText(written);
    row->read = true;
    MakeSearchText(row, states, fold);
}

JournalRows StartJournalRows(const std::u16string& folder, const std::vector<std::u16string>& names,
                             const JournalStateTexts& states, TextFold fold) {
    JournalRows rows;
    rows.folder = folder;
    rows.rows.reserve(names.size());
    for (const std::u16string& name : names) {
        rows.rows.push_back(StartJournalRow(name));
        MakeSearchText(&rows.rows.back(), states, fold);
    }
    return rows;
}

size_t ReadJournalRows(JournalRows* rows, const JournalStateTexts& states, TextFold fold, uint64_t untilMs) {
    size_t count = 0;
    while (!rows->Complete()) {
        ReadJournalRow(&rows->rows[rows->read++], rows->folder, states, fold);
        ++count;
        if (sys::MonotonicMs() >= untilMs) break;
    }
    return count;
}

std::u16string OneLine(const std::u16string& text) {
    std::u16string joined;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = at;
        while (end < text.size() && !IsLineBreak(text[end])) ++end;
        if (end > at) {
            if (!joined.empty()) joined += u" / ";
            joined.append(text, at, end - at);
        }
        at = end + 1;
    }
    return joined;
}

std::u16string JournalCell(const JournalRow& row, int column, const JournalStateTexts& states) {
    if (column == kColumnFrame) return row.frame > 0 ? Widen(std::to_string(row.frame)) : std::u16string();
    if (column == kColumnReadAt) return row.readAt;
    if (column == kColumnCommentary) {
        if (!row.read || row.state == CommentaryState::Read) return {};
        return row.state == CommentaryState::Missing ? states.none : states.unreadable;
    }
    if (column == kColumnFile) return row.name;
    if (column >= kColumnFirstField && column < kColumnFirstField + kFieldCount)
        return OneLine(FieldText(row, column - kColumnFirstField));
    return {};
}

std::u16string FieldTitle(const std::u16string& label) {
    size_t end = label.size();
    while (end > 0 && IsBlank(label[end - 1])) --end;
    if (end > 0 && label[end - 1] == u':') --end;
    while (end > 0 && IsBlank(label[end - 1])) --end;
    return label.substr(0, end);
}

std::vector<std::u16string> JournalTitles(const char16_t* const* messageTexts, LanguageId language) {
    std::vector<std::u16string> titles = {JournalText(language, kJournalColumnFrame),
                                          JournalText(language, kJournalColumnReadAt),
                                          JournalText(language, kJournalColumnCommentary)};
    for (const FieldSpec& field : kCommentaryFields) titles.push_back(FieldTitle(messageTexts[field.labelEntry]));
    titles.push_back(JournalText(language, kJournalColumnFile));
    return titles;
}

JournalStateTexts JournalStates(LanguageId language) {
    return {JournalText(language, kJournalNoCommentary), JournalText(language, kJournalUnreadable)};
}

// The journal's Export.
#include "frames/journal_export.h"

#include "core/file_store.h"
#include "core/messages.h"
#include "core/text_format.h"
#include "frames/journal_csv.h"
#include "frames/journal_texts.h"
#include "ui/file_dialog.h"
#include "ui/locale_text.h"
#include "ui/wide.h"

namespace {

std::u16string WorkingFolder() {
    const DWORD size = GetCurrentDirectoryW(0, nullptr);
    std::u16string folder(size, u'\0');
    const DWORD got = size ? GetCurrentDirectoryW(size, reinterpret_cast<wchar_t*>(&folder[0])) : 0;
    folder.resize(got < size ? got : 0);
    if (!folder.empty() && folder.back() != u'\\') folder += u'\\';
    return folder;
}

// A row's cells as the spreadsheet gets them: the fields with their own line breaks, the rest
// as the journal shows them.
std::vector<std::u16string> CsvRow(const JournalRow& row, const JournalStateTexts& states) {
    std::vector<std::u16string> cells;
    for (int column = 0; column < kJournalColumnCount; ++column) {
        const bool field = column >= kColumnFirstField && column < kColumnFirstField + kFieldCount;
        cells.push_back(field ? FieldText(row, column - kColumnFirstField)
                              : JournalCell(row, column, states));
    }
    return cells;
}

const char16_t* Why(StoreResult result, LanguageId language) {
    switch (result) {
        case StoreResult::NotCreated:
            return JournalText(language, kJournalNoFileMade);
        case StoreResult::NotWritten:
            return JournalText(language, kJournalNotWritten);
        default:
            return JournalText(language, kJournalNotReplaced);
    }
}

}  // namespace

void ExportJournal(HWND owner, const JournalRows& rows, const std::vector<int>& chosen,
                   const std::vector<std::u16string>& titles, const JournalStateTexts& states, LanguageId language) {
    ui::SaveFileRequest request;
    request.owner = owner;
    request.filter = JournalText(language, kJournalCsvFilter);
    request.defaultExtension = u"csv";
    request.proposedPath = WorkingFolder() + u"journal.csv";
    std::u16string path;
    if (!ui::ChooseFileToSave(request, &path)) return;

    std::vector<std::vector<std::u16string>> lines = {titles};
    lines.reserve(chosen.size() + 1);
    for (int row : chosen) lines.push_back(CsvRow(rows.rows[static_cast<size_t>(row)], states));
    const std::string bytes = CsvFile(lines, CsvSeparator(ui::UserListSeparator()));

    const StoreResult result = StoreFileReplacing(path, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    if (result == StoreResult::Stored) return;
    const std::u16string text = FormatText(JournalText(language, kJournalNotExported), {path, Why(result, language)});
    MessageBoxW(owner, W(text), W(CurrentTexts[kMsgError]), MB_OK | MB_ICONERROR);
}

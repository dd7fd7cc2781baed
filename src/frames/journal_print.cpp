// The journal's Print.
#include "frames/journal_print.h"

#include <algorithm>
#include <string>

#include "core/log.h"
#include "core/messages.h"
#include "core/text_format.h"
#include "frames/frame_print.h"
#include "frames/journal_report_layout.h"
#include "frames/journal_texts.h"
#include "frames/print_job.h"
#include "frames/print_layout.h"
#include "mainwnd/frame_picture.h"
#include "sys/cp1251.h"
#include "sys/sys.h"
#include "ui/gdi_holders.h"
#include "ui/wide.h"

namespace {

// As View > Print: whole pages, copies kept in the device mode and printed by the program.
constexpr DWORD kDialogOptions =
    PD_ALLPAGES | PD_NOSELECTION | PD_NOPAGENUMS | PD_HIDEPRINTTOFILE | PD_USEDEVMODECOPIESANDCOLLATE;

// The table's columns, by the journal's columns.
const int kTableColumns[] = {
    kColumnFrame,
    kColumnReadAt,
    kColumnFirstField + 0,   // Item
    kColumnFirstField + 6,   // Object type
    kColumnFirstField + 7,   // Number
    kColumnFirstField + 8,   // Material
    kColumnFirstField + 9,   // Thickness
    kColumnFirstField + 10,  // Defect type
    kColumnFirstField + 3,   // Defect coordinates
    kColumnFirstField + 2,   // Operator
};

constexpr int kTablePoints = 8;
constexpr int kTitlePoints = 14;
// The header row's shade.
constexpr COLORREF kHeaderShade = RGB(225, 225, 225);

ui::FontHolder TableFont(HDC dc, int points, int weight, LanguageId language) {
    const int height = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
    return ui::FontHolder(CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, PrintCharset(language),
                                      OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FIXED_PITCH | FF_MODERN,
                                      kPrintFace));
}

int LineHeight(HDC dc, HFONT font) {
    const ui::Selection selected(dc, font);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    return metrics.tmHeight + metrics.tmExternalLeading;
}

int TextWidth(HDC dc, const std::u16string& text) {
    SIZE size = {};
    GetTextExtentPoint32W(dc, W(text), static_cast<int>(text.size()), &size);
    return size.cx;
}

void Text(HDC dc, int x, int y, const std::u16string& text) {
    TextOutW(dc, x, y, W(text), static_cast<int>(text.size()));
}

void Line(HDC dc, int x0, int y0, int x1, int y1) {
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}

struct TablePrint {
    ReportLayout layout;
    int lineHeight = 0;
    std::u16string title;
    std::u16string printed;
    LanguageId language = 0;
};

void DrawTablePage(HDC dc, const TablePrint& table, size_t page, HFONT font, HFONT titleFont) {
    const ReportLayout& layout = table.layout;
    SetBkMode(dc, TRANSPARENT);
    if (page == 0) {
        const ui::Selection selected(dc, titleFont);
        Text(dc, layout.left, layout.titleTop, table.title);
    }
    const ui::Selection selected(dc, font);
    if (page == 0) Text(dc, layout.left, layout.printedTop, table.printed);
    const std::vector<ReportRow>& rows = layout.pages[page].rows;
    const int top = rows.front().top;
    const int bottom = rows.back().top + rows.back().height;
    for (const ReportRow& row : rows) {
        if (row.row < 0) {
            const RECT shade = {layout.left, row.top, layout.right, row.top + row.height};
            const ui::BrushHolder brush(CreateSolidBrush(kHeaderShade));
            FillRect(dc, &shade, brush.get());
        }
        Line(dc, layout.left, row.top, layout.right, row.top);
        for (size_t c = 0; c < row.lines.size(); ++c) {
            int y = row.top + layout.padding;
            for (const std::u16string& line : row.lines[c]) {
                Text(dc, layout.edges[c] + layout.padding, y, line);
                y += table.lineHeight;
            }
        }
    }
    Line(dc, layout.left, bottom, layout.right, bottom);
    for (int edge : layout.edges) Line(dc, edge, top, edge, bottom);
    const std::u16string number =
        FormatText(JournalText(table.language, kJournalPage), {static_cast<int>(page) + 1, static_cast<int>(layout.pages.size())});
    Text(dc, (layout.left + layout.right - TextWidth(dc, number)) / 2, layout.footerTop, number);
}

void SayNotPrinted(HWND owner, LanguageId language, int page, int pages) {
    const std::u16string text = FormatText(JournalText(language, kJournalNotPrinted), {page, pages});
    MessageBoxW(owner, W(text), W(CurrentTexts[kMsgWarning]), MB_OK | MB_ICONWARNING);
}

}  // namespace

void PrintJournal(HWND owner, const MainWindow& main, const JournalRows& rows, const std::vector<int>& chosen,
                  const std::vector<std::u16string>& titles, const JournalStateTexts& states, LanguageId language) {
    if (!PrepareLandscapeA4(owner)) return;
    ui::PrintDialog dialog(kDialogOptions, owner);
    if (dialog.RunModal() != IDOK) return;
    const ui::OwnedDC dc(dialog.PrinterDC());
    if (!ConfirmColour(owner, dialog)) return;
    const std::u16string documentName = JournalText(language, kJournalReportTitle);
    const std::string logSubject = ToCp1251(u"журнал контроля");
    if (!dc) {
        // "no printer device context"
        WriteLog((logSubject + ToCp1251(u" - не напечатан: нет контекста устройства принтера, код ошибки ") +
                  std::to_string(dialog.PrinterDCError()) + "\r\n")
                     .c_str());
        SayNotPrinted(owner, language, 1, 1);
        return;
    }
    const WORD copies = CopiesPrintedOnce(dc.get(), dialog);
    SetMapMode(dc.get(), MM_TEXT);

    // The table, measured in its own font on this printer.
    const ui::FontHolder font = TableFont(dc.get(), kTablePoints, FW_NORMAL, language);
    const ui::FontHolder titleFont = TableFont(dc.get(), kTitlePoints, FW_BOLD, language);
    ReportMetrics metrics;
    metrics.pageWidth = GetDeviceCaps(dc.get(), HORZRES);
    metrics.pageHeight = GetDeviceCaps(dc.get(), VERTRES);
    metrics.dpi = GetDeviceCaps(dc.get(), LOGPIXELSY);
    metrics.lineHeight = LineHeight(dc.get(), font.get());
    metrics.titleHeight = LineHeight(dc.get(), titleFont.get());
    std::vector<std::u16string> tableTitles;
    for (int column : kTableColumns) tableTitles.push_back(titles[static_cast<size_t>(column)]);
    std::vector<std::vector<std::u16string>> cells;
    cells.reserve(chosen.size());
    for (int row : chosen) {
        std::vector<std::u16string> line;
        for (int column : kTableColumns) line.push_back(JournalCell(rows.rows[static_cast<size_t>(row)], column, states));
        cells.push_back(std::move(line));
    }
    TablePrint table;
    {
        const ui::Selection measured(dc.get(), font.get());
        metrics.measure = [&](const std::u16string& text) { return TextWidth(dc.get(), text); };
        table.layout = LayOutReport(metrics, tableTitles, cells);
    }
    table.lineHeight = metrics.lineHeight;
    table.title = documentName;
    table.printed = FormatText(JournalText(language, kJournalReportPrinted),
                               {ReadAtText(sys::Now()), static_cast<int>(chosen.size())});
    table.language = language;

    // The frames' pages as View > Print draws them.
    const PageLayout framePage = LayOutFramePage(dc.get(), CommentaryFieldRects(main));
    const ui::FontHolder frameFont = MakeFramePageFont(framePage, language);
    FramePicture picture;

    PrintJob job(dc.get(), documentName, logSubject);
    const size_t pagesPerCopy = table.layout.pages.size() + chosen.size();
    bool printed = job.Start();
    for (WORD copy = 0; copy < copies && printed; ++copy) {
        for (size_t page = 0; page < table.layout.pages.size() && printed; ++page)
            printed = job.Page([&](HDC on) { DrawTablePage(on, table, page, font.get(), titleFont.get()); });
        for (size_t i = 0; i < chosen.size() && printed; ++i) {
            const JournalRow& row = rows.rows[static_cast<size_t>(chosen[i])];
            const std::u16string path = rows.folder + row.name;
            picture.Load(path);
            const CommentaryTexts texts = FieldTexts(row);
            printed = job.Page([&](HDC on) { DrawFramePage(on, framePage, frameFont.get(), picture, path, texts); });
        }
    }
    if (printed) printed = job.Finish();
    // The page the printer stopped at: the last one when it refused the finished document.
    const int pages = static_cast<int>(copies * pagesPerCopy);
    if (!printed) SayNotPrinted(owner, language, std::min(job.PagesDone() + 1, pages), pages);
}

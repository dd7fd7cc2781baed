// View > Print: the frame with its commentary on paper.
#include "frames/frame_print.h"

#include <string>

#include "core/log.h"
#include "core/messages.h"
#include "frames/print_job.h"
#include "frames/print_layout.h"
#include "mainwnd/frame_picture.h"
#include "mainwnd/main_window.h"
#include "sys/cp1251.h"
#include "sys/sys.h"
#include "ui/wide.h"

namespace {

// Whole pages, one per copy: no selection, no page range, no printing to a file; the copies
// and their collation are kept in the device mode.
constexpr DWORD kDialogOptions =
    PD_ALLPAGES | PD_NOSELECTION | PD_NOPAGENUMS | PD_HIDEPRINTTOFILE | PD_USEDEVMODECOPIESANDCOLLATE;
// The most of a field's text that is printed.
constexpr size_t kMaxFieldText = 499;
int DotsPerInch(HDC dc, int index) {
    int dpi = GetDeviceCaps(dc, index);
    return dpi > 0 ? dpi : kPrintBaseDpi;
}

void Text(HDC dc, PagePoint at, const std::u16string& text) {
    TextOutW(dc, at.x, at.y, W(text), static_cast<int>(text.size()));
}

// The frame, cropped as on screen. A file that could not be read leaves the place empty.
void DrawPicture(HDC dc, const FramePicture& picture) {
    const PicturePlacement placement = PlacePicture(picture.Width(), picture.Height());
    if (!placement.printed) return;
    const PageRectF& to = placement.destination;
    const PageRectF& from = placement.source;
    picture.Draw(dc, {to.x, to.y, to.width, to.height}, {from.x, from.y, from.width, from.height});
}

void DrawBox(HDC dc, const PageBox& box) {
    MoveToEx(dc, box.left, box.top, nullptr);
    LineTo(dc, box.right, box.top);
    LineTo(dc, box.right, box.bottom);
    LineTo(dc, box.left, box.bottom);
    LineTo(dc, box.left, box.top);
}

}  // namespace

PageLayout LayOutFramePage(HDC dc, const std::array<FieldRect, kFieldCount>& fields) {
    // The whole page follows the printer's resolution, the font with it.
    return LayOutPrintedPage(DotsPerInch(dc, LOGPIXELSX), DotsPerInch(dc, LOGPIXELSY), CurrentTexts, fields);
}

ui::FontHolder MakeFramePageFont(const PageLayout& page, LanguageId language) {
    return ui::FontHolder(CreateFontW(page.fontHeight, page.fontWidth, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                      PrintCharset(language), OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                                      FIXED_PITCH | FF_MODERN, kPrintFace));
}

void DrawFramePage(HDC dc, const PageLayout& page, HFONT font, const FramePicture& picture,
                   const std::u16string& heading, const CommentaryTexts& texts) {
    const ui::Selection selectedFont(dc, font);
    SetBkMode(dc, TRANSPARENT);
    Text(dc, page.heading, heading);
    DrawPicture(dc, picture);
    for (const PageLabel& label : page.labels) Text(dc, label.at, CurrentTexts[label.entry]);
    for (int i = 0; i < kFieldCount; ++i) {
        DrawBox(dc, page.boxes[i]);
        const std::u16string text = texts[i].substr(0, kMaxFieldText);
        if (FieldWraps(i)) {
            PageBox box = WrappedTextBox(page, i);
            RECT rect = {box.left, box.top, box.right, box.bottom};
            DrawTextW(dc, W(text), static_cast<int>(text.size()), &rect,
                      DT_LEFT | DT_TOP | DT_WORDBREAK | DT_EDITCONTROL | DT_EXPANDTABS | DT_NOPREFIX | DT_NOCLIP);
        } else {
            Text(dc, FieldTextOrigin(page, i, text.size()), text);
        }
    }
}

std::array<FieldRect, kFieldCount> CommentaryFieldRects(const MainWindow& main) {
    std::array<FieldRect, kFieldCount> fields;
    for (int i = 0; i < kFieldCount; ++i) fields[i] = main.CommentaryFieldRect(i);
    return fields;
}

CFramePrint::CFramePrint(MainWindow& main, LanguageId language)
    // Owned by the main window, which waits: what is printed is what stays on screen.
    : ui::PrintDialog(kDialogOptions, main.hwnd()), main_(main), language_(language) {}

void CFramePrint::PrintFrame() {
    const ui::OwnedDC dc(PrinterDC());
    const std::u16string path = main_.ShownFramePath();
    const std::string logSubject = ToCp1251(u"кадр ") + sys::ToAnsi(path);
    if (!ConfirmColour(main_.hwnd(), *this)) return;
    if (!dc) {
        // "no printer device context"
        WriteLog((logSubject + ToCp1251(u" - не напечатан: нет контекста устройства принтера, код ошибки ") +
                  std::to_string(PrinterDCError()) + "\r\n")
                     .c_str());
        return;
    }
    const WORD copies = CopiesPrintedOnce(dc.get(), *this);
    SetMapMode(dc.get(), MM_TEXT);

    PrintJob job(dc.get(), path, logSubject);
    if (!job.Start()) return;
    const PageLayout page = LayOutFramePage(dc.get(), CommentaryFieldRects(main_));
    const ui::FontHolder font = MakeFramePageFont(page, language_);
    FramePicture picture;
    picture.Load(path);
    // What the fields show, saved or not.
    CommentaryTexts texts;
    for (int i = 0; i < kFieldCount; ++i) texts[i] = main_.CommentaryFieldText(i);
    for (WORD copy = 0; copy < copies; ++copy)
        if (!job.Page([&](HDC on) { DrawFramePage(on, page, font.get(), picture, path, texts); })) return;
    job.Finish();
}

void PrintCommand(MainWindow& main, LanguageId language) {
    CFramePrint dialog(main, language);
    if (!PrepareLandscapeA4(main.hwnd())) return;
    if (!main.ShowsFrame()) return;
    // The frame is looked at again once the dialog is over: nothing else may print.
    if (dialog.RunModal() == IDOK && main.ShowsFrame()) dialog.PrintFrame();
}

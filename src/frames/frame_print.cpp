// View > Print: the frame with its commentary on paper.
#include "frames/frame_print.h"

#include <array>
#include <string>

#include "core/log.h"
#include "core/messages.h"
#include "frames/print_layout.h"
#include "mainwnd/frame_picture.h"
#include "mainwnd/main_window.h"
#include "sys/cp1251.h"
#include "ui/gdi_holders.h"
#include "ui/message_box.h"
#include "ui/wide.h"

namespace {

// Whole pages, one per copy: no selection, no page range, no printing to a file; the copies
// and their collation are kept in the device mode.
constexpr DWORD kDialogOptions =
    PD_ALLPAGES | PD_NOSELECTION | PD_NOPAGENUMS | PD_HIDEPRINTTOFILE | PD_USEDEVMODECOPIESANDCOLLATE;
// The most of a field's text that is printed.
constexpr size_t kMaxFieldText = 499;
// The same face as the fields on screen.
const wchar_t* const kPrintFace = L"Courier New";

// Landscape A4, and no other setting imposed on the printer.
void SetLandscapeA4(const ui::PrinterSettings& settings) {
    ui::PrinterSettings::DeviceMode mode = settings.LockDeviceMode();
    if (!mode) return;
    mode->dmFields = DM_ORIENTATION | DM_PAPERSIZE;
    mode->dmOrientation = DMORIENT_LANDSCAPE;
    mode->dmPaperSize = DMPAPER_A4;
}

bool SaysColour(const DEVMODEW* mode) {
    return mode && (mode->dmFields & DM_COLOR) != 0 && mode->dmColor == DMCOLOR_COLOR;
}

// The copies are pages of the document, so the printer must print each page once: a driver
// that makes copies itself would otherwise print copies x copies sheets.
void PrintEachPageOnce(HDC dc, const DEVMODEW* chosen) {
    if (!chosen || chosen->dmCopies <= 1) return;
    std::string bytes(reinterpret_cast<const char*>(chosen), chosen->dmSize + chosen->dmDriverExtra);
    DEVMODEW* once = reinterpret_cast<DEVMODEW*>(&bytes[0]);
    once->dmCopies = 1;
    once->dmFields &= ~DM_COLLATE;
    ResetDCW(dc, once);
}

// The character set of a language, so that the printer's font has its letters.
BYTE LanguageCharset(LanguageId language) {
    switch (language) {
        case 1:
            return ANSI_CHARSET;
        case 2:
            return TURKISH_CHARSET;
        default:
            return RUSSIAN_CHARSET;
    }
}

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

// What the printer refused, for the log: "frame <path> - not printed: <what>, error code <n>".
void LogPrintFailure(const std::u16string& framePath, const char16_t* what, DWORD error) {
    WriteLog((ToCp1251(u"кадр ") + sys::ToAnsi(framePath) + ToCp1251(u" - не напечатан: ") + ToCp1251(what) +
              ToCp1251(u", код ошибки ") + std::to_string(error) + "\r\n")
                 .c_str());
}

}  // namespace

CFramePrint::CFramePrint(MainWindow& main, LanguageId language)
    // Owned by the main window, which waits: what is printed is what stays on screen.
    : ui::PrintDialog(kDialogOptions, main.hwnd()), main_(main), language_(language) {}

void CFramePrint::PrintFrame() {
    const ui::OwnedDC dc(PrinterDC());
    const std::u16string path = main_.ShownFramePath();
    bool colour;
    {
        ui::PrinterSettings::DeviceMode mode = LockDeviceMode();
        colour = SaysColour(mode.get());
    }
    if (!colour && ui::AppMessageBox(main_.hwnd(), W(CurrentTexts[kMsgMonochromePrinter]), MB_YESNO) != IDYES) return;
    WORD copies = Copies();
    if (copies == 0) copies = 1;
    if (!dc) {
        // "no printer device context"
        LogPrintFailure(path, u"нет контекста устройства принтера", PrinterDCError());
        return;
    }
    {
        ui::PrinterSettings::DeviceMode mode = LockDeviceMode();
        PrintEachPageOnce(dc.get(), mode.get());
    }
    SetMapMode(dc.get(), MM_TEXT);
    PrintDocument(dc.get(), path, copies);
}

void CFramePrint::PrintDocument(HDC dc, const std::u16string& path, WORD copies) {
    DOCINFOW document = {};
    document.cbSize = sizeof document;
    document.lpszDocName = W(path);
    document.fwType = DI_APPBANDING;
    if (StartDocW(dc, &document) <= 0) {
        // "the printer did not start the document"
        LogPrintFailure(path, u"принтер не начал документ", GetLastError());
        return;
    }
    // The whole page follows the printer's resolution, the font with it.
    std::array<FieldRect, kFieldCount> fields;
    for (int i = 0; i < kFieldCount; ++i) fields[i] = main_.CommentaryFieldRect(i);
    const PageLayout page =
        LayOutPrintedPage(DotsPerInch(dc, LOGPIXELSX), DotsPerInch(dc, LOGPIXELSY), CurrentTexts, fields);
    const ui::FontHolder font(CreateFontW(page.fontHeight, page.fontWidth, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                          LanguageCharset(language_), OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                                          PROOF_QUALITY, FIXED_PITCH | FF_MODERN, kPrintFace));
    FramePicture picture;
    picture.Load(path);

    // A step the printer refuses ends the document: "the printer did not start a page", "...
    // did not finish a page", "... did not finish the document".
    const char16_t* refused = nullptr;
    for (WORD copy = 0; copy < copies && !refused; ++copy) {
        if (StartPage(dc) <= 0) {
            refused = u"принтер не начал страницу";
            break;
        }
        DrawPage(dc, page, font.get(), picture);
        if (EndPage(dc) <= 0) refused = u"принтер не закончил страницу";
    }
    if (!refused && EndDoc(dc) <= 0) refused = u"принтер не закончил документ";
    if (refused) {
        LogPrintFailure(path, refused, GetLastError());
        AbortDoc(dc);
    }
}

void CFramePrint::DrawPage(HDC dc, const PageLayout& page, HFONT font, const FramePicture& picture) {
    const ui::Selection selectedFont(dc, font);
    SetBkMode(dc, TRANSPARENT);
    Text(dc, page.heading, main_.ShownFramePath());
    DrawPicture(dc, picture);
    for (const PageLabel& label : page.labels) Text(dc, label.at, CurrentTexts[label.entry]);
    for (int i = 0; i < kFieldCount; ++i) {
        DrawBox(dc, page.boxes[i]);
        // What the field shows, saved or not.
        std::u16string text = main_.CommentaryFieldText(i).substr(0, kMaxFieldText);
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

void PrintCommand(MainWindow& main, LanguageId language) {
    CFramePrint dialog(main, language);
    ui::PrinterSettings& settings = ui::ApplicationPrinterSettings();
    if (!settings.GetDefaults()) {
        MessageBoxW(main.hwnd(), W(CurrentTexts[kMsgNoPrinter]), W(CurrentTexts[kMsgWarning]), MB_OK);
        return;
    }
    SetLandscapeA4(settings);
    if (!main.ShowsFrame()) return;
    // The frame is looked at again once the dialog is over: nothing else may print.
    if (dialog.RunModal() == IDOK && main.ShowsFrame()) dialog.PrintFrame();
}

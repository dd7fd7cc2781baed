// What every print of the program shares.
#include "frames/print_job.h"

#include <string>

#include "core/log.h"
#include "core/messages.h"
#include "sys/cp1251.h"
#include "sys/sys.h"
#include "ui/message_box.h"
#include "ui/wide.h"

namespace {

bool SaysColour(const DEVMODEW* mode) {
    return mode && (mode->dmFields & DM_COLOR) != 0 && mode->dmColor == DMCOLOR_COLOR;
}

}  // namespace

const wchar_t* const kPrintFace = L"Courier New";

BYTE PrintCharset(LanguageId language) {
    switch (language) {
        case 1:
            return ANSI_CHARSET;
        case 2:
            return TURKISH_CHARSET;
        default:
            return RUSSIAN_CHARSET;
    }
}

bool PrepareLandscapeA4(HWND owner) {
    ui::PrinterSettings& settings = ui::ApplicationPrinterSettings();
    if (!settings.GetDefaults()) {
        MessageBoxW(owner, W(CurrentTexts[kMsgNoPrinter]), W(CurrentTexts[kMsgWarning]), MB_OK);
        return false;
    }
    // Landscape A4, and no other setting imposed on the printer.
    ui::PrinterSettings::DeviceMode mode = settings.LockDeviceMode();
    if (mode) {
        mode->dmFields = DM_ORIENTATION | DM_PAPERSIZE;
        mode->dmOrientation = DMORIENT_LANDSCAPE;
        mode->dmPaperSize = DMPAPER_A4;
    }
    return true;
}

bool ConfirmColour(HWND owner, const ui::PrintDialog& dialog) {
    bool colour;
    {
        ui::PrinterSettings::DeviceMode mode = dialog.LockDeviceMode();
        colour = SaysColour(mode.get());
    }
    return colour || ui::AppMessageBox(owner, W(CurrentTexts[kMsgMonochromePrinter]), MB_YESNO) == IDYES;
}

WORD CopiesPrintedOnce(HDC dc, const ui::PrintDialog& dialog) {
    WORD copies = dialog.Copies();
    if (copies == 0) copies = 1;
    ui::PrinterSettings::DeviceMode chosen = dialog.LockDeviceMode();
    if (dc && chosen && chosen->dmCopies > 1) {
        std::string bytes(reinterpret_cast<const char*>(chosen.get()), chosen->dmSize + chosen->dmDriverExtra);
        DEVMODEW* once = reinterpret_cast<DEVMODEW*>(&bytes[0]);
        once->dmCopies = 1;
        once->dmFields &= ~DM_COLLATE;
        ResetDCW(dc, once);
    }
    return copies;
}

PrintJob::PrintJob(HDC dc, const std::u16string& documentName, const std::string& logSubject)
    : dc_(dc), documentName_(documentName), logSubject_(logSubject) {}

bool PrintJob::Start() {
    DOCINFOW document = {};
    document.cbSize = sizeof document;
    document.lpszDocName = W(documentName_);
    document.fwType = DI_APPBANDING;
    if (StartDocW(dc_, &document) > 0) return true;
    // "the printer did not start the document": nothing to abort.
    const DWORD error = GetLastError();
    refused_ = true;
    WriteLog((logSubject_ + ToCp1251(u" - не напечатан: принтер не начал документ, код ошибки ") +
              std::to_string(error) + "\r\n")
                 .c_str());
    return false;
}

bool PrintJob::BeginPage() {
    if (refused_) return false;
    if (StartPage(dc_) > 0) return true;
    Refused(u"принтер не начал страницу");
    return false;
}

bool PrintJob::FinishPage() {
    if (EndPage(dc_) > 0) {
        ++pagesDone_;
        return true;
    }
    Refused(u"принтер не закончил страницу");
    return false;
}

bool PrintJob::Finish() {
    if (refused_) return false;
    if (EndDoc(dc_) > 0) return true;
    Refused(u"принтер не закончил документ");
    return false;
}

void PrintJob::Refused(const char16_t* what) {
    // "<subject> - not printed: <what>, error code <n>", then the document is given up.
    const DWORD error = GetLastError();
    refused_ = true;
    WriteLog((logSubject_ + ToCp1251(u" - не напечатан: ") + ToCp1251(what) + ToCp1251(u", код ошибки ") +
              std::to_string(error) + "\r\n")
                 .c_str());
    AbortDoc(dc_);
}

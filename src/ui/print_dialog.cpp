// The application's printer settings and the print dialog.
#include "ui/print_dialog.h"

namespace ui {

PrinterSettings::~PrinterSettings() {
    if (devMode_) GlobalFree(devMode_);
    if (devNames_) GlobalFree(devNames_);
}

bool PrinterSettings::GetDefaults() {
    if (devNames_) return true;
    PRINTDLGW pd = {};
    pd.lStructSize = sizeof pd;
    pd.Flags = PD_RETURNDEFAULT;
    // No default printer: the dialog fails (PDERR_NODEFAULTPRN) and returns no handles.
    if (!PrintDlgW(&pd)) return false;
    if (devMode_) GlobalFree(devMode_);
    devMode_ = pd.hDevMode;
    devNames_ = pd.hDevNames;
    return devNames_ != nullptr;
}

PrinterSettings::DeviceMode::DeviceMode(HGLOBAL handle)
    : handle_(handle), mode_(handle ? static_cast<DEVMODEW*>(GlobalLock(handle)) : nullptr) {}

PrinterSettings::DeviceMode::~DeviceMode() {
    if (mode_) GlobalUnlock(handle_);
}

PrinterSettings& ApplicationPrinterSettings() {
    static PrinterSettings settings;
    return settings;
}

PrintDialog::PrintDialog(DWORD flags, HWND owner) : pd_() {
    pd_.lStructSize = sizeof pd_;
    pd_.hwndOwner = owner;
    pd_.Flags = (flags & ~(PD_RETURNDEFAULT | PD_PRINTSETUP)) | PD_RETURNDC;
    pd_.nCopies = 1;
}

INT_PTR PrintDialog::RunModal() {
    PrinterSettings& settings = ApplicationPrinterSettings();
    pd_.hDevMode = settings.devMode_;
    pd_.hDevNames = settings.devNames_;
    BOOL chosen = PrintDlgW(&pd_);
    dcError_ = chosen && !pd_.hDC ? GetLastError() : 0;
    // The dialog may have replaced the handles it was given; what it hands back is current.
    settings.devMode_ = pd_.hDevMode;
    settings.devNames_ = pd_.hDevNames;
    return chosen ? IDOK : IDCANCEL;
}

WORD PrintDialog::Copies() const {
    if (pd_.Flags & PD_USEDEVMODECOPIESANDCOLLATE) {
        PrinterSettings::DeviceMode mode = LockDeviceMode();
        if (mode) return static_cast<WORD>(mode->dmCopies);
    }
    return pd_.nCopies;
}

}  // namespace ui

// The printer settings the application keeps for the whole run, and the print dialog that
// starts from them and leaves the user's choice in them.
#pragma once

#include <windows.h>
#include <commdlg.h>

namespace ui {

// The device mode and names of the printer the application prints on. Empty until the first
// print asks for them; then they follow every choice made in a print dialog, so that the next
// print starts where the last one left off.
class PrinterSettings {
public:
    PrinterSettings() = default;
    PrinterSettings(const PrinterSettings&) = delete;
    PrinterSettings& operator=(const PrinterSettings&) = delete;
    ~PrinterSettings();

    // Takes the default printer's settings if there are none yet; false when no printer is
    // installed.
    bool GetDefaults();

    // The device mode, locked while the object lives (null when there are no settings).
    class DeviceMode {
    public:
        explicit DeviceMode(HGLOBAL handle);
        DeviceMode(const DeviceMode&) = delete;
        DeviceMode& operator=(const DeviceMode&) = delete;
        ~DeviceMode();
        DEVMODEW* operator->() const { return mode_; }
        DEVMODEW* get() const { return mode_; }
        explicit operator bool() const { return mode_ != nullptr; }

    private:
        HGLOBAL handle_;
        DEVMODEW* mode_;
    };
    DeviceMode LockDeviceMode() const { return DeviceMode(devMode_); }

private:
    friend class PrintDialog;
    HGLOBAL devMode_ = nullptr;
    HGLOBAL devNames_ = nullptr;
};

// The application's printer settings.
PrinterSettings& ApplicationPrinterSettings();

// The standard print dialog on the application's printer settings, returning a device context
// for the chosen printer.
class PrintDialog {
public:
    // `flags`: PD_... options; the dialog always returns a device context.
    PrintDialog(DWORD flags, HWND owner);
    PrintDialog(const PrintDialog&) = delete;
    PrintDialog& operator=(const PrintDialog&) = delete;
    virtual ~PrintDialog() = default;

    // Shows the dialog; IDOK when the user chose to print, IDCANCEL otherwise (also when the
    // dialog failed). The settings chosen become the application's.
    INT_PTR RunModal();

    // After OK: the chosen settings, the number of copies they ask for, and the printer's
    // device context, which the caller deletes. Without one, the system's error code from the
    // dialog's end.
    PrinterSettings::DeviceMode LockDeviceMode() const { return ApplicationPrinterSettings().LockDeviceMode(); }
    WORD Copies() const;
    HDC PrinterDC() const { return pd_.hDC; }
    DWORD PrinterDCError() const { return dcError_; }

private:
    PRINTDLGW pd_;
    DWORD dcError_ = 0;
};

}  // namespace ui

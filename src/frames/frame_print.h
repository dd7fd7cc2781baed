// View > Print: the frame the main window shows, with its commentary, on one landscape A4 page
// per copy.
#pragma once

#include <windows.h>

#include <string>

#include "core/settings.h"
#include "ui/print_dialog.h"

class FramePicture;
class MainWindow;
struct PageLayout;

// The print dialog of a frame, and the printing of the page on the printer chosen in it. One
// object serves one print.
class CFramePrint : public ui::PrintDialog {
public:
    // `language`: the interface language, whose letters the printer's font must have.
    CFramePrint(MainWindow& main, LanguageId language);

    // Prints the page after the dialog's OK: asks first when the printer may not print in
    // colour, then one page per copy in one document. A print the printer refuses (no device
    // context, a document or page it does not start or finish) is written to the log.
    void PrintFrame();

private:
    // The document of `copies` pages of the frame at `path`.
    void PrintDocument(HDC dc, const std::u16string& path, WORD copies);
    void DrawPage(HDC dc, const PageLayout& page, HFONT font, const FramePicture& picture);
    MainWindow& main_;
    LanguageId language_;
};

// The Print command: the no-printer message, landscape A4 in the application's printer
// settings, then, when a frame is shown, the dialog and the print.
void PrintCommand(MainWindow& main, LanguageId language);

// View > Print: the frame the main window shows, with its commentary, on one landscape A4 page
// per copy; and that page for any frame, as the printed journal prints it.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "core/settings.h"
#include "mainwnd/commentary_file.h"
#include "mainwnd/field_layout.h"
#include "ui/gdi_holders.h"
#include "ui/print_dialog.h"

class FramePicture;
class MainWindow;
struct PageLayout;

// The page of a frame, laid out for the printer `dc` with the fields' rectangles of the main
// window, and the font its texts are printed in (with the letters of `language`).
PageLayout LayOutFramePage(HDC dc, const std::array<FieldRect, kFieldCount>& fields);
ui::FontHolder MakeFramePageFont(const PageLayout& page, LanguageId language);

// Draws the page of the frame whose path is `heading`, with its picture (empty when the file
// could not be read: the place stays blank) and the commentary `texts` in the fields' boxes.
void DrawFramePage(HDC dc, const PageLayout& page, HFONT font, const FramePicture& picture,
                   const std::u16string& heading, const CommentaryTexts& texts);

// The fields' rectangles of the main window, where the page puts the fields' boxes.
std::array<FieldRect, kFieldCount> CommentaryFieldRects(const MainWindow& main);

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
    MainWindow& main_;
    LanguageId language_;
};

// The Print command: the no-printer message, landscape A4 in the application's printer
// settings, then, when a frame is shown, the dialog and the print.
void PrintCommand(MainWindow& main, LanguageId language);

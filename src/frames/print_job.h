// What every print of the program shares: the application's printer settings made landscape
// A4 (or the no-printer message), the question before printing in black and white, and one
// document of pages that ends, logged, at the first step the printer refuses.
#pragma once

#include <windows.h>

#include <string>

#include "core/settings.h"
#include "ui/print_dialog.h"

// The face of the printed texts: the same as the fields on screen.
extern const wchar_t* const kPrintFace;

// The character set of a language, so that the printer's font has its letters.
BYTE PrintCharset(LanguageId language);

// Takes the application's printer settings and makes them landscape A4. With no printer
// installed: the no-printer message, owned by `owner`, and false.
bool PrepareLandscapeA4(HWND owner);

// After the print dialog's OK: false when the printer may not print in colour and the operator
// does not want to print on it all the same.
bool ConfirmColour(HWND owner, const ui::PrintDialog& dialog);

// The number of copies chosen in the dialog (at least 1). The copies are pages of the document
// the program sends itself, so the printer is told to print each page once: a driver that made
// copies itself would otherwise print copies x copies sheets.
WORD CopiesPrintedOnce(HDC dc, const ui::PrintDialog& dialog);

// One document on a printer's device context, in device units. `logSubject` says in the log,
// in its 8-bit text, what was not printed ("кадр FRAMES\\x.png").
class PrintJob {
public:
    PrintJob(HDC dc, const std::u16string& documentName, const std::string& logSubject);
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    // Starts the document; false (logged) when the printer does not.
    bool Start();
    // One page drawn by `draw(dc)`; false (the document aborted, logged) when the printer did not
    // start or finish it. Nothing more is printed after a refusal.
    template <typename Draw>
    bool Page(Draw draw) {
        if (!BeginPage()) return false;
        draw(dc_);
        return FinishPage();
    }
    // Ends the document; false (aborted, logged) when the printer refuses it.
    bool Finish();

    // Pages the printer took so far.
    int PagesDone() const { return pagesDone_; }

private:
    bool BeginPage();
    bool FinishPage();
    void Refused(const char16_t* what);

    HDC dc_;
    std::u16string documentName_;
    std::string logSubject_;
    bool refused_ = false;
    int pagesDone_ = 0;
};

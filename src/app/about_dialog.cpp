// Help > About program.
#include "app/about_dialog.h"

#include "core/messages.h"
#include "core/text_format.h"
#include "mainwnd/main_window.h"
#include "res/resource.h"
#include "ui/wide.h"

CAboutDlg::CAboutDlg() : ui::Dialog(IDD_ABOUT) {}

BOOL CAboutDlg::OnInitDialog() {
    SetWindowTextW(hwnd(), W(CurrentTexts[kMsgAboutTitle]));
    SetItemText(IDC_ABOUT_VERSION, W(FormatText(CurrentTexts[kMsgAboutVersion], {ProgramVersion})));
    SetItemText(IDC_ABOUT_COPYRIGHT, W(CurrentTexts[kMsgCopyright]));
    return TRUE;
}

void AboutCommand(MainWindow& main) {
    CAboutDlg dialog;
    dialog.RunModal(main.hwnd());
}

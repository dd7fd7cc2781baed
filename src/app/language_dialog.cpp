// The Select language dialog and the command that applies the choice.
#include "app/language_dialog.h"

#include "core/app_state.h"
#include "core/messages.h"
#include "mainwnd/main_window.h"
#include "res/resource.h"
#include "ui/wide.h"

namespace {

const int kLanguageButtons[kLanguageCount] = {IDC_RADIO_RUSSIAN, IDC_RADIO_ENGLISH, IDC_RADIO_TURKISH};

}  // namespace

CSelectLanguage::CSelectLanguage() : ui::Dialog(IDD_SELECT_LANGUAGE) {}

BOOL CSelectLanguage::OnInitDialog() {
    for (int language = 0; language < kLanguageCount; ++language)
        CheckDlgButton(hwnd(), kLanguageButtons[language], App.CurrentLanguage == language ? BST_CHECKED : BST_UNCHECKED);
    SetWindowTextW(hwnd(), W(CurrentTexts[kMsgSelectLanguage]));
    return TRUE;
}

void CSelectLanguage::OnOK() {
    for (int language = 0; language < kLanguageCount; ++language) {
        if (IsDlgButtonChecked(hwnd(), kLanguageButtons[language]) == BST_CHECKED) {
            SelectLanguage(static_cast<LanguageId>(language));
            break;
        }
    }
    EndModal(IDOK);
}

void SelectLanguage(LanguageId language) {
    SelectLanguageTexts(language);
    App.CurrentLanguage = language;
}

void SelectLanguageCommand(MainWindow& main) {
    CSelectLanguage dialog;
    if (dialog.RunModal(main.hwnd()) != IDOK) return;
    // Also when the language stayed the same: the user confirmed it, so it is saved.
    main.ShowNewLanguage(App.CurrentLanguage);
    App.ConfigChanged = 1;
}

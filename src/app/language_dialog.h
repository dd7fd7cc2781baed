// The Select language dialog and the command that applies the choice.
#pragma once

#include "core/settings.h"
#include "ui/dialog.h"

class MainWindow;

class CSelectLanguage : public ui::Dialog {
public:
    CSelectLanguage();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
};

// Makes `language` the program's: its texts current, and the value kept for Pelorin.cfg (an
// unknown one shows the Russian texts and goes back to the file unchanged).
void SelectLanguage(LanguageId language);

// Settings > Select language...
void SelectLanguageCommand(MainWindow& main);

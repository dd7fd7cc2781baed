// The Select language dialog and the command that applies the choice.
#pragma once

#include "ui/dialog.h"

class CSelectLanguage : public ui::Dialog {
public:
    CSelectLanguage();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
};

// Settings > Select language...
void SelectLanguageCommand();

// Help > About program: name, version and copyright in the current language.
#pragma once

#include "ui/dialog.h"

class CAboutDlg : public ui::Dialog {
public:
    CAboutDlg();

protected:
    BOOL OnInitDialog() override;
};

class MainWindow;

// Help > About program.
void AboutCommand(MainWindow& main);

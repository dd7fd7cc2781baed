// Settings > Set IP address to connect: the detector's address in an IP address control.
#pragma once

#include "ui/dialog.h"

class CIPEditDlg : public ui::Dialog {
public:
    CIPEditDlg();

protected:
    BOOL OnInitDialog() override;
    // Takes the address when it is whole and usable; otherwise says why and stays open.
    void OnOK() override;
};

// Runs the dialog; its result is not used.
void SetIpAddressCommand(HWND owner);

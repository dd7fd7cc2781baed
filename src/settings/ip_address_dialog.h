// Settings > Set IP address to connect: the detector's address in an IP address control.
#pragma once

#include <cstdint>

#include "ui/dialog.h"

class CIPEditDlg : public ui::Dialog {
public:
    // `address`: the detector's address (first octet highest), shown first and, after OK,
    // the one the user entered.
    explicit CIPEditDlg(uint32_t address);
    uint32_t Address() const { return address_; }

protected:
    BOOL OnInitDialog() override;
    // Takes the address when it is whole and usable; otherwise says why and stays open.
    void OnOK() override;

private:
    uint32_t address_;
};

// Runs the dialog on `*address`; true, with the address entered, when the user confirmed one
// (also the same one again).
bool AskDeviceAddress(HWND owner, uint32_t* address);

// Settings > Set IP address to connect.
#include "settings/ip_address_dialog.h"

#include <commctrl.h>

#include "core/app_state.h"
#include "core/messages.h"
#include "res/resource.h"
#include "settings/address_entry.h"
#include "ui/message_box.h"
#include "ui/wide.h"

CIPEditDlg::CIPEditDlg() : ui::Dialog(IDD_IP_ADDRESS) {}

BOOL CIPEditDlg::OnInitDialog() {
    SendMessageW(Item(IDC_IP_ADDRESS), IPM_SETADDRESS, 0, static_cast<LPARAM>(AddressControlValue(App.DeviceIp)));
    SetWindowTextW(hwnd(), W(CurrentTexts[kMsgSetAddressTitle]));
    return TRUE;
}

void CIPEditDlg::OnOK() {
    HWND control = Item(IDC_IP_ADDRESS);
    DWORD value = 0;
    // The answer is the number of fields that hold a number; blank ones read as 0.
    const int filled = static_cast<int>(SendMessageW(control, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&value)));
    const AddressVerdict verdict = CheckEnteredAddress(filled, value);
    if (verdict != AddressVerdict::Accepted) {
        ui::AppMessageBox(hwnd(), W(AddressRefusal(verdict, value)), MB_OK | MB_ICONEXCLAMATION);
        SetFocus(control);
        return;
    }
    App.DeviceIp = DeviceIpFromControlValue(value);
    // Also when the address stayed the same: the user confirmed it, so it is saved.
    App.ConfigChanged = 1;
    EndModal(IDOK);
}

void SetIpAddressCommand(HWND owner) {
    // The IP address control's window class.
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_INTERNET_CLASSES};
    InitCommonControlsEx(&classes);
    CIPEditDlg dialog;
    dialog.RunModal(owner);
}

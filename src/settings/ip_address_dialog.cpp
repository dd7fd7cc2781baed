// Settings > Set IP address to connect.
#include "settings/ip_address_dialog.h"

#include <commctrl.h>

#include "core/messages.h"
#include "res/resource.h"
#include "settings/address_entry.h"
#include "ui/message_box.h"
#include "ui/wide.h"

CIPEditDlg::CIPEditDlg(uint32_t address) : ui::Dialog(IDD_IP_ADDRESS), address_(address) {}

BOOL CIPEditDlg::OnInitDialog() {
    SendMessageW(Item(IDC_IP_ADDRESS), IPM_SETADDRESS, 0, static_cast<LPARAM>(AddressControlValue(address_)));
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
    address_ = DeviceIpFromControlValue(value);
    EndModal(IDOK);
}

bool AskDeviceAddress(HWND owner, uint32_t* address) {
    // The IP address control's window class.
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_INTERNET_CLASSES};
    InitCommonControlsEx(&classes);
    CIPEditDlg dialog(*address);
    if (dialog.RunModal(owner) != IDOK) return false;
    *address = dialog.Address();
    return true;
}

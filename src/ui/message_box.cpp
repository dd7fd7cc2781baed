// Message boxes captioned with the application's name.
#include "ui/message_box.h"

namespace ui {

const wchar_t* const kAppName = L"Pelorin";

int AppMessageBox(HWND owner, const wchar_t* text, UINT type) {
    UINT buttons = type & MB_TYPEMASK;
    if ((type & MB_ICONMASK) == 0 && (buttons == MB_OK || buttons == MB_YESNO)) type |= MB_ICONEXCLAMATION;
    return MessageBoxW(owner, text, kAppName, type);
}

}  // namespace ui

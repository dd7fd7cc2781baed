// The keys of the commentary fields, through a subclass of each edit control.
#include "mainwnd/field_keys.h"

#include <commctrl.h>

#include "res/resource.h"

namespace {

constexpr UINT_PTR kSubclassId = 1;

bool Pressed(int key) { return GetKeyState(key) < 0; }

bool IsOneLine(HWND field) { return (GetWindowLongPtrW(field, GWL_STYLE) & ES_MULTILINE) == 0; }

void Tell(HWND field, FieldKey key) {
    SendMessageW(GetParent(field), UM_FIELDKEY, static_cast<WPARAM>(key), reinterpret_cast<LPARAM>(field));
}

LRESULT CALLBACK FieldProcedure(HWND field, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (message) {
        case WM_KEYDOWN:
            if (wParam == VK_TAB) {
                Tell(field, Pressed(VK_SHIFT) ? FieldKey::PreviousField : FieldKey::NextField);
                return 0;
            }
            if (wParam == VK_RETURN && IsOneLine(field)) {
                Tell(field, FieldKey::NextField);
                return 0;
            }
            if ((wParam == VK_NEXT || wParam == VK_PRIOR) && Pressed(VK_CONTROL)) {
                Tell(field, wParam == VK_NEXT ? FieldKey::NextFrame : FieldKey::PreviousFrame);
                return 0;
            }
            break;
        case WM_CHAR:
            // What the keys above would type: a tab, and a line break in a one-line field.
            if (wParam == L'\t') return 0;
            if ((wParam == L'\r' || wParam == L'\n') && IsOneLine(field)) return 0;
            break;
        case WM_COMMAND:
            // An accelerator goes to the window that has the focus; the main window's own are
            // passed on (the function keys stay with the field, which ignores them).
            if (HIWORD(wParam) == 1 && lParam == 0 && LOWORD(wParam) == ID_FILL_FROM_PREVIOUS)
                return SendMessageW(GetParent(field), WM_COMMAND, wParam, 0);
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(field, FieldProcedure, kSubclassId);
            break;
        default:
            break;
    }
    return DefSubclassProc(field, message, wParam, lParam);
}

}  // namespace

void PassOnFieldKeys(HWND field) { SetWindowSubclass(field, FieldProcedure, kSubclassId, 0); }

// A window object behind an HWND.
#include "ui/window.h"

namespace ui {

HWND CreateChild(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, const RECT& rect, int id) {
    HWND child = CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, rect.left, rect.top,
                                 rect.right - rect.left, rect.bottom - rect.top, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (child) SendMessageW(child, WM_SETFONT, SendMessageW(parent, WM_GETFONT, 0, 0), FALSE);
    return child;
}

Window::~Window() { Destroy(); }

bool Window::Create(const wchar_t* className, const wchar_t* title, DWORD style, const RECT& rect, HWND parent,
                    UINT id) {
    HWND created = CreateWindowExW(0, className, title, style, rect.left, rect.top, rect.right - rect.left,
                                   rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                   GetModuleHandleW(nullptr), this);
    return created != nullptr;
}

void Window::Destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool Window::RegisterWindowClass(HINSTANCE instance, const wchar_t* name, UINT style, HBRUSH background) {
    WNDCLASSW wc = {};
    wc.style = style;
    wc.lpfnWndProc = Procedure;
    wc.hInstance = instance;
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return RegisterClassW(&wc) != 0;
}

LRESULT Window::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self && message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (self) {
            self->hwnd_ = hwnd;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    }
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    LRESULT result = self->OnMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

}  // namespace ui

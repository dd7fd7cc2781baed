// A window object behind an HWND: messages reach the object's OnMessage.
#pragma once

#include <windows.h>

namespace ui {

// The id of a child control that needs none (labels, progress texts).
constexpr int kNoControlId = -1;

// Makes a visible child control of `parent` with the parent's font; null on failure.
HWND CreateChild(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, const RECT& rect,
                 int id = kNoControlId);

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND hwnd() const { return hwnd_; }

    // Creates the window with a class registered by RegisterWindowClass; false on failure.
    bool Create(const wchar_t* className, const wchar_t* title, DWORD style, const RECT& rect, HWND parent,
                UINT id);
    void Destroy();

    // Registers a window class whose windows forward their messages to their Window object
    // (windows created without one get the default window procedure).
    static bool RegisterWindowClass(HINSTANCE instance, const wchar_t* name, UINT style, HBRUSH background);

protected:
    // Default: DefWindowProc.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

}  // namespace ui

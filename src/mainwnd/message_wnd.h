// A small captioned child window with two lines of text on white, shown during the start-up
// search for the detector.
#pragma once

#include <string>

#include "ui/gdi_holders.h"
#include "ui/window.h"

// Messages to the window; wParam points to a zero-terminated UTF-16 text, which is copied.
constexpr UINT UM_SETLINE1 = WM_USER + 1;
constexpr UINT UM_SETLINE2 = WM_USER + 2;

class CMessageWnd : public ui::Window {
public:
    CMessageWnd();
    ~CMessageWnd() override;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();
    std::u16string line1_;
    std::u16string line2_;
    ui::BrushHolder background_;
};

// A small captioned child window with two lines of text on white, shown during the start-up
// search for the detector.
#pragma once

#include <array>
#include <string>

#include "mainwnd/window_scale.h"

#include "ui/gdi_holders.h"
#include "ui/window.h"

// Messages to the window; wParam points to a zero-terminated UTF-16 text, which is copied.
constexpr UINT UM_SETLINE1 = WM_USER + 1;
constexpr UINT UM_SETLINE2 = WM_USER + 2;

class CMessageWnd : public ui::Window {
public:
    // Its texts at the main window's layout scale.
    explicit CMessageWnd(double scale = 1);
    ~CMessageWnd() override;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();
    std::u16string line1_;
    std::u16string line2_;
    ui::BrushHolder background_;
    std::array<TextOrigin, 2> lines_;
    ui::FontHolder font_;  // none where the device context's own has the height
};

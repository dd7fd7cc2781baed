// The two-line message window of the start-up search.
#include "mainwnd/message_wnd.h"

#include "core/text_format.h"
#include "ui/dpi.h"
#include "ui/wide.h"

namespace {

// The texts come from 500-code-unit buffers; anything longer is cut, never overflowed.
std::u16string BoundedCopy(const wchar_t* text) {
    std::u16string copy = U(text);
    if (copy.size() > kTextBufferLength - 1) copy.resize(kTextBufferLength - 1);
    return copy;
}

}  // namespace

CMessageWnd::CMessageWnd(double scale)
    : background_(CreateSolidBrush(RGB(255, 255, 255))),
      lines_(MessageLinesAt(scale)),
      font_(ui::DefaultFontOfSize(FontsAt(scale).system.height, FontsAt(scale).system.width)) {}

CMessageWnd::~CMessageWnd() {
    // The window goes before its brush.
    Destroy();
}

LRESULT CMessageWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case UM_SETLINE1:
        case UM_SETLINE2:
            (message == UM_SETLINE1 ? line1_ : line2_) = BoundedCopy(reinterpret_cast<const wchar_t*>(wParam));
            InvalidateRect(hwnd(), nullptr, FALSE);
            return 0;
        case WM_PAINT:
            Paint();
            return 0;
        default:
            return ui::Window::OnMessage(message, wParam, lParam);
    }
}

void CMessageWnd::Paint() {
    ui::PaintSession paint(hwnd());
    HDC dc = paint.dc();
    RECT client;
    GetClientRect(hwnd(), &client);
    // Always the whole area, so that nothing of a longer earlier text stays behind.
    FillRect(dc, &client, background_.get());
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, OPAQUE);
    const ui::Selection font(dc, font_.get());
    if (!line1_.empty()) TextOutW(dc, lines_[0].x, lines_[0].y, W(line1_), static_cast<int>(line1_.size()));
    if (!line2_.empty()) TextOutW(dc, lines_[1].x, lines_[1].y, W(line2_), static_cast<int>(line2_.size()));
}

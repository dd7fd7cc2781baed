// The frame picture: the PNG drawn with GDI+ at every paint, cropped as the detector's screen
// needs. A missing or broken file leaves the grey background.
#include "mainwnd/picture_window.h"

#include "mainwnd/frame_picture.h"
#include "res/resource.h"
#include "ui/gdi_holders.h"

namespace {

const RECT kPlace = {5, 30, 522, 452};  // in the main window's client area
constexpr float kPictureMargin = 5;     // from the window's top-left corner

}  // namespace

void PictureWindow::SetFramePath(const std::u16string& path) {
    framePath_ = path;
    if (hwnd()) InvalidateRect(hwnd(), nullptr, TRUE);
}

void PictureWindow::Show(HWND mainWindow) {
    if (!Create(L"Output", L"", WS_CHILD | WS_VISIBLE, kPlace, mainWindow, IDC_PICTURE_WINDOW)) return;
    ShowWindow(hwnd(), SW_SHOW);
    UpdateWindow(hwnd());
}

LRESULT PictureWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        Paint();
        return 0;
    }
    return ui::Window::OnMessage(message, wParam, lParam);
}

void PictureWindow::Paint() {
    ui::PaintSession paint(hwnd());
    FramePicture picture;
    picture.Load(framePath_);
    picture.DrawCrop(paint.dc(), kPictureMargin, kPictureMargin);
}

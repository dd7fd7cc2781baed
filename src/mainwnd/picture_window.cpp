// The frame picture: the PNG decoded when the frame changes, drawn cropped as the detector's
// screen needs on the class's grey background at the layout's scale (from the PNG itself, so
// that it is as sharp as the screen allows), and kept as drawn for the paints that follow. A
// missing or broken file leaves the grey background.
#include "mainwnd/picture_window.h"

#include "mainwnd/window_scale.h"
#include "res/resource.h"

void PictureWindow::SetFramePath(const std::u16string& path) {
    framePath_ = path;
    // No erasing first: the next paint covers the whole window, so the old frame stays until
    // the new one replaces it.
    if (hwnd()) InvalidateRect(hwnd(), nullptr, FALSE);
}

void PictureWindow::Show(HWND mainWindow, const FieldRect& place, double scale) {
    scale_ = scale;
    const RECT rect = {place.left, place.top, place.right, place.bottom};
    if (!Create(L"Output", L"", WS_CHILD | WS_VISIBLE, rect, mainWindow, IDC_PICTURE_WINDOW)) return;
    ShowWindow(hwnd(), SW_SHOW);
    UpdateWindow(hwnd());
}

void PictureWindow::Place(const FieldRect& place, double scale) {
    scale_ = scale;
    drawing_ = ui::BitmapHolder();
    MoveWindow(hwnd(), place.left, place.top, place.right - place.left, place.bottom - place.top, FALSE);
    InvalidateRect(hwnd(), nullptr, FALSE);
}

LRESULT PictureWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint draws the background with the picture
        case WM_DESTROY:
            // Nothing of the frame is kept while no frame is on screen.
            picture_ = FramePicture();
            drawing_ = ui::BitmapHolder();
            break;
        default:
            break;
    }
    return ui::Window::OnMessage(message, wParam, lParam);
}

void PictureWindow::Paint() {
    ui::PaintSession paint(hwnd());
    // Another frame, or the file of this one replaced or deleted since it was decoded.
    if (picture_.Path() != framePath_ || picture_.FileChanged()) {
        picture_.Load(framePath_);
        drawing_ = ui::BitmapHolder();
    }
    RECT client;
    GetClientRect(hwnd(), &client);
    DrawClientArea(paint.dc(), client);
}

void PictureWindow::DrawClientArea(HDC windowDC, const RECT& client) {
    const HBRUSH background = reinterpret_cast<HBRUSH>(GetClassLongPtrW(hwnd(), GCLP_HBRBACKGROUND));
    const float margin = static_cast<float>(PictureMarginAt(scale_));
    const ui::OwnedDC memory(CreateCompatibleDC(windowDC));
    if (!drawing_ && memory) {
        drawing_ = ui::BitmapHolder(CreateCompatibleBitmap(windowDC, client.right, client.bottom));
        if (drawing_) {
            const ui::Selection selected(memory.get(), drawing_.get());
            FillRect(memory.get(), &client, background);
            picture_.DrawCrop(memory.get(), margin, margin, static_cast<float>(scale_));
        }
    }
    if (memory && drawing_) {
        const ui::Selection selected(memory.get(), drawing_.get());
        BitBlt(windowDC, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
        return;
    }
    // No memory for the drawing: straight onto the window.
    FillRect(windowDC, &client, background);
    picture_.DrawCrop(windowDC, margin, margin, static_cast<float>(scale_));
}

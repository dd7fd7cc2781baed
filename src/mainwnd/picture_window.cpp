// The frame picture: the PNG drawn with GDI+ at every paint, cropped as the detector's screen
// needs. A missing or broken file leaves the grey background.
#include "mainwnd/picture_window.h"

#include <objidl.h>
#include <gdiplus.h>

#include "mainwnd/frame_crop.h"
#include "res/resource.h"
#include "ui/wide.h"

namespace {

const RECT kPlace = {5, 30, 522, 452};  // in the main window's client area

}  // namespace

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
    using namespace Gdiplus;
    using namespace Gdiplus::DllExports;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    GpGraphics* graphics = nullptr;
    GpImage* image = nullptr;
    if (GdipCreateFromHDC(dc, &graphics) == Ok && GdipLoadImageFromFile(W(FramePath), &image) == Ok) {
        RectF bounds(0, 0, 0, 0);
        Unit unit = UnitPixel;
        GdipGetImageBounds(image, &bounds, &unit);
        // A picture narrower than the cut-away panel or lower than the bottom strip has nothing
        // to show; negative sizes would draw it mirrored.
        FrameCrop crop = CropFrame(bounds.Width, bounds.Height);
        if (crop.drawable)
            GdipDrawImageRectRect(graphics, image, 5, 5, crop.width, crop.height, crop.sourceX, crop.sourceY,
                                  crop.sourceWidth, crop.sourceHeight, UnitPixel, nullptr, nullptr, nullptr);
    }
    if (image) GdipDisposeImage(image);
    if (graphics) GdipDeleteGraphics(graphics);
    EndPaint(hwnd(), &ps);
}

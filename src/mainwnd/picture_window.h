// The child window of the main window that shows the current frame's picture, cropped, while
// a frame is on screen. The picture is decoded once per frame shown, and again only when its
// file changes on disk; the window paints from a drawing of it that it keeps.
#pragma once

#include <string>

#include "mainwnd/field_layout.h"
#include "mainwnd/frame_picture.h"
#include "ui/gdi_holders.h"
#include "ui/window.h"

class PictureWindow : public ui::Window {
public:
    // The frame file it shows; set before Show, or the window is painted anew with it.
    void SetFramePath(const std::u16string& path);

    // Makes the window at `place` in the main window's client area, with the picture drawn at
    // the layout's `scale`, and paints it at once.
    void Show(HWND mainWindow, const FieldRect& place, double scale);
    // The main window was laid out at another scale.
    void Place(const FieldRect& place, double scale);

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();
    void DrawClientArea(HDC windowDC, const RECT& client);

    std::u16string framePath_;
    FramePicture picture_;
    double scale_ = 1;
    // The client area as drawn for the picture held; null when it is to be drawn again.
    ui::BitmapHolder drawing_;
};

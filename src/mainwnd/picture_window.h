// The child window of the main window that shows the current frame's picture, cropped, while
// a frame is on screen. The picture is decoded once per frame shown, and again only when its
// file changes on disk; the window paints from a drawing of it that it keeps.
#pragma once

#include <string>

#include "mainwnd/frame_picture.h"
#include "ui/gdi_holders.h"
#include "ui/window.h"

class PictureWindow : public ui::Window {
public:
    // The frame file it shows; set before Show, or the window is painted anew with it.
    void SetFramePath(const std::u16string& path);

    // Makes the window at its place in the main window and paints it at once.
    void Show(HWND mainWindow);

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();
    void DrawClientArea(HDC windowDC, const RECT& client);

    std::u16string framePath_;
    FramePicture picture_;
    // The client area as drawn for the picture held; null when it is to be drawn again.
    ui::BitmapHolder drawing_;
};

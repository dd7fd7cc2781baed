// The child window of the main window that shows the current frame's picture, cropped, while
// a frame is on screen. The file is read anew at every paint.
#pragma once

#include <string>

#include "ui/window.h"

class PictureWindow : public ui::Window {
public:
    // The frame it shows; set before the window is made. The commentary is saved to the
    // frame named here, the one on screen.
    std::u16string FramePath;

    // Makes the window at its place in the main window and paints it at once.
    void Show(HWND mainWindow);

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();
};

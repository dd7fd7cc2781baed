// The child window of the main window that shows the current frame's picture, cropped, while
// a frame is on screen. The file is read anew at every paint.
#pragma once

#include <string>

#include "ui/window.h"

class PictureWindow : public ui::Window {
public:
    // The frame file it shows; set before Show, or the window is painted anew.
    void SetFramePath(const std::u16string& path);

    // Makes the window at its place in the main window and paints it at once.
    void Show(HWND mainWindow);

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();
    std::u16string framePath_;
};

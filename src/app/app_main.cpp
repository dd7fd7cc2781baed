// Pelorin.exe's entry point.
#include <windows.h>
#include <commctrl.h>

#include "app/app_object.h"
#include "ui/dpi.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    ui::DeclareDpiAwareness();
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_INTERNET_CLASSES};
    InitCommonControlsEx(&controls);
    return RunApplication(instance);
}

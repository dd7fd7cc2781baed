// Message boxes captioned with the application's name, as the program shows most of them.
#pragma once

#include <windows.h>

namespace ui {

// The application's name, the caption of its own message boxes.
extern const wchar_t* const kAppName;

// MessageBox with kAppName as caption; an OK or Yes/No box without an icon gets the
// exclamation icon.
int AppMessageBox(HWND owner, const wchar_t* text, UINT type);

}  // namespace ui

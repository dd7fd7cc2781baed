// The keys of the commentary fields. The program's message loop does no dialog keyboard
// handling, so a field would take Tab and Enter as text and drop the main window's keys; here
// each field passes them on instead: Tab and Shift+Tab, and Enter in a one-line field, move on
// through the fields, Ctrl+Page Down and Up browse the frames (the main window is told with
// UM_FIELDKEY), and the main window's accelerator commands that land on a field because it had
// the focus (Ctrl+D) go to the main window. Every other key is the field's as before.
#pragma once

#include <windows.h>

// To the field's parent: wParam a FieldKey, lParam the field.
constexpr UINT UM_FIELDKEY = WM_APP + 1;

enum class FieldKey : WPARAM { NextField, PreviousField, NextFrame, PreviousFrame };

// The field passes its keys on from now until it is destroyed.
void PassOnFieldKeys(HWND field);

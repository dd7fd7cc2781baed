// Reading a window's menu from inside the program that owns it.
//
// Wine keeps a menu's items in the process that loaded it: GetMenuItemCount and
// GetMenuItemInfo on another process's menu handle fail there. So the driver hooks the program's
// window thread with a hook procedure in pelorin-driver-hook.dll, which Wine loads into the
// program; a registered message sent to the window makes the hook describe the window's menu
// into a shared memory block that the driver created and then reads.
#pragma once

#include <windows.h>

#include <string>

// The message the driver sends; wParam is the driver's process id (names the shared block).
constexpr const wchar_t* kReadMenuMessageName = L"PelorinDriver.ReadMenu";
constexpr DWORD kMenuBlockSize = 256 * 1024;

// The message that asks for a list box's items instead (LB_GETTEXT and LB_GETITEMRECT answer
// into the caller's memory, which does not cross processes), written to the same block.
constexpr const wchar_t* kReadListMessageName = L"PelorinDriver.ReadList";

// The shared block: a 32-bit byte count (0 = nothing written), then that many bytes of JSON.
std::wstring MenuBlockName(DWORD driverPid);

// The menu bar of the window as a JSON array of items (text, id, separator, grayed, checked,
// and "items" for a popup).
std::string DescribeMenu(HMENU menu, int depth);

// The list box's item texts, the rectangles of its first item (its column width in a
// multi-column list) and its last, its client rectangle, item height, the widest item text as
// its font draws it, and its font (with the face it really draws with), as a JSON object.
std::string DescribeListBox(HWND list);

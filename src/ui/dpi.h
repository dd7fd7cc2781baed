// The screen's scale as Windows gives it: the program's awareness of it, the dpi of a window,
// the work area of a monitor, and what a window needs to follow a change of monitor. The calls
// of newer Windows are looked up when the program starts; older ones answer where they are
// missing (Windows 7 has no per-monitor dpi: every window has the system's).
#pragma once

#include <windows.h>

#include "ui/gdi_holders.h"

namespace ui {

constexpr int kDefaultDpi = 96;

// Declares the program aware of each monitor's dpi (per-monitor v2, else v1), or of the
// system's at least, the first that the system takes. The manifest declares the same; this is
// for systems that do not read it there. Call before any window is made.
void DeclareDpiAwareness();

// The dpi the window is drawn at.
int WindowDpi(HWND window);

// The work area (the monitor less the task bar) of the monitor that holds most of `window`,
// or of `place` on the screen.
RECT WorkAreaOf(HWND window);
RECT WorkAreaAt(const RECT& place);

// `pixels` at 96 dpi, at `dpi`, rounded.
inline int ScaledToDpi(int pixels, int dpi) { return MulDiv(pixels, dpi, kDefaultDpi); }

// A dialog that lays itself out when it moves to a monitor of another dpi: the dialog manager
// of Windows 10 must not resize it or change its controls' fonts on its own.
void LayOutOwnDpiChanges(HWND dialog);

// The font a device context writes with by default (the system font), `height` pixels high and
// `width` wide; an empty holder when the default font has that size (it is then used as it is).
// The system's font keeps its 96-dpi width at any dpi under Wine, so both are given.
FontHolder DefaultFontOfSize(int height, int width);

}  // namespace ui

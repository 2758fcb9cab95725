// The screen-wide mouse pointer of the form layer: while it is not the default, every window
// of the program shows it instead of its own pointer.
#pragma once

namespace mirokan::win32 {

enum class MousePointer : int { Default = 0, Hourglass = 11 };

void SetScreenMousePointer(MousePointer pointer);
MousePointer ScreenMousePointer();

// For WM_SETCURSOR: sets the screen-wide pointer and returns true when one is in force.
bool ApplyScreenMousePointer();

}  // namespace mirokan::win32

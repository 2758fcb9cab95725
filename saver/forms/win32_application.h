// The program's own services: its folder and command line, the screen's twips, message
// boxes, ending at once, the message loop, the guard every handler runs under, and the
// screen-wide mouse pointer.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "common/win32_file.h"

namespace mirokan::win32 {

// ProgramFolder() comes from common/win32_file.h: the renderer needs it too.
// The argument text after the program's own name, leading blanks removed.
std::wstring CommandLineText();
// Twips per pixel on the screen (15 at 96 dots per inch).
int TwipsPerPixelX();
int TwipsPerPixelY();
// A plain message box: OK only, no icon, waits.
void ShowMessage(const std::wstring& text, const std::wstring& caption);
// The caption of the saver's own messages.
inline constexpr wchar_t kApplicationTitle[] = L"Mirokan";
// Stops the process at once; no close or unload handler runs after it.
[[noreturn]] void EndAtOnce(UINT exit_code = 0);
// Runs the message loop until no form is left loaded; returns the exit code.
int RunMessageLoop();

// Every form handler and timer tick runs through this (see HandlerScope): while one runs,
// timer ticks are dropped, so a modal loop opened by a handler never re-enters a timer.
void RunHandler(const std::function<void()>& handler);

// The screen-wide mouse pointer: while it is not the default, every window of the program
// shows it instead of its own pointer.
enum class MousePointer : int { kDefault = 0, kHourglass = 11 };

void SetScreenMousePointer(MousePointer pointer);
MousePointer ScreenMousePointer();

// For WM_SETCURSOR: sets the screen-wide pointer and returns true when one is in force.
bool ApplyScreenMousePointer();

}  // namespace mirokan::win32

// Start-up of Mirokan.scr: the instance test, the dispatch on the command line, and the
// zoom animations the settings dialog opens and closes with.
#pragma once

#include <windows.h>

#include "saver/host/saver_state.h"

namespace mirokan::win32 {

// The one copy of the saver's shared state for this run.
SaverState& State();

// Decides what this start does, loads the one form it needs and returns; the program then
// lives while that form is loaded (or has already ended at once).
void Main();

// The caption zoom from the cursor start point to the window, and back.
void ZoomFromCursor(HWND window);
void ZoomToCursor(HWND window);

// The renderer program beside this one.
std::wstring RendererPath();

}  // namespace mirokan::win32

// Start-up of Mirokan.scr: the instance test, the dispatch on the command line, and the
// zoom animations the settings dialog opens and closes with.
#pragma once

#include <windows.h>

#include <string>

#include "saver/host/saver_state.h"

namespace mirokan::win32 {

// Decides what this start does, loads the one form it needs and returns; the program then
// lives while that form is loaded (or has already ended at once). The forms it loads keep
// the state, so it must outlive them.
void Main(SaverState& state);

// The caption zoom from the cursor start point to the window, and back.
void ZoomFromCursor(HWND window, const SaverState& state);
void ZoomToCursor(HWND window, const SaverState& state);

// The renderer program beside this one.
std::wstring RendererPath();

}  // namespace mirokan::win32

// Start-up of Mirokan.scr: the instance test and the dispatch on the command line.
#pragma once

#include <windows.h>

#include <string>

#include "saver/state/saver_state.h"

namespace mirokan::win32 {

// Decides what this start does, loads the one form it needs and returns; the program then
// lives while that form is loaded (or has already ended at once). The forms it loads keep
// the state, so it must outlive them.
void Main(SaverState& state);

// The renderer program beside this one.
std::wstring RendererPath();

}  // namespace mirokan::win32

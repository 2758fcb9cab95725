// Functions of system libraries that only some runs need, loaded at their first use. Every
// library a program imports is loaded and initialised before its first line runs; the
// dialog, shell and multimedia libraries would slow every start of the saver for the sake
// of the settings dialog and the music.
#pragma once

#include <windows.h>

namespace mirokan::win32 {

// `name` from `library` (a file name, loaded from the system folder only, never from the
// program's or the working folder, and so are the libraries it needs); null when either is
// missing. The library stays loaded.
FARPROC SystemProcedure(const wchar_t* library, const char* name);

template <typename Function>
Function* SystemFunction(const wchar_t* library, const char* name) {
  // The usual cast between function pointer types for what GetProcAddress returns.
  return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(SystemProcedure(library, name)));
}

}  // namespace mirokan::win32

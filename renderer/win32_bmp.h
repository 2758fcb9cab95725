// The snapshot reader and texture loader on Windows: opening the file and telling the user
// in message boxes; the parsing itself is bitmap_reader's.
#pragma once

#include <windows.h>

#include <string>

#include "renderer/bitmap_reader.h"
#include "renderer/gl_api.h"

namespace mirokan::win32 {

// Reads the bitmap at `path`, showing the reader's messages ("BMP Unit") in order.
BitmapReadResult ReadBitmapFile(const std::wstring& path);

// Reads `path` and builds the wall texture into `texture`. When no pixels came back it shows
// "Unable to load <path>" and ends the process with exit code 1; otherwise returns true.
bool LoadTunnelTexture(const std::wstring& path, GLuint& texture);

}  // namespace mirokan::win32

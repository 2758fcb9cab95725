// The snapshot reader and texture loader on Windows: opening the file and telling the user
// in message boxes; the parsing itself is bitmap_reader's.
#pragma once

#include <windows.h>

#include <future>
#include <string>

#include "renderer/bitmap_reader.h"

namespace mirokan::win32 {

// Reads the bitmap at `path`, showing the reader's messages ("BMP Unit") in order.
BitmapReadResult ReadBitmapFile(const std::wstring& path);

// The snapshot, read on a thread of its own from the renderer's start: the file is read
// while the window and its rendering context are made, which takes as long again. Its
// messages wait for the texture load, so the user sees them where they always came.
class SnapshotRead {
 public:
  explicit SnapshotRead(std::wstring path);
  const std::wstring& Path() const { return path_; }
  // Waits for the read and shows its messages. Called once: a second call reads again.
  BitmapReadResult Take();

 private:
  std::wstring path_;
  std::future<BitmapReadResult> result_;
};

// The snapshot's picture, for the wall textures. When no pixels came back it shows "Unable
// to load <path>" and ends the process with exit code 1.
BitmapReadResult LoadSnapshotPicture(SnapshotRead& snapshot);

}  // namespace mirokan::win32

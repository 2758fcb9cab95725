// The snapshot reader and texture loader on Windows: opening the file and telling the user
// in message boxes; the parsing itself is bitmap_reader's.
#pragma once

#include <windows.h>

#include <future>
#include <string>
#include <vector>

#include "renderer/bitmap_reader.h"
#include "renderer/monitor_layout.h"
#include "renderer/texture_levels.h"

namespace mirokan::win32 {

// Reads the bitmap at `path`, showing the reader's messages ("BMP Unit") in order.
BitmapReadResult ReadBitmapFile(const std::wstring& path);

// One monitor's part of the snapshot and its wall texture's levels.
struct PartLevels {
  ScreenRect part;
  std::vector<TextureLevel> levels;
};

// The snapshot read, the monitors as they stood then, and the levels of every monitor's part
// (the pixels are let go: `read.pixels` only tells whether there was a picture).
struct SnapshotPicture {
  BitmapReadResult read;
  std::vector<Monitor> pictured;
  std::vector<PartLevels> parts;
};

// The snapshot, read, cut and made into the textures' levels on a thread of its own from the
// renderer's start, while the window and its rendering context are made, which takes longer.
// Its messages wait for the texture load, so the user sees them where they always came.
class SnapshotRead {
 public:
  using Reader = SnapshotPicture (*)(const std::wstring& path);
  // `read` stands in for the file's read and the levels' build (tests).
  explicit SnapshotRead(std::wstring path, Reader read = nullptr);
  const std::wstring& Path() const { return path_; }
  // Waits for the read and shows its messages. Called once: a second call reads again. Memory
  // running out on the way gives no picture, like any snapshot that cannot be read.
  SnapshotPicture Take();

 private:
  std::wstring path_;
  Reader read_;
  std::future<SnapshotPicture> result_;
};

// The snapshot's picture, for the wall textures. When no pixels came back it shows "Unable
// to load <path>" and ends the process with exit code 1.
SnapshotPicture LoadSnapshotPicture(SnapshotRead& snapshot);

}  // namespace mirokan::win32

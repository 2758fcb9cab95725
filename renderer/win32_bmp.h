// The snapshot reader and texture loader on Windows: opening the file and telling the user
// in message boxes; the parsing itself is bitmap_reader's.
#pragma once

#include <windows.h>

#include <future>
#include <string>
#include <vector>

#include "renderer/bitmap_reader.h"
#include "renderer/gl_api.h"
#include "renderer/texture_levels.h"

namespace mirokan::win32 {

// Reads the bitmap at `path`, showing the reader's messages ("BMP Unit") in order.
BitmapReadResult ReadBitmapFile(const std::wstring& path);

// The snapshot read, and the texture's levels built from its pixels (which are then let go:
// `read.pixels` only tells whether there was a picture).
struct SnapshotPicture {
  BitmapReadResult read;
  std::vector<TextureLevel> levels;
};

// The snapshot, read and made into the texture's levels on a thread of its own from the
// renderer's start, while the window and its rendering context are made, which takes longer.
// Its messages wait for the texture load, so the user sees them where they always came.
class SnapshotRead {
 public:
  explicit SnapshotRead(std::wstring path);
  const std::wstring& Path() const { return path_; }
  // Waits for the read and shows its messages. Called once: a second call reads again.
  SnapshotPicture Take();

 private:
  std::wstring path_;
  std::future<SnapshotPicture> result_;
};

// Builds the wall texture into `texture` from the snapshot. When no pixels came back it shows
// "Unable to load <path>" and ends the process with exit code 1; otherwise returns true.
bool LoadTunnelTexture(SnapshotRead& snapshot, GLuint& texture);

}  // namespace mirokan::win32

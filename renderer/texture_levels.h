// The wall texture's mipmap levels, built from the snapshot's RGB rows without GL: the base
// level at a power of two per axis, sized and box-filtered as GLU's mipmap builder does it,
// then each level the 2 × 2 average of its parent. GLU does the same on one thread in
// floating point, and at 4K that was most of the renderer's start.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace mirokan {

struct LevelSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool operator==(const LevelSize&) const = default;
};

// Rows of width × 3 bytes (R, G, B), bottom row first, each row `stride` bytes after the one
// before it.
struct RgbView {
  LevelSize size;
  std::size_t stride = 0;
  const std::uint8_t* rows = nullptr;
};

// A level of tightly packed rows (stride width × 3).
struct TextureLevel {
  explicit TextureLevel(LevelSize size = {});
  LevelSize size;
  // Not cleared first: every byte is written once, and clearing a 4K level costs as much as
  // filtering it.
  std::unique_ptr<std::uint8_t[]> rgb;
  std::size_t Bytes() const {
    return static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height) * 3;
  }
  RgbView View() const { return {size, static_cast<std::size_t>(size.width) * 3, rgb.get()}; }
};

// GLU's base size: each axis to a power of two near it (from 3 · 2^k up it rounds up, below
// that down), both halved together while either exceeds `max_side` (the driver's largest).
LevelSize BaseLevelSize(LevelSize picture, std::int32_t max_side);

// The picture scaled to `base` with an area-weighted box filter (each texel the mean of the
// picture under it, rounded down), split over `threads` threads.
TextureLevel ScaleToBase(const RgbView& picture, LevelSize base, unsigned threads);

// The next level: each texel the rounded mean of the 2 × 2 texels under it, or of 2 once an
// axis is down to 1 (then rounded down, as GLU does).
TextureLevel HalveLevel(const RgbView& parent);

// Every level, base first, down to 1 × 1: the picture scaled to its base size (or copied when
// it is one already), then each level halved from the one before.
std::vector<TextureLevel> BuildTextureLevels(const RgbView& picture, std::int32_t max_side);

// Threads worth using for a level of `texels`: one below about a megapixel, where starting
// them costs more than they save, else the processors there are (at most 8).
unsigned LevelThreads(std::size_t texels);

}  // namespace mirokan

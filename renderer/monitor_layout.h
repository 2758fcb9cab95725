// Where the tunnels go: one on every monitor that shows something of its own, each lined
// with that monitor's part of the desktop picture the saver took of all monitors at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/screen_rect.h"

namespace mirokan {

struct Monitor {
  ScreenRect rect;
  bool primary = false;
  // The display's name: a monitor keeps it when its size or place changes.
  std::wstring device;
};

struct Tunnel {
  ScreenRect screen;  // the monitor it fills
  // Its part of the desktop picture, in the picture's pixels from its top-left corner;
  // none for a monitor that was not there when the picture was taken (it shows black).
  std::optional<ScreenRect> picture;

  friend bool operator==(const Tunnel&, const Tunnel&) = default;
};

// The parts of a `width` × `height` picture of the whole desktop taken while the monitors
// stood as in `pictured`: one per monitor, distinct, in the picture's pixels. A picture of
// another size than the monitors' bounding box is not of them (the layout changed before
// it was read, or a hand-made file): it is one part, whole, for the primary, which is also
// what a single monitor gets.
std::vector<ScreenRect> PictureParts(std::span<const Monitor> pictured, std::int32_t width,
                                     std::int32_t height);

// The tunnels for the monitors as they stand now, primary first. The primary is the
// monitor flagged so, else the one holding the screen origin, else the first. Empty and
// oversized monitors get none, nor does a monitor lying inside another (a mirror shows
// that one's tunnel; of two equal ones the first keeps it). A monitor is lined with the
// part of the pictured monitor of the same device name.
std::vector<Tunnel> PlaceTunnels(std::span<const Monitor> monitors,
                                 std::span<const Monitor> pictured, std::int32_t width,
                                 std::int32_t height);

// Where `part`, in the pixels of the file's picture, lies in that picture held scaled down by
// `scale` as `width` × `height` (BitmapReadResult): its blocks, whole.
ScreenRect HeldPart(const ScreenRect& part, std::int32_t scale, std::int32_t width,
                    std::int32_t height);

// The smallest rectangle holding every tunnel: where the one tunnel window goes.
ScreenRect BoundingRect(std::span<const Tunnel> tunnels);

// Where the part `part` of a `width` × `height` picture held as RGB rows padded to 4 bytes,
// bottom row first (the snapshot's order), begins: the byte offset of its lowest row's first
// pixel. Its rows follow at the picture's own stride. `part` must lie inside the picture.
std::size_t PartOffset(std::int32_t width, std::int32_t height, const ScreenRect& part);

}  // namespace mirokan

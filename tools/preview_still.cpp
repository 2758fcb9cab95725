#include "tools/preview_still.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <utility>
#include <vector>

#include "tools/egl_offscreen.h"
#include "renderer/bitmap_reader.h"
#include "renderer/tunnel_geometry.h"
#include "renderer/tunnel_scene.h"
#include "common/bitmap_writer.h"

namespace mirokan::still {
namespace {

constexpr int kDesktopWidth = 1024;
constexpr int kDesktopHeight = 640;
constexpr double kEyeDistance = 4.2;  // the scene's shift of the tunnel away from the eye

using Rgb = std::array<int, 3>;

// Top-down rows of blue, green, red, each row 3 × width bytes without padding.
struct BgrPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bgr;
};

constexpr Rgb Hex(std::uint32_t rgb) {
  return {static_cast<int>(rgb >> 16 & 0xFF), static_cast<int>(rgb >> 8 & 0xFF),
          static_cast<int>(rgb & 0xFF)};
}

class Canvas {
 public:
  Canvas(int width, int height) : picture_{width, height, {}} {
    picture_.bgr.resize(static_cast<std::size_t>(width) * height * 3);
  }

  void Put(int x, int y, Rgb colour) {
    if (x < 0 || y < 0 || x >= picture_.width || y >= picture_.height) return;
    std::uint8_t* pixel = &picture_.bgr[(static_cast<std::size_t>(y) * picture_.width + x) * 3];
    pixel[0] = static_cast<std::uint8_t>(colour[2]);
    pixel[1] = static_cast<std::uint8_t>(colour[1]);
    pixel[2] = static_cast<std::uint8_t>(colour[0]);
  }

  void VerticalGradient(Rgb top, Rgb bottom) {
    for (int y = 0; y < picture_.height; ++y) {
      const double f = static_cast<double>(y) / (picture_.height - 1);
      Rgb colour{};
      for (int c = 0; c < 3; ++c)
        colour[c] = static_cast<int>(std::lround(top[c] + (bottom[c] - top[c]) * f));
      for (int x = 0; x < picture_.width; ++x) Put(x, y, colour);
    }
  }

  // A rectangle with corners rounded by `radius`.
  void Box(int left, int top, int width, int height, Rgb colour, int radius = 0) {
    for (int y = top; y < top + height; ++y) {
      for (int x = left; x < left + width; ++x) {
        const int dx = std::max({left + radius - x, x - (left + width - 1 - radius), 0});
        const int dy = std::max({top + radius - y, y - (top + height - 1 - radius), 0});
        if (dx * dx + dy * dy <= radius * radius) Put(x, y, colour);
      }
    }
  }

  void Disc(int cx, int cy, int radius, Rgb colour) {
    for (int y = cy - radius; y <= cy + radius; ++y) {
      for (int x = cx - radius; x <= cx + radius; ++x) {
        if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius) Put(x, y, colour);
      }
    }
  }

  BgrPicture Take() { return std::move(picture_); }

 private:
  BgrPicture picture_;
};

struct Point2 {
  double x = 0;
  double y = 0;
};

// Centre of ring `ring`: halfway between its vertices at angle 0 and angle pi.
Point2 RingCentre(const TunnelGrid& grid, int ring) {
  const TunnelVertex& right = grid.At(0, ring);
  const TunnelVertex& left = grid.At(6, ring);
  return {(right.x + left.x) / 2.0, (right.y + left.y) / 2.0};
}

// Whether the eye sees the hole after the last section through the middle of the tube: the
// sight line to the centre of ring 31 stays within `margin` of every nearer ring's radius.
bool FarEndInSight(const TunnelGrid& grid, double margin) {
  const Point2 hole = RingCentre(grid, kTunnelSections);
  for (int ring = 0; ring < kTunnelSections; ++ring) {
    const double along = (kEyeDistance + ring) / (kEyeDistance + kTunnelSections);
    const Point2 centre = RingCentre(grid, ring);
    const double radius = 3.0 - ring / 12.0;
    if (std::hypot(hole.x * along - centre.x, hole.y * along - centre.y) > margin * radius) {
      return false;
    }
  }
  return true;
}

// A recognisable desktop: a blue-to-amber backdrop, icons, two windows and a task bar.
BgrPicture DrawSampleDesktop() {
  Canvas canvas(kDesktopWidth, kDesktopHeight);
  canvas.VerticalGradient(Hex(0x1D4E89), Hex(0xF2A541));
  // Faint grid lines over the backdrop.
  for (int x = 0; x < kDesktopWidth; x += 32) canvas.Box(x, 0, 1, kDesktopHeight, Hex(0x6F8FB8));
  for (int i = 0; i < 5; ++i) canvas.Box(20, 30 + i * 88, 48, 48, Hex(0xFFD166), 6);
  // A note window with a dark title bar and lines of "text".
  canvas.Box(112, 72, 400, 296, Hex(0xF4F1DE), 10);
  canvas.Box(112, 72, 400, 32, Hex(0x3D405B), 0);
  for (int line = 0; line < 6; ++line) {
    canvas.Box(136, 128 + line * 36, line % 2 ? 220 : 320, 12, Hex(0x3D405B));
  }
  // A picture window with a green title bar and two discs.
  canvas.Box(560, 128, 384, 320, Hex(0xE07A5F), 10);
  canvas.Box(560, 128, 384, 32, Hex(0x81B29A), 0);
  canvas.Disc(688, 304, 72, Hex(0x2A9D8F));
  canvas.Disc(824, 264, 40, Hex(0xF4F1DE));
  // The task bar with its start button.
  canvas.Box(0, kDesktopHeight - 32, kDesktopWidth, 32, Hex(0x22223B));
  canvas.Box(6, kDesktopHeight - 27, 82, 22, Hex(0x4CC9F0), 5);
  return canvas.Take();
}

}  // namespace

FrameChoice ChooseFrame() {
  TunnelMotion motion;
  TunnelGrid grid;
  FrameChoice best;
  for (int frame = 1; frame <= kFramesSearched; ++frame) {
    const double phase = AdvancePhase(motion);
    RecomputeTunnelGrid(phase, grid);
    UpdateSpeed(motion, KeyState::kReleased, KeyState::kReleased);
    // Four fifths of the radius keep a band of wall visible round the far end.
    if (!FarEndInSight(grid, 0.8)) continue;
    const Point2 far_end = RingCentre(grid, kTunnelSections);
    const double bend = std::hypot(far_end.x, far_end.y);
    if (bend > best.bend) best = {frame, bend, phase};
  }
  return best;
}

std::vector<std::uint8_t> RenderStill(std::string& error) {
  constexpr int kWidth = kStillWidth * kSupersample;
  constexpr int kHeight = kStillHeight * kSupersample;
  const FrameChoice choice = ChooseFrame();
  if (choice.frame == 0) {
    error = "no frame shows the far end";
    return {};
  }

  // The desktop goes through the snapshot's file form and the renderer's own reader, so the
  // texture is built exactly as the saver's run builds it.
  const BgrPicture desktop = DrawSampleDesktop();
  const std::vector<std::uint8_t> snapshot =
      EncodeBitmap24(desktop.width, desktop.height, desktop.bgr.data(),
                     static_cast<std::size_t>(desktop.width) * 3);
  MemoryByteSource source(std::as_bytes(std::span(snapshot)));
  const BitmapReadResult texture = ReadBitmap(source);
  if (!texture.pixels) {
    error = "the sample desktop did not read back";
    return {};
  }

  test::EglOffscreen offscreen(kWidth, kHeight);
  if (!offscreen.Ready()) {
    error = offscreen.Error();
    return {};
  }
  TunnelScene scene;
  TunnelScene::ResizeScene(kWidth, kHeight);
  scene.SetupScene([&](GLuint& name) {
    BuildTunnelTexture(texture.width, texture.height, texture.pixels->data(), name);
    return true;
  });
  scene.DrawTunnelFrame(choice.phase);
  const std::vector<std::uint8_t> rgba = offscreen.ReadPixels();  // bottom row first
  scene.ReleaseTexture();

  // Box-filter down to the still's size, top row first, as blue, green, red.
  std::vector<std::uint8_t> still(static_cast<std::size_t>(kStillWidth) * kStillHeight * 3);
  for (int y = 0; y < kStillHeight; ++y) {
    for (int x = 0; x < kStillWidth; ++x) {
      std::array<int, 3> sum{};
      for (int sy = 0; sy < kSupersample; ++sy) {
        const int row = kHeight - 1 - (y * kSupersample + sy);
        for (int sx = 0; sx < kSupersample; ++sx) {
          const std::uint8_t* p =
              &rgba[(static_cast<std::size_t>(row) * kWidth + x * kSupersample + sx) * 4];
          for (int c = 0; c < 3; ++c) sum[c] += p[c];
        }
      }
      std::uint8_t* out = &still[(static_cast<std::size_t>(y) * kStillWidth + x) * 3];
      constexpr int kSamples = kSupersample * kSupersample;
      for (int c = 0; c < 3; ++c) {
        out[2 - c] = static_cast<std::uint8_t>((sum[c] + kSamples / 2) / kSamples);
      }
    }
  }
  return EncodeBitmap24(kStillWidth, kStillHeight, still.data(),
                        static_cast<std::size_t>(kStillWidth) * 3);
}

}  // namespace mirokan::still

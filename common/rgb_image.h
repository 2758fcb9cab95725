// A small picture in plain memory: 8-bit red, green and blue, rows top to bottom. The
// button's faces, the banner's light and the dialog's marks are drawn in it, away from GDI.
#pragma once

#include <cstdint>
#include <vector>

namespace mirokan {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

constexpr Rgb RgbOf(std::uint32_t hex) {
  return {std::uint8_t(hex >> 16), std::uint8_t(hex >> 8), std::uint8_t(hex)};
}

class RgbImage {
 public:
  RgbImage() = default;
  RgbImage(int width, int height, Rgb fill = {});

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Out-of-range reads give black and out-of-range writes are dropped.
  Rgb At(int x, int y) const;
  void Set(int x, int y, Rgb colour);
  const std::vector<Rgb>& Pixels() const { return pixels_; }

 private:
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  int width_ = 0;
  int height_ = 0;
  std::vector<Rgb> pixels_;  // rows top to bottom
};

}  // namespace mirokan

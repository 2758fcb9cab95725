#include "common/rgb_image.h"

namespace mirokan {

RgbImage::RgbImage(int width, int height, Rgb fill) {
  if (width <= 0 || height <= 0) return;
  width_ = width;
  height_ = height;
  pixels_.assign(std::size_t(width) * std::size_t(height), fill);
}

Rgb RgbImage::At(int x, int y) const {
  return Inside(x, y) ? pixels_[std::size_t(y) * std::size_t(width_) + std::size_t(x)] : Rgb{};
}

void RgbImage::Set(int x, int y, Rgb colour) {
  if (Inside(x, y)) pixels_[std::size_t(y) * std::size_t(width_) + std::size_t(x)] = colour;
}

}  // namespace mirokan

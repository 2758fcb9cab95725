#include "tools/app_icon.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <string_view>

namespace mirokan::icon {
namespace {

constexpr double kDesignSize = 32.0;  // the window icon's own size, which fixes the rings
constexpr int kSamples = 4;           // per axis, so the small sizes keep their rings smooth

void Put16(std::vector<std::uint8_t>& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}
void Put32BigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// The picture as an icon image: a bitmap header of double height, the pixels bottom row
// first, then the all-opaque mask of one bit per pixel, rows padded to 4 bytes.
std::vector<std::uint8_t> BitmapImage(int size, const std::vector<std::uint8_t>& pixels) {
  std::vector<std::uint8_t> out;
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(size));
  Put32(out, static_cast<std::uint32_t>(size * 2));
  Put16(out, 1);
  Put16(out, 32);
  for (int i = 0; i < 6; ++i) Put32(out, 0);
  for (int y = size - 1; y >= 0; --y) {
    const auto row = pixels.begin() + static_cast<std::ptrdiff_t>(y) * size * 4;
    out.insert(out.end(), row, row + size * 4);
  }
  const int mask_row = (size + 31) / 32 * 4;
  out.insert(out.end(), static_cast<std::size_t>(mask_row) * size, 0);
  return out;
}

void PutChunk(std::vector<std::uint8_t>& out, std::string_view type,
              const std::vector<std::uint8_t>& data) {
  Put32BigEndian(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type.begin(), type.end());
  out.insert(out.end(), data.begin(), data.end());
  Put32BigEndian(out, static_cast<std::uint32_t>(
                          crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

// An 8-bit RGBA PNG; at 256 pixels the bitmap form would be five times the size.
std::vector<std::uint8_t> PngImage(int size, const std::vector<std::uint8_t>& pixels) {
  std::vector<std::uint8_t> raw;
  for (int y = 0; y < size; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < size; ++x) {
      const std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * size + x) * 4];
      raw.insert(raw.end(), {p[2], p[1], p[0], p[3]});
    }
  }
  uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
  std::vector<std::uint8_t> packed(packed_size);
  compress2(packed.data(), &packed_size, raw.data(), static_cast<uLong>(raw.size()), 9);
  packed.resize(packed_size);

  std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  Put32BigEndian(header, static_cast<std::uint32_t>(size));
  Put32BigEndian(header, static_cast<std::uint32_t>(size));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter, no interlace
  PutChunk(out, "IHDR", header);
  PutChunk(out, "IDAT", packed);
  PutChunk(out, "IEND", {});
  return out;
}

}  // namespace

std::vector<std::uint8_t> TunnelPixels(int size) {
  std::vector<std::uint8_t> pixels;
  pixels.reserve(static_cast<std::size_t>(size) * size * 4);
  const double scale = kDesignSize / size;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      double sum[3] = {};
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          // The window icon's rings: centred at (17, 15) of 32, bright where cos peaks,
          // darker towards the middle.
          const double dx = (x + (sx + 0.5) / kSamples) * scale - 17.0;
          const double dy = (y + (sy + 0.5) / kSamples) * scale - 15.0;
          const double r = std::sqrt(dx * dx + dy * dy);
          const double ring = 0.5 + 0.5 * std::cos(r * 1.6);
          const double light = std::min(1.0, r / 16.0) * (0.35 + 0.65 * ring);
          const double peaks[3] = {255.0, 190.0, 150.0};  // blue, green, red
          for (int c = 0; c < 3; ++c) sum[c] += std::min(255.0, peaks[c] * light);
        }
      }
      for (const double channel : sum) {
        pixels.push_back(static_cast<std::uint8_t>(std::lround(channel / (kSamples * kSamples))));
      }
      pixels.push_back(255);
    }
  }
  return pixels;
}

std::vector<std::uint8_t> IconFile() {
  std::vector<std::vector<std::uint8_t>> images;
  for (const int size : kIconSizes) {
    const std::vector<std::uint8_t> pixels = TunnelPixels(size);
    images.push_back(size >= 256 ? PngImage(size, pixels) : BitmapImage(size, pixels));
  }
  std::vector<std::uint8_t> out;
  Put16(out, 0);
  Put16(out, 1);  // an icon, not a cursor
  Put16(out, static_cast<unsigned>(images.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    const int size = kIconSizes[i];
    out.push_back(static_cast<std::uint8_t>(size >= 256 ? 0 : size));  // 0 stands for 256
    out.push_back(static_cast<std::uint8_t>(size >= 256 ? 0 : size));
    out.push_back(0);
    out.push_back(0);
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, static_cast<std::uint32_t>(images[i].size()));
    Put32(out, offset);
    offset += static_cast<std::uint32_t>(images[i].size());
  }
  for (const auto& image : images) out.insert(out.end(), image.begin(), image.end());
  return out;
}

}  // namespace mirokan::icon

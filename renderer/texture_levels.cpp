#include "renderer/texture_levels.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <numeric>
#include <system_error>
#include <thread>

namespace mirokan {
namespace {

// GLU's rounding to a power of two: halve until 1 or 3 is left; a 3 becomes 4.
std::int32_t NearPowerOfTwo(std::int32_t value) {
  std::int32_t power = 1;
  for (auto v = static_cast<std::uint32_t>(value); v > 1; v >>= 1) {
    if (v == 3) return power * 4;
    power *= 2;
  }
  return power;
}

// Which input pixels of one axis fall under each output texel, and how much of each. In
// units of 1 / (out / g), where g = gcd(in, out), pixel x spans [x · b, (x + 1) · b) and
// texel j spans [j · a, (j + 1) · a), with a = in / g and b = out / g: every overlap is a
// whole number and each texel's weights add up to a. Every texel gets `taps` weights from
// pixel first[j] on, the window moved inwards at the far edge and padded with zeros.
struct AxisWeights {
  std::uint32_t total = 0;  // a
  std::int32_t taps = 0;
  std::vector<std::int32_t> first;
  std::vector<std::uint32_t> weight;  // taps per texel
};

AxisWeights WeightsFor(std::int32_t in, std::int32_t out) {
  const std::int64_t g = std::gcd(in, out);
  const std::int64_t a = in / g;
  const std::int64_t b = out / g;
  const auto pixel_span = [&](std::int64_t j) {  // first and one past the last pixel of texel j
    return std::pair{j * a / b, (j * a + a + b - 1) / b};
  };
  AxisWeights axis;
  axis.total = static_cast<std::uint32_t>(a);
  for (std::int64_t j = 0; j < out; ++j) {
    const auto [x0, x1] = pixel_span(j);
    axis.taps = std::max(axis.taps, static_cast<std::int32_t>(x1 - x0));
  }
  axis.first.resize(static_cast<std::size_t>(out));
  axis.weight.assign(static_cast<std::size_t>(out) * static_cast<std::size_t>(axis.taps), 0);
  for (std::int64_t j = 0; j < out; ++j) {
    const auto [x0, x1] = pixel_span(j);
    const std::int64_t first = std::min<std::int64_t>(x0, in - axis.taps);
    axis.first[static_cast<std::size_t>(j)] = static_cast<std::int32_t>(first);
    for (std::int64_t x = x0; x < x1; ++x) {
      const std::int64_t overlap = std::min(j * a + a, (x + 1) * b) - std::max(j * a, x * b);
      axis.weight[static_cast<std::size_t>(j * axis.taps + x - first)] =
          static_cast<std::uint32_t>(overlap);
    }
  }
  return axis;
}

// floor(sum / divisor) for sums below 256 · divisor. Below 2^23 it is a multiplication and
// the sums fit 32 bits: with 2^shift > 512 · divisor², the error of the rounded-up
// reciprocal stays below 1 / divisor. Odd sizes near the reader's limits need the rest.
struct SmallQuotient {
  using Sum = std::uint32_t;
  explicit SmallQuotient(std::uint64_t divisor)
      : shift(2 * std::bit_width(divisor) + 9), factor((std::uint64_t{1} << shift) / divisor + 1) {}
  std::uint8_t Of(Sum sum) const { return static_cast<std::uint8_t>(sum * factor >> shift); }
  int shift;
  std::uint64_t factor;
};

struct LargeQuotient {
  using Sum = std::uint64_t;
  explicit LargeQuotient(std::uint64_t divisor) : divisor(divisor) {}
  std::uint8_t Of(Sum sum) const { return static_cast<std::uint8_t>(sum / divisor); }
  std::uint64_t divisor;
};

// Runs work(begin, end) over bands of [0, count) on `threads` threads, this one included.
// Without threads to spare it runs the whole range here.
template <typename Work>
void InBands(std::int32_t count, unsigned threads, const Work& work) {
  threads = std::max(1u, std::min<unsigned>(threads, static_cast<unsigned>(count)));
  std::vector<std::thread> helpers;
  std::int32_t begin = 0;
  for (unsigned t = 1; t < threads; ++t) {
    const auto end = static_cast<std::int32_t>(std::int64_t{count} * t / threads);
    try {
      helpers.emplace_back([&work, begin, end] { work(begin, end); });
    } catch (const std::system_error&) {
      break;  // this thread takes the rest
    }
    begin = end;
  }
  work(begin, count);
  for (std::thread& helper : helpers) helper.join();
}

template <typename Quotient, std::size_t kTaps>
void ScaleRows(const RgbView& picture, const AxisWeights& across, const AxisWeights& down,
               unsigned threads, TextureLevel& level) {
  using Sum = typename Quotient::Sum;
  const LevelSize base = level.size;
  const Quotient quotient(std::uint64_t{across.total} * down.total);
  const std::size_t row_values = static_cast<std::size_t>(base.width) * 3;
  const auto taps_x = static_cast<std::size_t>(across.taps);

  InBands(base.height, threads, [&](std::int32_t begin, std::int32_t end) {
    // Input rows filtered across, kept by row number: neighbouring texel rows share them.
    const std::size_t cached = kTaps != 0 ? kTaps : static_cast<std::size_t>(down.taps);
    std::vector<std::int32_t> cached_row(cached, -1);
    std::vector<std::uint32_t> across_rows(cached * row_values);
    const auto filtered_across = [&](std::int32_t y) -> const std::uint32_t* {
      const std::size_t slot = static_cast<std::size_t>(y) % cached;
      std::uint32_t* out = &across_rows[slot * row_values];
      if (cached_row[slot] == y) return out;
      cached_row[slot] = y;
      const std::uint8_t* row = picture.rows + static_cast<std::size_t>(y) * picture.stride;
      for (std::size_t j = 0; j < static_cast<std::size_t>(base.width); ++j) {
        const std::uint8_t* p = row + static_cast<std::size_t>(across.first[j]) * 3;
        const std::uint32_t* w = &across.weight[j * taps_x];
        std::uint32_t r = 0, g = 0, b = 0;
        for (std::size_t k = 0; k < taps_x; ++k, p += 3) {
          r += w[k] * p[0];
          g += w[k] * p[1];
          b += w[k] * p[2];
        }
        out[3 * j] = r, out[3 * j + 1] = g, out[3 * j + 2] = b;
      }
      return out;
    };
    std::vector<const std::uint32_t*> rows(cached);
    for (std::int32_t i = begin; i < end; ++i) {
      const std::uint32_t* w = &down.weight[static_cast<std::size_t>(i) * cached];
      for (std::size_t k = 0; k < cached; ++k)
        rows[k] = filtered_across(down.first[i] + static_cast<std::int32_t>(k));
      std::uint8_t* out = level.rgb.get() + static_cast<std::size_t>(i) * row_values;
      for (std::size_t v = 0; v < row_values; ++v) {
        Sum sum = 0;
        for (std::size_t k = 0; k < cached; ++k) sum += Sum{w[k]} * rows[k][v];
        out[v] = quotient.Of(sum);
      }
    }
  });
}

}  // namespace

TextureLevel::TextureLevel(LevelSize size)
    : size(size), rgb(std::make_unique_for_overwrite<std::uint8_t[]>(Bytes())) {}

LevelSize BaseLevelSize(LevelSize picture, std::int32_t max_side) {
  LevelSize base{NearPowerOfTwo(picture.width), NearPowerOfTwo(picture.height)};
  while ((base.width > max_side || base.height > max_side) && (base.width > 1 || base.height > 1)) {
    base.width = std::max(1, base.width / 2);
    base.height = std::max(1, base.height / 2);
  }
  return base;
}

unsigned LevelThreads(std::size_t texels) {
  if (texels < (std::size_t{1} << 20)) return 1;
  return std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
}

TextureLevel ScaleToBase(const RgbView& picture, LevelSize base, unsigned threads) {
  assert(picture.size.width > 0 && picture.size.height > 0 && "an empty picture has no level");
  TextureLevel level(base);
  const AxisWeights across = WeightsFor(picture.size.width, base.width);
  const AxisWeights down = WeightsFor(picture.size.height, base.height);
  // Rows of the picture under one texel row: 1 to 3 at GLU's sizes (a constant lets the
  // compiler unroll), more only when the base was halved to fit the driver.
  const bool small = std::uint64_t{across.total} * down.total < (std::uint64_t{1} << 23);
  const auto scale = [&]<std::size_t kTaps>() {
    if (small) {
      ScaleRows<SmallQuotient, kTaps>(picture, across, down, threads, level);
    } else {
      ScaleRows<LargeQuotient, kTaps>(picture, across, down, threads, level);
    }
  };
  switch (down.taps) {
    case 1:
      scale.template operator()<1>();
      break;
    case 2:
      scale.template operator()<2>();
      break;
    case 3:
      scale.template operator()<3>();
      break;
    default:
      scale.template operator()<0>();
      break;
  }
  return level;
}

TextureLevel HalveLevel(const RgbView& parent) {
  const LevelSize from = parent.size;
  const LevelSize to{std::max(1, from.width / 2), std::max(1, from.height / 2)};
  TextureLevel level(to);
  const std::size_t out_values = static_cast<std::size_t>(to.width) * 3;
  InBands(to.height, LevelThreads(static_cast<std::size_t>(to.width) * to.height),
          [&](std::int32_t begin, std::int32_t end) {
            for (std::int32_t i = begin; i < end; ++i) {
              const std::uint8_t* a =
                  parent.rows +
                  parent.stride * static_cast<std::size_t>(from.height > 1 ? 2 * i : i);
              std::uint8_t* out = level.rgb.get() + static_cast<std::size_t>(i) * out_values;
              if (from.width > 1 && from.height > 1) {
                const std::uint8_t* b = a + parent.stride;
                for (std::size_t v = 0; v < out_values; ++v) {
                  const std::size_t x = v / 3 * 6 + v % 3;
                  out[v] = static_cast<std::uint8_t>((a[x] + a[x + 3] + b[x] + b[x + 3] + 2) / 4);
                }
              } else if (from.width > 1) {  // one row left
                for (std::size_t v = 0; v < out_values; ++v) {
                  const std::size_t x = v / 3 * 6 + v % 3;
                  out[v] = static_cast<std::uint8_t>((a[x] + a[x + 3]) / 2);
                }
              } else {  // one column left
                const std::uint8_t* b = a + parent.stride;
                for (std::size_t v = 0; v < 3; ++v) {
                  out[v] = static_cast<std::uint8_t>((a[v] + b[v]) / 2);
                }
              }
            }
          });
  return level;
}

std::vector<TextureLevel> BuildTextureLevels(const RgbView& picture, std::int32_t max_side) {
  const LevelSize base = BaseLevelSize(picture.size, max_side);
  std::vector<TextureLevel> levels;
  levels.push_back(
      ScaleToBase(picture, base, LevelThreads(static_cast<std::size_t>(base.width) * base.height)));
  while (levels.back().size.width > 1 || levels.back().size.height > 1) {
    levels.push_back(HalveLevel(levels.back().View()));
  }
  return levels;
}

}  // namespace mirokan

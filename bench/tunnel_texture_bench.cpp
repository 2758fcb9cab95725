// The wall texture built from a snapshot on Mesa's software renderer, offscreen, each way in
// bench/texture_ways.h: the part before a rendering context is needed, and the upload.
#include <benchmark/benchmark.h>

#include <memory>

#include "bitmap_fixture.h"
#include "texture_ways.h"
#include "tools/egl_offscreen.h"

namespace mirokan {
namespace {

BitmapReadResult Picture(std::int32_t width, std::int32_t height) {
  const std::vector<std::byte> file = test::MakeBitmap({.width = width, .height = height});
  MemoryByteSource source(file);
  return ReadBitmap(source);
}

// Arguments: the way, the picture's width and height.
enum class Part { kBeforeContext, kUpload };

void TextureWay(benchmark::State& state, Part part) {
  static auto offscreen = std::make_unique<test::EglOffscreen>(64, 64);
  if (!offscreen->Ready()) {
    state.SkipWithError(offscreen->Error().c_str());
    return;
  }
  const bench::TextureWay& way = bench::kTextureWays[state.range(0)];
  state.SetLabel(way.name);
  const auto width = static_cast<std::int32_t>(state.range(1));
  const auto height = static_cast<std::int32_t>(state.range(2));
  const BitmapReadResult picture = Picture(width, height);
  const RgbView view{
      {width, height}, static_cast<std::size_t>(PaddedRowLength(width)), picture.pixels->data()};
  std::vector<TextureLevel> prepared = way.prepare(view);
  for (auto _ : state) {
    if (part == Part::kBeforeContext) {
      prepared = way.prepare(view);
      continue;
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    way.upload(view, prepared);
    glFinish();
    glDeleteTextures(1, &texture);
  }
}

void Prepare(benchmark::State& state) {
  TextureWay(state, Part::kBeforeContext);
}
void Upload(benchmark::State& state) {
  TextureWay(state, Part::kUpload);
}

void Sizes(benchmark::internal::Benchmark* b, std::initializer_list<std::int64_t> third) {
  for (const std::int64_t t : third) {
    for (const auto& [width, height] : {std::pair{1280, 800}, {1920, 1080}, {3840, 2160}}) {
      b->Args({t, width, height});
    }
  }
}

BENCHMARK(Prepare)->Apply([](auto* b) {
                    Sizes(b, {1, 2});
                  }) -> Unit(benchmark::kMillisecond) -> UseRealTime();
BENCHMARK(Upload)->Apply([](auto* b) {
                   Sizes(b, {0, 1, 2, 3});
                 }) -> Unit(benchmark::kMillisecond) -> UseRealTime();

}  // namespace
}  // namespace mirokan

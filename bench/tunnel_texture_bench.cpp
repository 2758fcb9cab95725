// The wall texture built from a snapshot (gluBuild2DMipmaps scaling to powers of two) on
// Mesa's software renderer, offscreen.
#include <benchmark/benchmark.h>

#include <memory>

#include "bitmap_fixture.h"
#include "tools/egl_offscreen.h"
#include "renderer/bitmap_reader.h"
#include "renderer/tunnel_scene.h"

namespace mirokan {
namespace {

void BuildTexture(benchmark::State& state) {
  static auto offscreen = std::make_unique<test::EglOffscreen>(64, 64);
  if (!offscreen->Ready()) {
    state.SkipWithError(offscreen->Error().c_str());
    return;
  }
  const auto width = static_cast<std::int32_t>(state.range(0));
  const auto height = static_cast<std::int32_t>(state.range(1));
  const std::vector<std::byte> file = test::MakeBitmap({.width = width, .height = height});
  MemoryByteSource source(file);
  const BitmapReadResult picture = ReadBitmap(source);
  for (auto _ : state) {
    GLuint texture = 0;
    BuildTunnelTexture(width, height, picture.pixels->data(), texture);
    glFinish();
    glDeleteTextures(1, &texture);
  }
}

BENCHMARK(BuildTexture)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mirokan

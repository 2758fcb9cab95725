// The snapshot parse (header checks, pixel read, red-blue exchange) against the floor of a
// plain read of the same bytes into a fresh buffer.
#include <benchmark/benchmark.h>

#include "bitmap_fixture.h"
#include "renderer/bitmap_reader.h"

namespace mirokan {
namespace {

const std::vector<std::byte>& Snapshot(std::int32_t width, std::int32_t height) {
  static std::vector<std::byte> full_hd = test::MakeBitmap({.width = 1920, .height = 1080});
  static std::vector<std::byte> uhd = test::MakeBitmap({.width = 3840, .height = 2160});
  return width == 1920 && height == 1080 ? full_hd : uhd;
}

void PlainRead(benchmark::State& state) {
  const auto& file = Snapshot(static_cast<std::int32_t>(state.range(0)),
                              static_cast<std::int32_t>(state.range(1)));
  for (auto _ : state) {
    MemoryByteSource source(file);
    std::vector<std::uint8_t> bytes(file.size());
    source.Read(std::as_writable_bytes(std::span(bytes)));
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(file.size()));
}

void ReadBitmapFile(benchmark::State& state) {
  const auto& file = Snapshot(static_cast<std::int32_t>(state.range(0)),
                              static_cast<std::int32_t>(state.range(1)));
  for (auto _ : state) {
    MemoryByteSource source(file);
    BitmapReadResult result = ReadBitmap(source);
    benchmark::DoNotOptimize(result.pixels->data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(file.size()));
}

BENCHMARK(PlainRead)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
BENCHMARK(ReadBitmapFile)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mirokan

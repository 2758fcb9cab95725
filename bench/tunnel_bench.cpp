// One frame's CPU work: the 429-vertex grid and the speed update.
#include <benchmark/benchmark.h>

#include "renderer/tunnel_geometry.h"

namespace mirokan {
namespace {

void RecomputeGrid(benchmark::State& state) {
  TunnelMotion motion;
  TunnelGrid grid;
  for (auto _ : state) {
    RecomputeTunnelGrid(AdvancePhase(motion), grid);
    benchmark::DoNotOptimize(&grid);
  }
}

void UpdateSpeedStep(benchmark::State& state) {
  TunnelMotion motion;
  for (auto _ : state) {
    UpdateSpeed(motion, KeyState::kReleased, KeyState::kReleased);
    benchmark::DoNotOptimize(&motion);
  }
}

BENCHMARK(RecomputeGrid);
BENCHMARK(UpdateSpeedStep);

}  // namespace
}  // namespace mirokan

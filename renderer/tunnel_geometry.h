// The tunnel's shape and motion, free of any GL context: the vertex grid rebuilt from the
// animation phase every frame, and the speed's slow automatic swing plus the arrow keys.
#pragma once

#include <array>
#include <cstddef>

namespace mirokan {

inline constexpr int kTunnelColumns = 13;  // around the tunnel; column 12 closes the ring
inline constexpr int kTunnelRings = 33;    // along it; ring 32 is only computed
inline constexpr int kTunnelSections = 31;

struct TunnelVertex {
  float x = 0;
  float y = 0;
  float z = 0;
};

// Vertex (i, j) of the grid, stored column-major: all rings of column 0 first.
class TunnelGrid {
 public:
  TunnelVertex& At(int column, int ring) { return vertices_[Index(column, ring)]; }
  const TunnelVertex& At(int column, int ring) const { return vertices_[Index(column, ring)]; }

 private:
  static std::size_t Index(int column, int ring) {
    return static_cast<std::size_t>(column) * kTunnelRings + static_cast<std::size_t>(ring);
  }
  std::array<TunnelVertex, kTunnelColumns * kTunnelRings> vertices_{};
};

struct TunnelMotion {
  // In double: a float phase stops growing once Speed falls below half its spacing, which a
  // night of frames reaches.
  double Phase = 0.0;
  float Speed = 0.5f;
  bool SpeedRising = true;
};

enum class KeyState { kReleased, kPressed };

// One tick's phase step (a tick is 1/60 s, see tunnel_flight.h): Phase := Phase + Speed;
// returns the new phase.
double AdvancePhase(TunnelMotion& motion);

// Rebuilds every vertex for phase `phase`. Ring 0 stays the plain circle of radius 3; deeper
// rings are pushed aside by how far the bend curve moved between `phase` and 2j + `phase`.
void RecomputeTunnelGrid(double phase, TunnelGrid& grid);

// How far the picture has slid along the tunnel at `phase`, in picture heights: 0.02 a unit
// of phase, less its whole turns (the texture repeats), so that the texture coordinates keep
// their precision at any phase. Negative phases give a value in [0, 1) too.
double TextureScroll(double phase);

// One tick's speed change: the arrow keys (0.005 each), then the swing (0.001) turning
// above 1.5 and below 0.001.
void UpdateSpeed(TunnelMotion& motion, KeyState up, KeyState down);

}  // namespace mirokan

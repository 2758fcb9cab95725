#include "renderer/tunnel_geometry.h"

#include <cmath>
#include <numbers>

namespace mirokan {
namespace {

constexpr double kAngleStep = std::numbers::pi / 6.0;
constexpr double kKeyStep = 0.005;
constexpr double kSwingStep = 0.001;
constexpr double kSwingTop = 1.5;
constexpr double kSwingBottom = 0.001;
constexpr double kTextureScroll = 0.02;  // of the picture's height per unit of phase

}  // namespace

double AdvancePhase(TunnelMotion& motion) {
  motion.Phase += motion.Speed;
  return motion.Phase;
}

double TextureScroll(double phase) {
  const double scroll = kTextureScroll * phase;
  return scroll - std::floor(scroll);
}

void RecomputeTunnelGrid(double phase, TunnelGrid& grid) {
  const double a = phase;
  // The bend at the mouth, subtracted from every ring so that ring 0 never moves.
  const double mouth_x1 = 2.0 * std::sin(a / 29.0);
  const double mouth_x2 = std::cos(a / 13.0);
  const double mouth_y1 = 2.0 * std::cos(a / 33.0);
  const double mouth_y2 = std::sin(a / 17.0);
  for (int ring = 0; ring < kTunnelRings; ++ring) {
    const double radius = 3.0 - ring / 12.0;
    const double u = 2.0 * ring + a;
    const double bend_x1 = 2.0 * std::sin(u / 29.0);
    const double bend_x2 = std::cos(u / 13.0);
    const double bend_y1 = 2.0 * std::cos(u / 33.0);
    const double bend_y2 = std::sin(u / 17.0);
    for (int column = 0; column < kTunnelColumns; ++column) {
      const double theta = column * kAngleStep;
      TunnelVertex& vertex = grid.At(column, ring);
      // Summed left to right, as the reference values were computed.
      vertex.x =
          static_cast<float>(radius * std::cos(theta) + bend_x1 + bend_x2 - mouth_x1 - mouth_x2);
      vertex.y =
          static_cast<float>(radius * std::sin(theta) + bend_y1 + bend_y2 - mouth_y1 - mouth_y2);
      vertex.z = static_cast<float>(-ring);
    }
  }
}

void UpdateSpeed(TunnelMotion& motion, KeyState up, KeyState down) {
  double speed = motion.Speed;
  if (up == KeyState::kPressed) speed = static_cast<float>(speed + kKeyStep);
  if (down == KeyState::kPressed) speed = static_cast<float>(speed - kKeyStep);
  speed = static_cast<float>(motion.SpeedRising ? speed + kSwingStep : speed - kSwingStep);
  motion.Speed = static_cast<float>(speed);
  if (motion.Speed > kSwingTop) motion.SpeedRising = false;
  if (motion.Speed < kSwingBottom) motion.SpeedRising = true;
}

}  // namespace mirokan

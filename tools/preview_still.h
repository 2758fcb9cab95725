// The preview's still picture: the tunnel scene flying through a sample desktop, drawn
// offscreen with Mesa and reduced to the size of the Display control panel's little monitor.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mirokan::still {

inline constexpr int kStillWidth = 152;
inline constexpr int kStillHeight = 112;
// Each pixel of the still averages 4 × 4 rendered pixels, so the thin far rings stay smooth.
inline constexpr int kSupersample = 4;
// Frames searched for the one to keep: the first ten seconds of a run at 60 frames a second.
inline constexpr int kFramesSearched = 600;

// The frame (1-based, counted as the renderer counts them at 60 frames a second with no key
// pressed: one tick of the flight each) at which the far end has swung farthest off the
// axis while it is still in sight along the tube.
struct FrameChoice {
  int frame = 0;
  double bend = 0;   // distance of the far end's centre from the axis, in tunnel units
  double phase = 0;  // the flight's phase in that frame
};
FrameChoice ChooseFrame();

// Renders the still and returns it as an uncompressed 24-bit bitmap file; on failure an
// empty file and `error` says why.
std::vector<std::uint8_t> RenderStill(std::string& error);

}  // namespace mirokan::still

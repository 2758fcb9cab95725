// The renderer's black covers over every monitor but the primary, and the monitor layout
// they are placed from.
#pragma once

#include <windows.h>

#include <span>
#include <vector>

#include "renderer/monitor_layout.h"

namespace mirokan::win32 {

// The monitors as the system reports them now (EnumDisplayMonitors).
std::vector<Monitor> ReadMonitorLayout();

// Topmost black pop-ups that never take focus, so Escape and the arrow keys keep reaching
// the tunnel window. They have no class cursor: the renderer's hidden cursor stays hidden
// over them. A close request to a cover ends the run as one to the tunnel window does.
class MonitorCovers {
 public:
  MonitorCovers() = default;
  MonitorCovers(const MonitorCovers&) = delete;
  MonitorCovers& operator=(const MonitorCovers&) = delete;
  ~MonitorCovers() { Clear(); }

  // One cover on each rectangle, reusing the covers already up; a cover that cannot be made
  // leaves its monitor showing, which is no reason to stop the tunnel.
  void Place(std::span<const ScreenRect> rects);
  // Destroys every cover.
  void Clear();

 private:
  std::vector<HWND> windows_;
  bool class_registered_ = false;
};

}  // namespace mirokan::win32

// OpenGL and GLU for Mirokan.data, loaded from the system folder.
#pragma once

namespace mirokan::win32 {

// Loads opengl32 and glu32 from the system folder and points every GL, GLU and WGL function
// the renderer calls at them. False when either library or any function is missing; no GL
// call may be made then. Runs before the first GL call and before any pixel-format call
// (the system's own load of opengl32 then finds this copy).
bool LoadSystemGl();

}  // namespace mirokan::win32

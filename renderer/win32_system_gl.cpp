// opengl32 and glu32 are no KnownDLLs: imported by name, Windows would look for them beside
// the program first, where a zip unpacked into Downloads may have left anything. The GL
// headers declare every function as imported, so each call goes through the import pointer
// `__imp_<name>`; this file defines those pointers itself and fills them from the system
// folder's libraries, so the scene's code (which also builds against Mesa) stays as it is and
// the program imports neither library. A function left out of the lists fails the link. GLU's
// header declares its functions as ordinary ones, so its one function is a forwarder here.
#include "renderer/win32_system_gl.h"

#include "common/win32_system_library.h"
#include "common/win32_trace.h"

#define MIROKAN_OPENGL32_FUNCTIONS(X)                                                              \
  X(glBegin)                                                                                       \
  X(glBindTexture) X(glClear) X(glClearColor) X(glClearDepth) X(glColor3f) X(glDeleteTextures)     \
      X(glDepthFunc) X(glEnable) X(glEnd) X(glFinish) X(glFlush) X(glGenTextures) X(glGetIntegerv) \
          X(glGetTexParameteriv) X(glHint) X(glLoadIdentity) X(glMatrixMode) X(glPixelStorei)      \
              X(glShadeModel) X(glTexCoord2f) X(glTexEnvi) X(glTexImage2D) X(glTexParameteri)      \
                  X(glTranslatef) X(glVertex3f) X(glViewport) X(wglCreateContext)                  \
                      X(wglDeleteContext) X(wglGetProcAddress) X(wglMakeCurrent)

#define MIROKAN_IMPORT_POINTER(name) FARPROC __imp_##name = nullptr;
extern "C" {
MIROKAN_OPENGL32_FUNCTIONS(MIROKAN_IMPORT_POINTER)
}

namespace {
using Perspective = void APIENTRY(double, double, double, double);
Perspective* glu_perspective = nullptr;
}  // namespace

extern "C" void APIENTRY gluPerspective(double fovy, double aspect, double z_near, double z_far) {
  glu_perspective(fovy, aspect, z_near, z_far);
}

namespace mirokan::win32 {

bool LoadSystemGl() {
  bool complete = true;
  // A missing one ends the renderer silently; the trace names it.
#define MIROKAN_LOAD(library, name)                                                 \
  __imp_##name = Traced(SystemProcedure(library, #name), L"GetProcAddress " #name); \
  complete &= __imp_##name != nullptr;
#define MIROKAN_LOAD_OPENGL32(name) MIROKAN_LOAD(L"opengl32.dll", name)
  MIROKAN_OPENGL32_FUNCTIONS(MIROKAN_LOAD_OPENGL32)
  glu_perspective = Traced(SystemFunction<Perspective>(L"glu32.dll", "gluPerspective"),
                           L"GetProcAddress gluPerspective");
  return complete && glu_perspective;
}

}  // namespace mirokan::win32

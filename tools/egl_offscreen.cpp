#include "tools/egl_offscreen.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <string>

namespace mirokan::test {

EglOffscreen::EglOffscreen(int width, int height) : width_(width), height_(height) {
  // clang-format off
  const EGLint config_attributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
      EGL_OPENGL_BIT, EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_DEPTH_SIZE, 16,
      EGL_NONE};
  // clang-format on
  const EGLint surface_attributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
  EGLConfig config = nullptr;
  EGLint count = 0;
  display_ = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (display_ == EGL_NO_DISPLAY || !eglInitialize(display_, nullptr, nullptr) ||
      !eglBindAPI(EGL_OPENGL_API) ||
      !eglChooseConfig(display_, config_attributes, &config, 1, &count) || count < 1 ||
      (surface_ = eglCreatePbufferSurface(display_, config, surface_attributes)) ==
          EGL_NO_SURFACE ||
      (context_ = eglCreateContext(display_, config, EGL_NO_CONTEXT, nullptr)) == EGL_NO_CONTEXT ||
      !eglMakeCurrent(display_, surface_, surface_, context_)) {
    error_ = "no surfaceless EGL with a desktop OpenGL pbuffer (EGL error " +
             std::to_string(eglGetError()) + ")";
    return;
  }
  ready_ = true;
}

EglOffscreen::~EglOffscreen() {
  if (display_ == EGL_NO_DISPLAY) return;
  eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (context_ != EGL_NO_CONTEXT) eglDestroyContext(display_, context_);
  if (surface_ != EGL_NO_SURFACE) eglDestroySurface(display_, surface_);
  // The display stays initialised: terminating it unloads Mesa's driver, whose remaining
  // allocations then look like leaks to LeakSanitizer.
  eglReleaseThread();
}

std::vector<std::uint8_t> EglOffscreen::ReadPixels() const {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width_) * height_ * 4);
  glFinish();
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  return pixels;
}

}  // namespace mirokan::test

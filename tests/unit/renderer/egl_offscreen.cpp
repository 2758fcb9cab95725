#include "egl_offscreen.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <cstring>

namespace mirokan::test {

struct EglOffscreen::Handles {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLSurface surface = EGL_NO_SURFACE;
  EGLContext context = EGL_NO_CONTEXT;
};

EglOffscreen::EglOffscreen(int width, int height)
    : handles_(std::make_unique<Handles>()), width_(width), height_(height) {
  const char* extensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  if (!extensions || !std::strstr(extensions, "EGL_MESA_platform_surfaceless")) {
    error_ = "EGL has no surfaceless platform (EGL_MESA_platform_surfaceless)";
    return;
  }
  handles_->display =
      eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (handles_->display == EGL_NO_DISPLAY || !eglInitialize(handles_->display, nullptr, nullptr)) {
    error_ = "cannot initialise the surfaceless EGL display";
    return;
  }
  if (!eglBindAPI(EGL_OPENGL_API)) {
    error_ = "EGL offers no desktop OpenGL";
    return;
  }
  const EGLint config_attributes[] = {EGL_SURFACE_TYPE,
                                      EGL_PBUFFER_BIT,
                                      EGL_RENDERABLE_TYPE,
                                      EGL_OPENGL_BIT,
                                      EGL_RED_SIZE,
                                      8,
                                      EGL_GREEN_SIZE,
                                      8,
                                      EGL_BLUE_SIZE,
                                      8,
                                      EGL_DEPTH_SIZE,
                                      16,
                                      EGL_NONE};
  EGLConfig config = nullptr;
  EGLint count = 0;
  if (!eglChooseConfig(handles_->display, config_attributes, &config, 1, &count) || count < 1) {
    error_ = "no EGL configuration with an RGB pbuffer and a depth buffer";
    return;
  }
  const EGLint surface_attributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
  handles_->surface = eglCreatePbufferSurface(handles_->display, config, surface_attributes);
  if (handles_->surface == EGL_NO_SURFACE) {
    error_ = "cannot create an EGL pbuffer";
    return;
  }
  handles_->context = eglCreateContext(handles_->display, config, EGL_NO_CONTEXT, nullptr);
  if (handles_->context == EGL_NO_CONTEXT) {
    error_ = "cannot create an OpenGL context";
    return;
  }
  if (!eglMakeCurrent(handles_->display, handles_->surface, handles_->surface, handles_->context)) {
    error_ = "cannot make the OpenGL context current";
    return;
  }
  ready_ = true;
}

EglOffscreen::~EglOffscreen() {
  if (handles_->display == EGL_NO_DISPLAY) return;
  eglMakeCurrent(handles_->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (handles_->context != EGL_NO_CONTEXT) eglDestroyContext(handles_->display, handles_->context);
  if (handles_->surface != EGL_NO_SURFACE) eglDestroySurface(handles_->display, handles_->surface);
  // The display stays initialised: terminating it unloads Mesa's driver, whose remaining
  // allocations then look like leaks to LeakSanitizer. Each test process makes only a few.
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

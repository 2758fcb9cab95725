// An offscreen OpenGL (compatibility) context through Mesa's surfaceless EGL platform, with
// a pbuffer to draw into and read back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mirokan::test {

class EglOffscreen {
 public:
  // A current context with a width × height RGBA pbuffer and a 16-bit depth buffer; on
  // failure Ready() is false and Error() says why.
  EglOffscreen(int width, int height);
  ~EglOffscreen();
  EglOffscreen(const EglOffscreen&) = delete;
  EglOffscreen& operator=(const EglOffscreen&) = delete;

  bool Ready() const { return ready_; }
  const std::string& Error() const { return error_; }
  // RGBA bytes, bottom row first.
  std::vector<std::uint8_t> ReadPixels() const;

 private:
  void* display_ = nullptr;  // EGLDisplay, EGLSurface, EGLContext
  void* surface_ = nullptr;
  void* context_ = nullptr;
  int width_;
  int height_;
  bool ready_ = false;
  std::string error_;
};

}  // namespace mirokan::test

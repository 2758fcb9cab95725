// An offscreen OpenGL (compatibility) context through Mesa's surfaceless EGL platform, with
// a pbuffer to draw into and read back. Used by the scene tests and the texture benchmark.
#pragma once

#include <cstdint>
#include <memory>
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

  // The pbuffer as RGBA bytes, bottom row first (glReadPixels order).
  std::vector<std::uint8_t> ReadPixels() const;

 private:
  struct Handles;
  std::unique_ptr<Handles> handles_;
  int width_;
  int height_;
  bool ready_ = false;
  std::string error_;
};

}  // namespace mirokan::test

// The tunnel drawn with OpenGL 1.1 and GLU: fixed state, projection, and one frame of 31
// textured sections darkening towards the far end. Needs a current rendering context.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <utility>

#include "renderer/gl_api.h"
#include "renderer/tunnel_geometry.h"

namespace mirokan {

// A texture name deleted with its owner; the owner must go while its context is current.
class GlTexture {
 public:
  GlTexture() = default;
  explicit GlTexture(GLuint name) : name_(name) {}
  GlTexture(const GlTexture&) = delete;
  GlTexture& operator=(const GlTexture&) = delete;
  GlTexture(GlTexture&& other) noexcept : name_(std::exchange(other.name_, 0)) {}
  GlTexture& operator=(GlTexture&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.name_, 0));
    return *this;
  }
  ~GlTexture() { Reset(); }

  GLuint Get() const { return name_; }
  void Reset(GLuint name = 0) {
    if (name_ != 0) glDeleteTextures(1, &name_);
    name_ = name;
  }

 private:
  GLuint name_ = 0;
};

// Makes the wall texture, leaves it bound with GL_MODULATE, and stores its name. The
// program's loader reads the snapshot (and may end the process); tests hand in pixels.
using TextureLoader = std::function<bool(GLuint& texture)>;

// glGenTextures, bind, GL_MODULATE and GL_LINEAR filters: the texture waiting for its levels.
void BindTunnelTexture(GLuint& texture);

// BindTunnelTexture, then the levels of gluBuild2DMipmaps from RGB rows padded to 4 bytes (at
// least PaddedRowLength(width) × height bytes), made by texture_levels.
void BuildTunnelTexture(std::int32_t width, std::int32_t height, const std::uint8_t* rgb_rows,
                        GLuint& texture);

// One tunnel's share of the window: its viewport in window pixels from the bottom-left
// corner, as GL counts, and its wall texture (0: the share stays black).
struct TunnelView {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  GLuint texture = 0;
};

class TunnelScene {
 public:
  void SetupScene(const TextureLoader& load_texture);
  static void ResizeScene(std::int32_t width, std::int32_t height);
  // One frame at `phase` (the flight's, tunnel_flight.h) in the viewport ResizeScene set,
  // with the texture bound.
  void DrawTunnelFrame(double phase);
  // One frame of the flight at `phase` in every view, each with its own projection and
  // texture: one grid for all of them.
  void DrawTunnelFrame(std::span<const TunnelView> views, double phase);
  // Deletes the texture; call while the context is still current.
  void ReleaseTexture() { texture_.Reset(); }

  const TunnelGrid& Grid() const { return grid_; }
  GLuint TunnelTexture() const { return texture_.Get(); }

 private:
  static void Project(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
  void DrawWalls(double phase) const;

  TunnelGrid grid_;
  GlTexture texture_;
};

}  // namespace mirokan

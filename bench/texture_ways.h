// The wall texture's levels built each way we weighed, for the benchmarks that compare them
// on Mesa natively and under Wine: GLU from the picture (the old way), GLU from our own
// power-of-two base, our whole chain (the way taken), and the driver's own levels from our
// base (OpenGL 1.4's GL_GENERATE_MIPMAP). Each fills the texture bound to GL_TEXTURE_2D.
#pragma once

#include <cstdint>

#include "renderer/gl_api.h"
#include "renderer/texture_levels.h"
#include "renderer/texture_upload.h"

#ifndef GL_GENERATE_MIPMAP
#define GL_GENERATE_MIPMAP 0x8191
#endif

namespace mirokan::bench {

struct TextureWay {
  const char* name;
  void (*build)(std::int32_t width, std::int32_t height, const std::uint8_t* rgb_rows);
};

inline TextureLevel BaseFor(std::int32_t width, std::int32_t height, const std::uint8_t* rgb_rows) {
  GLint max_side = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_side);
  const RgbView picture{{width, height}, (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4,
                        rgb_rows};
  const LevelSize base = BaseLevelSize(picture.size, max_side);
  return ScaleToBase(picture, base, LevelThreads(static_cast<std::size_t>(base.width) * base.height));
}

inline constexpr TextureWay kTextureWays[] = {
    {"GLU from the picture",
     [](std::int32_t width, std::int32_t height, const std::uint8_t* rgb_rows) {
       gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb_rows);
     }},
    {"GLU from our base",
     [](std::int32_t width, std::int32_t height, const std::uint8_t* rgb_rows) {
       const TextureLevel base = BaseFor(width, height, rgb_rows);
       glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
       gluBuild2DMipmaps(GL_TEXTURE_2D, 3, base.size.width, base.size.height, GL_RGB,
                         GL_UNSIGNED_BYTE, base.rgb.get());
       glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
     }},
    {"own levels",
     [](std::int32_t width, std::int32_t height, const std::uint8_t* rgb_rows) {
       UploadTextureLevels(width, height, rgb_rows);
     }},
    {"driver levels from our base",
     [](std::int32_t width, std::int32_t height, const std::uint8_t* rgb_rows) {
       const TextureLevel base = BaseFor(width, height, rgb_rows);
       glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
       glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
       glTexImage2D(GL_TEXTURE_2D, 0, 3, base.size.width, base.size.height, 0, GL_RGB,
                    GL_UNSIGNED_BYTE, base.rgb.get());
       glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
     }},
};

}  // namespace mirokan::bench

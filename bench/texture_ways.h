// The wall texture's levels built each way we weighed, for the benchmarks that compare them
// on Mesa natively and under Wine: GLU from the picture (the old way), GLU from our own
// power-of-two base, our whole chain (the way taken), and the driver's own levels from our
// base (OpenGL 1.4's GL_GENERATE_MIPMAP). Each way has a part the snapshot's read thread can
// do before the rendering context exists, and a part on the window's thread that fills the
// texture bound to GL_TEXTURE_2D; only the second delays the first frame.
#pragma once

#include <vector>

#include "renderer/bitmap_reader.h"
#include "renderer/gl_api.h"
#include "renderer/texture_levels.h"
#include "renderer/texture_upload.h"

#ifndef GL_GENERATE_MIPMAP
#define GL_GENERATE_MIPMAP 0x8191
#endif

namespace mirokan::bench {

struct TextureWay {
  const char* name;
  std::vector<TextureLevel> (*prepare)(const RgbView& picture);
  void (*upload)(const RgbView& picture, const std::vector<TextureLevel>& prepared);
};

inline std::vector<TextureLevel> BaseOnly(const RgbView& picture) {
  std::vector<TextureLevel> levels;
  const LevelSize base = BaseLevelSize(picture.size, static_cast<std::int32_t>(kMaxBitmapSide));
  levels.push_back(
      ScaleToBase(picture, base, LevelThreads(static_cast<std::size_t>(base.width) * base.height)));
  return levels;
}

inline void Base(const TextureLevel& base, GLint internal_format) {
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, internal_format, base.size.width, base.size.height, 0, GL_RGB,
               GL_UNSIGNED_BYTE, base.rgb.get());
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

inline constexpr TextureWay kTextureWays[] = {
    {"GLU from the picture", [](const RgbView&) { return std::vector<TextureLevel>{}; },
     [](const RgbView& picture, const std::vector<TextureLevel>&) {
       gluBuild2DMipmaps(GL_TEXTURE_2D, 3, picture.size.width, picture.size.height, GL_RGB,
                         GL_UNSIGNED_BYTE, picture.rows);
     }},
    {"GLU from our base", BaseOnly,
     [](const RgbView&, const std::vector<TextureLevel>& prepared) {
       // With the same one-chain upload as our own levels (texture_upload).
       const TextureLevel& base = prepared.front();
       glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
       glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
       gluBuild2DMipmaps(GL_TEXTURE_2D, 3, base.size.width, base.size.height, GL_RGB,
                         GL_UNSIGNED_BYTE, base.rgb.get());
       glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
       glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
     }},
    {"own levels",
     [](const RgbView& picture) {
       return BuildTextureLevels(picture, static_cast<std::int32_t>(kMaxBitmapSide));
     },
     [](const RgbView&, const std::vector<TextureLevel>& prepared) {
       UploadTextureLevels(prepared);
     }},
    {"driver levels from our base", BaseOnly,
     [](const RgbView&, const std::vector<TextureLevel>& prepared) {
       glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
       Base(prepared.front(), 3);
     }},
};

}  // namespace mirokan::bench

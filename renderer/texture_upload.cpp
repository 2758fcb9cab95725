#include "renderer/texture_upload.h"

#include <algorithm>

#include "renderer/bitmap_reader.h"
#include "renderer/gl_api.h"

namespace mirokan {
namespace {

GLint MaxTextureSide() {
  GLint side = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
  return std::max<GLint>(side, 1);
}

}  // namespace

void UploadTextureLevels(std::span<const TextureLevel> levels) {
  const GLint max_side = MaxTextureSide();
  while (levels.size() > 1 &&
         (levels.front().size.width > max_side || levels.front().size.height > max_side)) {
    levels = levels.subspan(1);
  }
  // A driver may give a texture whose filter samples only the base just that one level, then
  // move it into a whole new chain when the next level arrives (Mesa does): with a filter that
  // samples every level while they arrive, the chain is made once.
  GLint min_filter = GL_LINEAR;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min_filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
  // Rows of 3 and 6 bytes (widths 1 and 2) are not padded to 4.
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  GLint index = 0;
  for (const TextureLevel& level : levels) {
    glTexImage2D(GL_TEXTURE_2D, index++, 3, level.size.width, level.size.height, 0, GL_RGB,
                 GL_UNSIGNED_BYTE, level.rgb.get());
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, min_filter);
}

void UploadTextureLevels(std::int32_t width, std::int32_t height, const std::uint8_t* rgb_rows) {
  const RgbView picture{{width, height}, static_cast<std::size_t>(PaddedRowLength(width)), rgb_rows};
  UploadTextureLevels(BuildTextureLevels(picture, MaxTextureSide()));
}

}  // namespace mirokan

// The wall texture's levels uploaded to the texture bound to GL_TEXTURE_2D: the sizes and
// filter of gluBuild2DMipmaps, built by texture_levels. Needs a current rendering context.
#pragma once

#include <cstdint>
#include <span>

#include "renderer/texture_levels.h"

namespace mirokan {

// Levels built beforehand (BuildTextureLevels, base first). Levels larger than the driver
// takes are left out, so the largest it takes becomes the base, as GLU would size it.
void UploadTextureLevels(std::span<const TextureLevel> levels);

// Builds the levels of a picture and uploads them. `rgb_rows`: width × height pixels of
// R, G, B, bottom row first, each row padded to a multiple of 4 bytes.
void UploadTextureLevels(std::int32_t width, std::int32_t height, const std::uint8_t* rgb_rows);

}  // namespace mirokan

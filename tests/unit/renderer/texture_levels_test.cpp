// The texture's levels against gluBuild2DMipmaps on Mesa: the same level sizes, every level's
// texels within 1 (GLU filters in single precision and truncates, we round exactly), and the
// same tunnel frame within 1 per channel. Where GLU is at fault (a picture whose height is
// already a power of two but not its width: GLU leaves the top row black) ours differs there
// only.
#include "renderer/texture_upload.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "renderer/tunnel_scene.h"
#include "tools/egl_offscreen.h"

namespace mirokan {
namespace {

constexpr int kFrameSide = 160;

int MaxDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  int most = a.size() == b.size() ? 0 : 256;
  for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
    most = std::max(most, std::abs(a[i] - b[i]));
  }
  return most;
}

struct Built {
  std::vector<LevelSize> sizes;                   // every level, and the empty one after them
  std::vector<std::vector<std::uint8_t>> texels;  // RGB, rows unpadded
  std::vector<std::uint8_t> frame;                // the first tunnel frame, RGBA
};

Built Build(const std::function<void()>& fill, const test::EglOffscreen& offscreen) {
  Built built;
  TunnelScene scene;
  TunnelScene::ResizeScene(kFrameSide, kFrameSide);
  scene.SetupScene([&](GLuint& texture) {
    BindTunnelTexture(texture);
    fill();
    return true;
  });
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  for (GLint level = 0; built.sizes.empty() || built.sizes.back().width > 0; ++level) {
    LevelSize size;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &size.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &size.height);
    built.sizes.push_back(size);
    built.texels.emplace_back(static_cast<std::size_t>(size.width) * size.height * 3);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGB, GL_UNSIGNED_BYTE, built.texels.back().data());
  }
  scene.DrawTunnelFrame(0.5);  // the first frame's phase
  built.frame = offscreen.ReadPixels();
  return built;
}

TEST(TextureLevelsTest, LevelsAndFrameMatchGluBuild2DMipmaps) {
  const test::EglOffscreen offscreen(kFrameSide, kFrameSide);
  if (!offscreen.Ready()) GTEST_SKIP() << "no offscreen OpenGL: " << offscreen.Error();
  // Widths whose rows need padding, axes scaled up and down, a picture already at its base
  // size and the smallest one.
  const struct {
    std::int32_t width, height;
    bool glu_black_top = false;
  } pictures[] = {{120, 68}, {43, 3}, {3, 45}, {64, 32}, {1, 1}, {48, 16, true}};
  for (const auto& [width, height, glu_black_top] : pictures) {
    SCOPED_TRACE(testing::Message() << width << " x " << height);
    // Noise over a coarse checker that differs by channel: a texel from the wrong place or
    // the wrong channel, or averaged from the wrong level, is off by far more than rounding.
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> rows(stride * static_cast<std::size_t>(height));
    for (std::size_t i = 0; i < rows.size(); ++i) {
      std::uint64_t noise = (i + 1) * 0x9E3779B97F4A7C15u;
      noise = (noise ^ noise >> 29) * 0xBF58476D1CE4E5B9u;
      const std::size_t x = i % stride / 3, y = i / stride, channel = i % stride % 3;
      const bool bright = (x * 4 / width + y * 4 / height + channel) % 2;
      rows[i] = static_cast<std::uint8_t>((noise >> 57) + (bright ? 128 : 0));
    }
    const Built glu = Build(
        [&] {
          gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width, height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
        },
        offscreen);
    const Built ours = Build([&] { UploadTextureLevels(width, height, rows.data()); }, offscreen);
    ASSERT_EQ(ours.sizes, glu.sizes);
    // The top row of the base level, black where GLU is at fault and never in ours.
    const std::ptrdiff_t top = std::ssize(glu.texels[0]) - glu.sizes[0].width * 3;
    const auto top_black = [&](const Built& built) {
      return std::all_of(built.texels[0].begin() + top, built.texels[0].end(),
                         [](int value) { return value == 0; });
    };
    EXPECT_EQ(top_black(glu), glu_black_top);
    EXPECT_FALSE(top_black(ours));
    if (glu_black_top) {
      EXPECT_LE(MaxDifference({ours.texels[0].begin(), ours.texels[0].begin() + top},
                              {glu.texels[0].begin(), glu.texels[0].begin() + top}),
                1);
      continue;
    }
    for (std::size_t level = 0; level < glu.texels.size(); ++level) {
      EXPECT_LE(MaxDifference(ours.texels[level], glu.texels[level]), 1) << "level " << level;
    }
    EXPECT_LE(MaxDifference(ours.frame, glu.frame), 1);
  }
}

}  // namespace
}  // namespace mirokan

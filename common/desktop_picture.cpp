#include "common/desktop_picture.h"

namespace mirokan {
namespace {

// The renderer takes at most 2^26 pixels and 32,768 a side; a picture far beyond that is
// no desktop, and its size must not overflow.
constexpr std::int64_t kMaxSide = 1 << 16;

}  // namespace

std::optional<std::size_t> DesktopPictureBytes(const ScreenRect& screen) {
  const std::int64_t width = std::int64_t{screen.right} - screen.left;
  const std::int64_t height = std::int64_t{screen.bottom} - screen.top;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return std::nullopt;
  const std::int64_t stride = (width * 3 + 3) & ~std::int64_t{3};
  return kDesktopPictureBitsOffset + static_cast<std::size_t>(stride * height);
}

bool DesktopPictureIsFresh(const DesktopPictureHeader& header, std::size_t section_bytes,
                           std::uint32_t input_tick, const ScreenRect& screen) {
  if (header.magic != kDesktopPictureMagic || header.version != kDesktopPictureVersion) {
    return false;
  }
  const std::optional<std::size_t> bytes = DesktopPictureBytes(header.screen);
  return bytes && *bytes <= section_bytes && header.input_tick == input_tick &&
         header.screen == screen;
}

DesktopSource ChooseDesktopSource(const DesktopSourceFacts& facts) {
  if (facts.locks == SaverLocks::kYes && facts.locked_shows == LockedShows::kWallpaper) {
    return DesktopSource::kWallpaper;
  }
  if (facts.session == DesktopPlace::kUsersDesktop) return DesktopSource::kScreen;
  return facts.fresh_picture ? DesktopSource::kWatcherPicture : DesktopSource::kWallpaper;
}

}  // namespace mirokan

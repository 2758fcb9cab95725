// The picture of the user's own desktop that the watcher keeps in memory shortly before the
// system starts the saver on a desktop of its own (where the user's windows cannot be read
// from the screen), and the rule that decides what a session lines its tunnel with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "common/screen_rect.h"

namespace mirokan {

// The start of the shared section. The picture's rows follow at kDesktopPictureBitsOffset:
// bottom-up, 3 bytes a pixel (blue, green, red), each row padded to 4 bytes, which is the
// session's own image and the snapshot file's order, so the rows are copied as they lie.
struct DesktopPictureHeader {
  std::uint32_t magic = 0;
  std::uint32_t version = 0;
  // GetLastInputInfo's tick when the picture was taken: any input since makes it stale.
  std::uint32_t input_tick = 0;
  ScreenRect screen;  // the virtual screen photographed, every monitor
  // The desktop photographed (UTF-16, NUL-terminated): a session on any other one is not
  // on the user's desktop.
  char16_t desktop[64] = {};
};

inline constexpr std::uint32_t kDesktopPictureMagic = 0x6B72694D;  // "Mirk"
inline constexpr std::uint32_t kDesktopPictureVersion = 1;
// A multiple of 4, as a DIB section's bits in a file mapping must be.
inline constexpr std::size_t kDesktopPictureBitsOffset = 256;
static_assert(sizeof(DesktopPictureHeader) <= kDesktopPictureBitsOffset);

// Header and rows of a picture of `screen`; none for an empty or absurd size.
std::optional<std::size_t> DesktopPictureBytes(const ScreenRect& screen);

// A picture the session may use: whole in a section of `section_bytes`, taken at
// `input_tick` (no input since), of the virtual screen as it is now.
bool DesktopPictureIsFresh(const DesktopPictureHeader& header, std::size_t section_bytes,
                           std::uint32_t input_tick, const ScreenRect& screen);

enum class DesktopSource {
  kScreen,          // photograph the screen now: it shows the user's desktop
  kWatcherPicture,  // the watcher's picture, taken just before the switch
  kWallpaper,       // what the user's desktop shows without windows
};

enum class DesktopPlace { kUsersDesktop, kOtherDesktop };
enum class SaverLocks { kNo, kYes };
enum class LockedShows { kWallpaper, kDesktop };

struct DesktopSourceFacts {
  DesktopPlace session = DesktopPlace::kUsersDesktop;
  bool fresh_picture = false;
  SaverLocks locks = SaverLocks::kNo;
  LockedShows locked_shows = LockedShows::kWallpaper;
};

// What the tunnel is lined with. A saver that locks the machine on resume hides the user's
// windows from whoever sits down, unless the user asked for the desktop anyway.
DesktopSource ChooseDesktopSource(const DesktopSourceFacts& facts);

}  // namespace mirokan

// What a session lines its tunnel with: the wallpaper's layout for each style, the
// watcher's schedule and the picture's freshness, and the choice between the three sources.
#include <gtest/gtest.h>

#include "common/desktop_picture.h"
#include "saver/host/wallpaper_layout.h"
#include "watcher/watch_schedule.h"

namespace mirokan {

void PrintTo(const ScreenRect& r, std::ostream* os) {
  *os << '{' << r.left << ',' << r.top << ',' << r.right << ',' << r.bottom << '}';
}

namespace {

// Two monitors side by side, the primary first, as the two-monitor tests run them.
constexpr ScreenRect kPrimary{0, 0, 1280, 800};
constexpr ScreenRect kSecond{1280, 0, 2304, 768};
constexpr ScreenRect kDesktop{0, 0, 2304, 800};

TEST(WallpaperLayout, EachStyleLiesAsTheSystemLaysItOut) {
  struct Case {
    WallpaperStyle style;
    int width, height;
    ScreenRect monitor, expected;
    bool tiled;
  };
  const Case cases[] = {
      {WallpaperStyle::kCentre, 200, 100, kPrimary, {540, 350, 740, 450}, false},
      {WallpaperStyle::kCentre, 200, 100, kSecond, {1692, 334, 1892, 434}, false},
      {WallpaperStyle::kCentre, 2000, 1000, kPrimary, {-360, -100, 1640, 900}, false},
      {WallpaperStyle::kTile, 200, 100, kSecond, {1280, 0, 1480, 100}, true},
      {WallpaperStyle::kStretch, 200, 100, kSecond, kSecond, false},
      // 4:3 on 16:10: fit meets the height, fill the width; a tall picture fits by height.
      {WallpaperStyle::kFit, 1600, 1200, kPrimary, {106, 0, 1173, 800}, false},
      {WallpaperStyle::kFill, 1600, 1200, kPrimary, {0, -80, 1280, 880}, false},
      {WallpaperStyle::kFit, 600, 1200, kPrimary, {440, 0, 840, 800}, false},
      {WallpaperStyle::kFill, 3000, 1000, kPrimary, {-560, 0, 1840, 800}, false},
      {WallpaperStyle::kFit, 3000, 1000, kPrimary, {0, 186, 1280, 613}, false},
      // Span fills the desktop's bounds: every monitor shows its own part of one picture.
      {WallpaperStyle::kSpan, 4608, 1600, kSecond, kDesktop, false},
      {WallpaperStyle::kSpan, 1000, 1000, kSecond, {0, -752, 2304, 1552}, false},
  };
  for (const Case& c : cases) {
    const WallpaperPlacement place =
        PlaceWallpaper(c.style, c.width, c.height, c.monitor, kDesktop);
    EXPECT_EQ(place.picture, c.expected)
        << static_cast<int>(c.style) << ' ' << c.width << 'x' << c.height;
    EXPECT_EQ(place.tiled, c.tiled) << static_cast<int>(c.style);
  }
  // The user's registry texts; what the system does not know is centred, or tiled.
  const std::tuple<const wchar_t*, const wchar_t*, WallpaperStyle> styles[] = {
      {L"0", L"0", WallpaperStyle::kCentre},  {L"0", L"1", WallpaperStyle::kTile},
      {L"2", L"0", WallpaperStyle::kStretch}, {L"6", L"0", WallpaperStyle::kFit},
      {L"10", L"0", WallpaperStyle::kFill},   {L"22", L"0", WallpaperStyle::kSpan},
      {L"", L"", WallpaperStyle::kCentre},    {L"7", L"1", WallpaperStyle::kTile}};
  for (const auto& [style, tile, expected] : styles) {
    EXPECT_EQ(WallpaperStyleFrom(style, tile), expected);
  }
}

TEST(DesktopPicture, OnlyAWholePictureOfTodaysScreenTakenAtTheLastInputIsFresh) {
  DesktopPictureHeader header{.magic = kDesktopPictureMagic,
                              .version = kDesktopPictureVersion,
                              .input_tick = 500,
                              .screen = kDesktop};
  const std::size_t bytes = *DesktopPictureBytes(kDesktop);
  EXPECT_EQ(bytes, kDesktopPictureBitsOffset + 2304u * 3 * 800);
  EXPECT_EQ(*DesktopPictureBytes({0, 0, 1281, 1}), kDesktopPictureBitsOffset + 3844u);
  EXPECT_TRUE(DesktopPictureIsFresh(header, bytes, 500, kDesktop));
  EXPECT_FALSE(DesktopPictureIsFresh(header, bytes, 501, kDesktop)) << "input since";
  EXPECT_FALSE(DesktopPictureIsFresh(header, bytes, 500, kPrimary)) << "a monitor gone since";
  EXPECT_FALSE(DesktopPictureIsFresh(header, bytes - 1, 500, kDesktop)) << "rows cut short";
  header.magic = 0;
  EXPECT_FALSE(DesktopPictureIsFresh(header, bytes, 500, kDesktop)) << "still being written";
  EXPECT_FALSE(DesktopPictureBytes({0, 0, 0, 800}));
  EXPECT_FALSE(DesktopPictureBytes({0, 0, 100000, 100000})) << "no desktop is that large";
}

TEST(DesktopPicture, TheWatchersPictureOnlyOffTheUsersDesktopAndTheWallpaperWhenLocked) {
  using enum DesktopPlace;
  const std::pair<DesktopSourceFacts, DesktopSource> cases[] = {
      {{kUsersDesktop, true}, DesktopSource::kScreen},
      {{kOtherDesktop, true}, DesktopSource::kWatcherPicture},
      {{kOtherDesktop, false}, DesktopSource::kWallpaper},
      {{kUsersDesktop, true, SaverLocks::kYes}, DesktopSource::kWallpaper},
      {{kOtherDesktop, true, SaverLocks::kYes}, DesktopSource::kWallpaper},
      {{kOtherDesktop, true, SaverLocks::kYes, LockedShows::kDesktop},
       DesktopSource::kWatcherPicture},
      {{kUsersDesktop, false, SaverLocks::kYes, LockedShows::kDesktop}, DesktopSource::kScreen},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(ChooseDesktopSource(cases[i].first), cases[i].second) << "case " << i;
  }
}

TEST(WatchSchedule, OnePictureALeadBeforeTheTimeoutAndNoWakeMoreThanNeeded) {
  struct Case {
    WatchFacts facts;
    WatchStep expected;
  };
  constexpr std::uint32_t kMinute = 60000;
  const Case cases[] = {
      {{.now_tick = 100000, .last_input_tick = 0, .timeout_ms = 0}, {false, kLongestSleepMs}},
      {{.now_tick = 1000, .last_input_tick = 0, .timeout_ms = 10 * kMinute},
       {false, kLongestSleepMs}},
      {{.now_tick = 57000, .last_input_tick = 0, .timeout_ms = kMinute}, {false, 1000}},
      {{.now_tick = 58000, .last_input_tick = 0, .timeout_ms = kMinute}, {true, kHeldPollMs}},
      // The tick wraps after 49.7 days; idleness across the wrap is still 58 s.
      {{.now_tick = 1000, .last_input_tick = 0xFFFFFFFFu - 56999, .timeout_ms = kMinute},
       {true, kHeldPollMs}},
      // A few seconds' timeout (tests set one) gets its picture half way.
      {{.now_tick = 1499, .last_input_tick = 0, .timeout_ms = 3000}, {false, 1}},
      {{.now_tick = 1500, .last_input_tick = 0, .timeout_ms = 3000}, {true, kHeldPollMs}},
      // Done: a held picture waits for input; without one only the next idleness matters.
      {{.now_tick = 90000,
        .last_input_tick = 0,
        .timeout_ms = kMinute,
        .done_for_this_input = true,
        .holding_picture = true},
       {false, kHeldPollMs}},
      {{.now_tick = 90000,
        .last_input_tick = 0,
        .timeout_ms = kMinute,
        .done_for_this_input = true},
       {false, kLongestSleepMs}},
      {{.now_tick = 9000, .last_input_tick = 0, .timeout_ms = 3000, .done_for_this_input = true},
       {false, 1500}},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const WatchStep step = NextWatchStep(cases[i].facts);
    EXPECT_EQ(step.take_picture, cases[i].expected.take_picture) << "case " << i;
    EXPECT_EQ(step.sleep_ms, cases[i].expected.sleep_ms) << "case " << i;
  }
}

}  // namespace
}  // namespace mirokan

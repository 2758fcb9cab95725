// The settings dialog's rules as plain data: which controls each music kind enables, which
// mark is chosen, the repeat box's list, what "設定" stores, and where every control stands.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mirokan_version.h"
#include "common/rgb_image.h"
#include "saver/state/settings.h"

namespace mirokan {

inline constexpr int kKindCount = 3;

// What a music kind enables. A kind outside 0 to 2 (a hand-edited file) has no mark and
// enables nothing.
struct KindControls {
  bool repeat_enabled = false;
  bool file_button_enabled = false;
  std::optional<int> chosen_mark;  // index of the mark that shows "chosen"
  bool operator==(const KindControls&) const = default;
};
KindControls KindControlsFor(std::int16_t kind);

// The repeat box's list: an empty item, then "1" to "30".
std::vector<std::string> RepeatListItems();
// The repeat box's text for a stored track: 0 shows as empty text.
std::string RepeatText(std::int16_t repeat);

// "設定": the repeat box's text becomes the track (numeric text rounded to 16 bits, halves to
// even; anything else, and numbers beyond 16 bits, 0), then all three keys are written in
// their fixed order. No text can stop the save part-way. False when a write failed.
bool SaveDialogSettings(Settings& settings, std::string_view repeat_text, ProfileStore& store,
                        PathForms& forms, std::string_view program_folder);

inline constexpr char kBannerText[] = "https://mirokan.example.org/";
inline constexpr wchar_t kCreditLine[] =
    L"Designed by Mirokan developers  Ver." MIROKAN_VERSION_TEXT;

// A control's place in pixels at 96 dpi (15 twips per pixel), relative to its parent.
struct DesignRect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const DesignRect&) const = default;
};
// The same place on a screen of `twips_per_pixel`; edges are scaled, so neighbours that
// touch at 96 dpi still touch.
DesignRect ScaleRect(const DesignRect& rect, int twips_per_pixel);

namespace dialog_layout {
inline constexpr int kClientWidth = 481;
inline constexpr int kClientHeight = 250;
// Relative to the client area.
inline constexpr DesignRect kMusicPanel{12, 28, 453, 169};
inline constexpr DesignRect kSetButton{320, 208, 73, 25};
inline constexpr DesignRect kCancelButton{396, 208, 69, 25};
// Wider than the 165 pixels of the first design, which held a shorter name.
inline constexpr DesignRect kCredit{12, 204, 300, 13};
// Relative to the music panel.
inline constexpr DesignRect kDisplay{80, 4, 309, 25};
inline constexpr DesignRect kHeadingFrame{20, 36, 113, 21};
inline constexpr DesignRect kHeading{20, 40, 111, 13};
inline constexpr DesignRect kRepeatBox{92, 64, 41, 20};
inline constexpr DesignRect kRepeatCaption{136, 68, 66, 13};
inline constexpr DesignRect kFileButton{36, 124, 29, 21};
inline constexpr DesignRect kFileName{68, 124, 357, 29};
// Marks and captions by kind: kind 1 on top, then kind 0, then kind 2.
inline constexpr std::array<DesignRect, kKindCount> kMarks{
    {{20, 88, 13, 13}, {20, 68, 13, 13}, {20, 108, 13, 13}}};
inline constexpr std::array<DesignRect, kKindCount> kKindCaptions{
    {{36, 88, 23, 13}, {36, 68, 43, 13}, {36, 108, 60, 13}}};
// A control of the music panel in the dialog's client area.
constexpr DesignRect InMusicPanel(DesignRect r) {
  return {kMusicPanel.left + r.left, kMusicPanel.top + r.top, r.width, r.height};
}
}  // namespace dialog_layout

inline constexpr std::array<std::wstring_view, kKindCount> kKindCaptionTexts{L"無し", L"音楽CD",
                                                                             L"MP3、WAV"};

// The background's banding: row y of a client `height` rows high, as (c, c, c + 30) with
// c = |220 sin(y / (height / 3.142))| rounded half to even.
struct BandingColour {
  std::uint8_t r, g, b;
  bool operator==(const BandingColour&) const = default;
};
BandingColour BackgroundRow(int y, int height);

// A choice mark, drawn in code: a ring on black, with a dot in the middle when chosen. 12 ×
// 12 at 96 dpi; `size` grows with the screen.
enum class Choice { kNotChosen, kChosen };
RgbImage ChoiceMark(Choice choice, int size = 12);

}  // namespace mirokan

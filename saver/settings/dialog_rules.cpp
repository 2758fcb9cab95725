#include "saver/settings/dialog_rules.h"

#include <algorithm>
#include <cmath>

#include "common/number_text.h"
#include "saver/settings/display_panel.h"

namespace mirokan {

KindControls KindControlsFor(std::int16_t kind) {
  KindControls controls;
  if (kind < 0 || kind >= kKindCount) return controls;
  controls.chosen_mark = kind;
  controls.repeat_enabled = kind == kBgmCd;
  controls.file_button_enabled = kind == kBgmFile;
  return controls;
}

std::vector<std::string> RepeatListItems() {
  std::vector<std::string> items;
  items.reserve(31);
  for (int track = 0; track <= 30; ++track) items.push_back(FormatHashHash(track));
  return items;
}

std::string RepeatText(std::int16_t repeat) {
  return FormatHashHash(repeat);
}

bool SaveDialogSettings(Settings& settings, std::string_view repeat_text, ProfileStore& store,
                        PathForms& forms, std::string_view program_folder) {
  settings.BGMRepeat = RepeatFromText(repeat_text);
  return SaveSettings(settings, store, forms, program_folder);
}

DesignRect ScaleRect(const DesignRect& rect, int twips_per_pixel) {
  const int left = ScaleDesignPixels(rect.left, twips_per_pixel);
  const int top = ScaleDesignPixels(rect.top, twips_per_pixel);
  const int right = ScaleDesignPixels(rect.left + rect.width, twips_per_pixel);
  const int bottom = ScaleDesignPixels(rect.top + rect.height, twips_per_pixel);
  return {left, top, right - left, bottom - top};
}

BandingColour BackgroundRow(int y, int height) {
  const double period = height / 3.142;
  const double c = period > 0.0 ? std::abs(220.0 * std::sin(y / period)) : 0.0;
  // Halves to even, as the rounding of the original colour routine did.
  const auto level = static_cast<int>(std::nearbyint(c));
  const auto v = static_cast<std::uint8_t>(level);
  return {v, v, static_cast<std::uint8_t>(level + 30)};
}

RgbImage ChoiceMark(Choice choice, int size) {
  RgbImage mark(size, size);
  const double scale = size / 12.0;
  const double centre = size / 2.0;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double dx = (x + 0.5 - centre) / scale;
      const double dy = (y + 0.5 - centre) / scale;
      const double r = std::sqrt(dx * dx + dy * dy);
      // An anti-aliased ring of radius 5, and a dot of radius about 2.6 when chosen.
      double level = std::max(0.0, 1.0 - std::abs(r - 5.0) / 0.9) * 220.0;
      if (choice == Choice::kChosen) level = std::max(level, std::clamp(2.9 - r, 0.0, 1.0) * 255.0);
      const auto g = static_cast<std::uint8_t>(std::lround(std::min(level, 255.0)));
      // A cool white, to sit with the panel's blue-tinted frame.
      mark.Set(x, y, {static_cast<std::uint8_t>(g * 0.92), static_cast<std::uint8_t>(g * 0.95), g});
    }
  }
  return mark;
}

}  // namespace mirokan

// The settings file's three values and the number conversions behind them, from any text.
//
// Input lines: the kind, the repeat track and the music file as the profile store returns
// them, whether that file opens ("1") and a text for the conversions. Checks: the loaded
// settings are consistent, they survive a save and a load unchanged, and every conversion
// that succeeds lands where its rounding says.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/number_text.h"
#include "fuzz/fuzz_input.h"
#include "saver/host/settings.h"
#include "tests/support/fake_profile_store.h"

namespace {

using mirokan::fuzz::AsText;
using mirokan::fuzz::Check;
using mirokan::fuzz::NextLine;
using mirokan::testing::FakeProfileStore;

constexpr std::string_view kFolder = "C:\\ミロカン";

class AnswerProbe final : public mirokan::FileProbe {
 public:
  explicit AnswerProbe(bool opens) : opens_(opens) {}
  bool CanOpenForReading(std::string_view) override { return opens_; }

 private:
  bool opens_;
};

void CheckConversions(std::string_view text) {
  const double lenient = mirokan::ReadLeadingNumber(text);
  const std::optional<double> strict = mirokan::ParseNumber(text);
  if (!strict) return;
  Check(std::isfinite(*strict) && lenient == *strict);
  if (const auto floor = mirokan::FloorToInt16(*strict)) {
    Check(*floor <= *strict && *strict < *floor + 1.0);
    Check(mirokan::ParseNumber(mirokan::DecimalText(*floor)) == static_cast<double>(*floor));
  }
  if (const auto rounded = mirokan::RoundToInt16(*strict)) {
    Check(std::fabs(*rounded - *strict) <= 0.5);
  }
  if (const auto rounded = mirokan::RoundToInt32(*strict)) {
    Check(std::fabs(*rounded - *strict) <= 0.5);
    Check(mirokan::FormatHashHash(*rounded).empty() == (*rounded == 0));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view rest = AsText(data, size);
  const std::string_view kind = NextLine(rest);
  const std::string_view repeat = NextLine(rest);
  const std::string_view file = NextLine(rest);
  const bool file_opens = NextLine(rest) == "1";
  CheckConversions(rest);

  const std::string path = mirokan::SettingsFilePath(kFolder);
  FakeProfileStore store;
  store.Put(path, mirokan::kKeyBgmKind, kind);
  store.Put(path, mirokan::kKeyBgmRepeat, repeat);
  store.Put(path, mirokan::kKeyBgmFile, file);
  AnswerProbe probe(file_opens);
  mirokan::Settings loaded;
  mirokan::LoadSettings(loaded, store, probe, kFolder);
  Check(file_opens || loaded.BGMFile.empty());
  Check(loaded.BGMKind != mirokan::kBgmFile || !loaded.BGMFile.empty());

  FakeProfileStore saved_store;
  mirokan::SaveSettings(loaded, saved_store, kFolder);
  AnswerProbe opens(true);
  mirokan::Settings again;
  mirokan::LoadSettings(again, saved_store, opens, kFolder);
  Check(again.BGMKind == loaded.BGMKind && again.BGMRepeat == loaded.BGMRepeat &&
        again.BGMFile == loaded.BGMFile);
  return 0;
}

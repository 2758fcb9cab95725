// The settings file's three values from any text (number_text's own test has the number
// rules).
//
// Input lines: the kind, the repeat track and the music file as the profile store returns
// them, and whether that file opens ("1"). Checks: the loaded settings are consistent and
// survive a save and a load unchanged.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view rest = AsText(data, size);
  const std::string_view kind = NextLine(rest);
  const std::string_view repeat = NextLine(rest);
  const std::string_view file = NextLine(rest);
  const bool file_opens = NextLine(rest) == "1";

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

// The settings file's three values from any text (number_text's own test has the number
// rules).
//
// Input lines: the kind, the repeat track and the music file as the profile store returns
// them, and the added key's whole path. Checks: the loaded settings are consistent and
// survive a save and a load unchanged.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "saver/state/settings.h"
#include "tests/support/fake_profile_store.h"

namespace {

using mirokan::fuzz::AsText;
using mirokan::fuzz::Check;
using mirokan::fuzz::NextLine;
using mirokan::testing::FakePathForms;
using mirokan::testing::FakeProfileStore;

constexpr std::string_view kFolder = "C:\\ミロカン";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view rest = AsText(data, size);
  const std::string_view kind = NextLine(rest);
  const std::string_view repeat = NextLine(rest);
  const std::string_view file = NextLine(rest);
  const std::string_view whole = NextLine(rest);

  const std::string path = mirokan::SettingsFilePath(kFolder);
  FakeProfileStore store;
  store.Put(path, mirokan::kKeyBgmKind, kind);
  store.Put(path, mirokan::kKeyBgmRepeat, repeat);
  store.Put(path, mirokan::kKeyBgmFile, file);
  store.Put(path, mirokan::kKeyBgmFileUtf8, whole);
  FakePathForms forms;
  mirokan::Settings loaded;
  mirokan::LoadSettings(loaded, store, forms, kFolder);
  Check(loaded.BGMKind != mirokan::kBgmFile || !loaded.BGMFile.empty());

  FakeProfileStore saved_store;
  mirokan::SaveSettings(loaded, saved_store, forms, kFolder);
  mirokan::Settings again;
  mirokan::LoadSettings(again, saved_store, forms, kFolder);
  Check(again.BGMKind == loaded.BGMKind && again.BGMRepeat == loaded.BGMRepeat &&
        again.BGMFile == loaded.BGMFile);
  return 0;
}

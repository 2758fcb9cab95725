#include "saver/state/settings.h"

#include <optional>

#include "common/number_text.h"

namespace mirokan {
namespace {

std::optional<std::int16_t> KindOrRepeat(std::string_view value) {
  if (value.empty()) return std::int16_t{0};
  const std::optional<double> number = ParseNumber(value);
  if (!number) return std::nullopt;
  return FloorToInt16(*number);
}

// Cuts UTF-8 text to at most `limit` code points, never inside one.
std::string_view CutToCodePoints(std::string_view text, std::size_t limit) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      if (count == limit) return text.substr(0, i);
      ++count;
    }
  }
  return text;
}

}  // namespace

std::string SettingsFilePath(std::string_view program_folder) {
  std::string path(program_folder);
  path += kSettingsFileName;
  return path;
}

std::string ReadIniValue(ProfileStore& store, std::string_view section, std::string_view key,
                         std::string_view path) {
  // The store cuts the value: the limit counts bytes of the ANSI code page, which only it
  // knows (a kanji is two bytes there, three in UTF-8).
  return store.ReadString(section, key, path);
}

bool WriteIniValue(ProfileStore& store, std::string_view section, std::string_view key,
                   std::string_view value, std::string_view path) {
  return store.WriteString(CutToCodePoints(section, kProfileNameLimit),
                           CutToCodePoints(key, kProfileNameLimit), value, path);
}

bool FileExists(FileProbe& probe, std::string_view path) {
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  if (path.empty()) return false;
  return probe.CanOpenForReading(path);
}

std::string PercentEncoded(std::string_view text) {
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= ' ' && byte < 0x7F && c != '%') {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0xF];
    }
  }
  return encoded;
}

std::optional<std::string> PercentDecoded(std::string_view text) {
  const auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string decoded;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      decoded += text[i];
      continue;
    }
    if (text.size() - i < 3) return std::nullopt;
    const int high = digit(text[i + 1]);
    const int low = digit(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    decoded += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return decoded;
}

bool ReadShowDesktopWhenLocked(ProfileStore& store, std::string_view program_folder) {
  const std::optional<double> number = ParseNumber(ReadIniValue(
      store, kSettingsSection, kKeyShowDesktopWhenLocked, SettingsFilePath(program_folder)));
  return number && *number != 0;
}

void LoadSettings(Settings& settings, ProfileStore& store, PathForms& forms,
                  std::string_view program_folder) {
  if (const auto kind = KindOrRepeat(
          ReadIniValue(store, kSettingsSection, kKeyBgmKind, SettingsFilePath(program_folder)))) {
    settings.BGMKind = *kind;
  }
  if (const auto repeat = KindOrRepeat(
          ReadIniValue(store, kSettingsSection, kKeyBgmRepeat, SettingsFilePath(program_folder)))) {
    settings.BGMRepeat = *repeat;
  }
  std::string file =
      ReadIniValue(store, kSettingsSection, kKeyBgmFile, SettingsFilePath(program_folder));
  // The whole path counts only beside the code page's form of that same path (the stored one
  // may be cut at 255 bytes): a save by an older version leaves the added key behind.
  const std::optional<std::string> whole = PercentDecoded(
      store.ReadLongString(kSettingsSection, kKeyBgmFileUtf8, SettingsFilePath(program_folder)));
  if (whole && !file.empty() && forms.InCodePage(*whole).starts_with(file)) file = *whole;
  settings.BGMFile = std::move(file);
  if (settings.BGMFile.empty() && settings.BGMKind == kBgmFile) settings.BGMKind = kBgmNone;
  settings.ShowDesktopWhenLocked = ReadShowDesktopWhenLocked(store, program_folder);
}

bool SaveSettings(const Settings& settings, ProfileStore& store, PathForms& forms,
                  std::string_view program_folder) {
  const std::string path = SettingsFilePath(program_folder);
  std::string stored = settings.BGMFile;
  std::string whole;
  if (forms.InCodePage(stored) != stored) {
    const std::string short_form = forms.ShortForm(stored);
    if (!short_form.empty() && forms.InCodePage(short_form) == short_form) {
      stored = short_form;
    } else {
      whole = PercentEncoded(stored);
      stored = forms.InCodePage(stored);
    }
  }
  // All three are tried whatever the first ones did.
  bool saved =
      WriteIniValue(store, kSettingsSection, kKeyBgmKind, DecimalText(settings.BGMKind), path);
  saved &=
      WriteIniValue(store, kSettingsSection, kKeyBgmRepeat, DecimalText(settings.BGMRepeat), path);
  saved &= WriteIniValue(store, kSettingsSection, kKeyBgmFile, stored, path);
  // The added key is written only where it is needed or was before, so other files keep
  // their form.
  if (!whole.empty() || !store.ReadLongString(kSettingsSection, kKeyBgmFileUtf8, path).empty()) {
    saved &= WriteIniValue(store, kSettingsSection, kKeyBgmFileUtf8, whole, path);
  }
  return saved;
}

std::int16_t RepeatFromText(std::string_view text) {
  const std::optional<double> number = ParseNumber(text);
  if (!number) return 0;
  return RoundToInt16(*number).value_or(0);
}

}  // namespace mirokan

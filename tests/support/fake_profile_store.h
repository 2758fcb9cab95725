// A profile store that behaves like the platform's, but for the cut of long values (the Wine
// tests check the real one): files by path, sections and keys matched without regard to
// ASCII case, a missing file, section or key read as empty text, and writes that can be made
// to fail (read-only folder).
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "saver/state/settings.h"

namespace mirokan::testing {

class FakeProfileStore final : public ProfileStore {
 public:
  std::string ReadLongString(std::string_view section, std::string_view key,
                             std::string_view path) override {
    return ReadString(section, key, path);
  }
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view path) override {
    const auto found = values_.find(Fold(path) + '\n' + Fold(section) + '\n' + Fold(key));
    return found == values_.end() ? std::string() : found->second;
  }
  bool WriteString(std::string_view section, std::string_view key, std::string_view value,
                   std::string_view path) override {
    if (read_only) return false;
    written_keys.emplace_back(key);
    Put(path, key, value, section);
    return true;
  }
  void Put(std::string_view path, std::string_view key, std::string_view value,
           std::string_view section = kSettingsSection) {
    values_[Fold(path) + '\n' + Fold(section) + '\n' + Fold(key)] = std::string(value);
  }

  bool read_only = false;
  std::vector<std::string> written_keys;

 private:
  static std::string Fold(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return folded;
  }

  std::map<std::string, std::string> values_;  // by "PATH\nSECTION\nKEY"
};

// Code page 932 as far as paths go: ASCII, kanji and kana fit, other characters become '?'
// (one for each). Short forms are those the test gives.
class FakePathForms final : public PathForms {
 public:
  std::string InCodePage(std::string_view text) override {
    std::string held;
    for (std::size_t i = 0; i < text.size();) {
      const auto lead = static_cast<unsigned char>(text[i]);
      const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
      // U+3000 to U+9FFF (kana, kanji) and U+FF00 to U+FFBF (full- and half-width forms).
      const std::string_view two = text.substr(i, 2);
      const bool fits = length == 1 || (length == 3 && lead >= 0xE3 && lead <= 0xE9) ||
                        two == "\xEF\xBC" || two == "\xEF\xBD" || two == "\xEF\xBE";
      held += fits ? text.substr(i, length) : "?";
      i += length;
    }
    return held;
  }
  std::string ShortForm(std::string_view path) override {
    const auto found = short_forms.find(std::string(path));
    return found == short_forms.end() ? std::string() : found->second;
  }
  std::map<std::string, std::string> short_forms;
};

// Files that open for reading; anything else (a folder, a missing file) does not.
class FakeFileProbe final : public FileProbe {
 public:
  bool CanOpenForReading(std::string_view path) override {
    return files.count(std::string(path)) != 0;
  }
  std::set<std::string> files;
};

}  // namespace mirokan::testing

// A profile store that behaves like the platform's: files by path, sections and keys
// matched without regard to ASCII case, values cut to 255 bytes of code page 932 on reading
// (whole characters), a missing file, section or key read as empty text, and writes that can
// be made to fail (read-only folder).
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "saver/host/settings.h"

namespace mirokan::testing {

class FakeProfileStore final : public ProfileStore {
 public:
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view path) override {
    const auto file = files_.find(Fold(path));
    if (file == files_.end()) return {};
    const auto found = file->second.find(Fold(section) + '\n' + Fold(key));
    if (found == file->second.end()) return {};
    return CutToAnsiBytes(found->second, kProfileValueLimit);
  }

  bool WriteString(std::string_view section, std::string_view key, std::string_view value,
                   std::string_view path) override {
    if (read_only) return false;
    written_keys.emplace_back(key);
    files_[Fold(path)][Fold(section) + '\n' + Fold(key)] = std::string(value);
    return true;
  }

  void Put(std::string_view path, std::string_view key, std::string_view value,
           std::string_view section = kSettingsSection) {
    files_[Fold(path)][Fold(section) + '\n' + Fold(key)] = std::string(value);
  }

  bool read_only = false;
  std::vector<std::string> written_keys;

 private:
  // The platform holds the value in code page 932: one byte for ASCII and half-width kana,
  // two for everything else.
  static std::string CutToAnsiBytes(const std::string& utf8, std::size_t limit) {
    std::size_t ansi_bytes = 0;
    for (std::size_t i = 0; i < utf8.size();) {
      const auto lead = static_cast<unsigned char>(utf8[i]);
      const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
      const std::string_view c = std::string_view(utf8).substr(i, length);
      // U+FF61 to U+FF9F.
      const bool half_width_kana = c.size() == 3 && c >= "\xEF\xBD\xA1" && c <= "\xEF\xBE\x9F";
      ansi_bytes += lead < 0x80 || half_width_kana ? 1 : 2;
      if (ansi_bytes > limit) return utf8.substr(0, i);
      i += length;
    }
    return utf8;
  }

  static std::string Fold(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return folded;
  }

  std::map<std::string, std::map<std::string, std::string>> files_;
};

// Files that open for reading; anything else (a folder, a missing file) does not.
class FakeFileProbe final : public FileProbe {
 public:
  bool CanOpenForReading(std::string_view path) override {
    asked.emplace_back(path);
    return files.count(std::string(path)) != 0;
  }
  std::set<std::string> files;
  std::vector<std::string> asked;
};

}  // namespace mirokan::testing

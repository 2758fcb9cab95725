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

#include "saver/host/settings.h"

namespace mirokan::testing {

class FakeProfileStore final : public ProfileStore {
 public:
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

// Files that open for reading; anything else (a folder, a missing file) does not.
class FakeFileProbe final : public FileProbe {
 public:
  bool CanOpenForReading(std::string_view path) override { return files.count(std::string(path)) != 0; }
  std::set<std::string> files;
};

}  // namespace mirokan::testing

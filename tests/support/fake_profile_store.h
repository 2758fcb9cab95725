// A profile store that behaves like the platform's: files by path, sections and keys
// matched without regard to ASCII case, values cut to 255 bytes on reading, a missing file,
// section or key read as empty text, and writes that can be made to fail (read-only folder).
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>

#include "saver/host/settings.h"

namespace mirokan::testing {

class FakeProfileStore final : public ProfileStore {
 public:
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view path) override {
    ++reads;
    const auto file = files_.find(Fold(path));
    if (file == files_.end()) return {};
    const auto found = file->second.find(Fold(section) + '\n' + Fold(key));
    if (found == file->second.end()) return {};
    return found->second.substr(0, kProfileValueLimit);
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
  int reads = 0;
  std::vector<std::string> written_keys;

 private:
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

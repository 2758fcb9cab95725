// The settings file through the system's profile-string functions, the forms a path takes
// in it, and the file probe through an ordinary read-only open.
#pragma once

#include "saver/state/settings.h"

namespace mirokan::win32 {

class Win32ProfileStore final : public ProfileStore {
 public:
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view path) override;
  std::string ReadLongString(std::string_view section, std::string_view key,
                             std::string_view path) override;
  bool WriteString(std::string_view section, std::string_view key, std::string_view value,
                   std::string_view path) override;
};

class Win32PathForms final : public PathForms {
 public:
  std::string InCodePage(std::string_view text) override;
  std::string ShortForm(std::string_view path) override;
};

class Win32FileProbe final : public FileProbe {
 public:
  bool CanOpenForReading(std::string_view path) override;
};

}  // namespace mirokan::win32

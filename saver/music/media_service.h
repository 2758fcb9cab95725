// The command-string media service the music player talks to (MCI on Windows).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace mirokan {

class MediaService {
 public:
  virtual ~MediaService() = default;

  // Sends one command string. A non-empty `reply` is the caller's buffer, its size the reply
  // capacity in characters: the service writes a NUL-terminated reply into it and leaves the
  // bytes behind that NUL as they were. Returns 0 on success, else an error code.
  virtual std::int32_t SendCommand(std::string_view command, std::span<char> reply) = 0;

  // Writes the NUL-terminated text for an error code into `text`; false when there is none.
  virtual bool GetErrorText(std::int32_t code, std::span<char> text) = 0;
};

}  // namespace mirokan

// The media service on Windows: MCI command strings through winmm.
#pragma once

#include "saver/music/media_service.h"

namespace mirokan::win32 {

class MciMediaService final : public MediaService {
 public:
  std::int32_t SendCommand(std::string_view command, std::span<char> reply) override;
  bool GetErrorText(std::int32_t code, std::span<char> text) override;
};

}  // namespace mirokan::win32

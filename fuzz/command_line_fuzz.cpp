// Any argument text the system may hand the saver: the request always matches the mode
// character, only a preview carries a parent, and a plain decimal handle is read exactly.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "saver/state/command_line.h"

namespace {

using mirokan::fuzz::AsText;
using mirokan::fuzz::Check;

bool AllAscii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using mirokan::StartRequest;
  const std::string_view text = AsText(data, size);
  const mirokan::CommandLine line = mirokan::DecodeCommandLine(text);

  Check(line.ArgumentTextEmpty == text.empty());
  Check(line.PreviewParent.has_value() <= (line.Request == StartRequest::kPreview));
  const StartRequest by_mode = line.ModeCharacter == U'S'   ? StartRequest::kRunHidingCursor
                               : line.ModeCharacter == U'C' ? StartRequest::kConfigure
                               : line.ModeCharacter == U'P' ? StartRequest::kPreview
                               : text.empty()               ? StartRequest::kRunShowingCursor
                                                            : StartRequest::kEndSilently;
  Check(line.Request == by_mode);
  if (!AllAscii(text)) return 0;
  const char second = text.size() >= 2 ? text[1] : '\0';
  Check(line.ModeCharacter ==
        static_cast<char32_t>(second >= 'a' && second <= 'z' ? second - 'a' + 'A' : second));
  if (line.Request == StartRequest::kPreview && text.size() > 3 && text.size() <= 12) {
    std::uint32_t handle = 0;
    for (const char c : text.substr(3)) {
      if (c < '0' || c > '9') return 0;
      handle = handle * 10 + static_cast<std::uint32_t>(c - '0');
    }
    Check(line.PreviewParent == handle);
  }
  return 0;
}

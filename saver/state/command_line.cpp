#include "saver/state/command_line.h"

#include <cmath>

#include "common/number_text.h"

namespace mirokan {
namespace {

// Byte offset of the code point with the 0-based index `index`, or npos past the end.
std::size_t CodePointOffset(std::string_view text, std::size_t index) {
  std::size_t offset = 0;
  for (std::size_t i = 0; i < index; ++i) {
    if (offset >= text.size()) return std::string_view::npos;
    ++offset;
    while (offset < text.size() && (static_cast<unsigned char>(text[offset]) & 0xC0) == 0x80) {
      ++offset;
    }
  }
  return offset < text.size() ? offset : std::string_view::npos;
}

char32_t FoldedCodePointAt(std::string_view text, std::size_t offset) {
  const auto lead = static_cast<unsigned char>(text[offset]);
  if (lead < 0x80) {
    return static_cast<char32_t>(lead >= 'a' && lead <= 'z' ? lead - 'a' + 'A' : lead);
  }
  // Outside ASCII no request matches; any non-ASCII marker will do.
  return static_cast<char32_t>(0x80 | lead);
}

std::optional<std::uint32_t> PreviewHandle(std::string_view argument_text) {
  const std::size_t offset = CodePointOffset(argument_text, 3);
  const double value =
      offset == std::string_view::npos ? 0.0 : ReadLeadingNumber(argument_text.substr(offset));
  const double rounded = std::nearbyint(value);
  // Handles are 32 bits wide; some hosts print them signed, others unsigned.
  if (!(rounded >= -2147483648.0 && rounded <= 4294967295.0)) return std::nullopt;
  return static_cast<std::uint32_t>(static_cast<std::int64_t>(rounded));
}

}  // namespace

CommandLine DecodeCommandLine(std::string_view argument_text) {
  CommandLine result;
  result.ArgumentTextEmpty = argument_text.empty();
  const std::size_t second = CodePointOffset(argument_text, 1);
  if (second != std::string_view::npos) {
    result.ModeCharacter = FoldedCodePointAt(argument_text, second);
  }
  switch (result.ModeCharacter) {
    case U'S':
      result.Request = StartRequest::kRunHidingCursor;
      break;
    case U'C':
      result.Request = StartRequest::kConfigure;
      break;
    case U'P':
      result.Request = StartRequest::kPreview;
      result.PreviewParent = PreviewHandle(argument_text);
      break;
    default:
      result.Request =
          result.ArgumentTextEmpty ? StartRequest::kRunShowingCursor : StartRequest::kEndSilently;
      break;
  }
  return result;
}

}  // namespace mirokan

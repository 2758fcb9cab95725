// Decoding of the screen-saver command line.
//
// Only the second character of the argument text, folded to upper case, decides what the
// saver does; the preview request carries its parent window's handle from the fourth
// character on.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mirokan {

enum class StartRequest {
  kRunHidingCursor,   // "S": the saver session with the cursor hidden
  kRunShowingCursor,  // empty argument text: the session with the cursor left visible
  kConfigure,         // "C": the settings dialog
  kPreview,           // "P": the still preview inside the given window
  kEndSilently,       // anything else
};

struct CommandLine {
  // The upper-cased second character, or 0 when the text is shorter than two characters
  // (a character outside ASCII is kept as it is and matches no request).
  char32_t ModeCharacter = 0;
  bool ArgumentTextEmpty = true;
  StartRequest Request = StartRequest::kRunShowingCursor;
  // For "P": the number read from the fourth character on, rounded; absent when it does not
  // fit a 32-bit window handle (the preview then has no usable parent).
  std::optional<std::uint32_t> PreviewParent;
};

// `argument_text` is UTF-8: the text after the program's own name, as the system hands it
// over (leading blanks already removed).
CommandLine DecodeCommandLine(std::string_view argument_text);

}  // namespace mirokan

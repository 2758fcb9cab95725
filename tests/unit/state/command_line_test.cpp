#include "saver/state/command_line.h"

#include <gtest/gtest.h>

namespace mirokan {
namespace {

TEST(CommandLine, OnlyTheSecondCharacterDecides) {
  const std::pair<const char*, StartRequest> cases[] = {
      {"/s", StartRequest::kRunHidingCursor},
      {"-S", StartRequest::kRunHidingCursor},
      {"xsomething else", StartRequest::kRunHidingCursor},
      {"", StartRequest::kRunShowingCursor},
      {"/c:1234", StartRequest::kConfigure},
      {"/p 1234", StartRequest::kPreview},
      {"/a 1234", StartRequest::kEndSilently},
      {"s", StartRequest::kEndSilently},    // one character: no mode, but the text is not empty
      {"/ｓ", StartRequest::kEndSilently},  // no letter outside ASCII matches
  };
  for (const auto& [text, request] : cases) {
    const CommandLine line = DecodeCommandLine(text);
    EXPECT_EQ(line.Request, request) << '"' << text << '"';
    EXPECT_EQ(line.ArgumentTextEmpty, *text == '\0');
  }
  EXPECT_EQ(DecodeCommandLine("-s").ModeCharacter, U'S');
  EXPECT_EQ(DecodeCommandLine("s").ModeCharacter, 0u);
}

// Read leniently from the fourth character and rounded (number_text has the reading's rules).
TEST(CommandLine, PreviewHandleIsReadFromTheFourthCharacter) {
  const std::pair<const char*, std::optional<std::uint32_t>> cases[] = {
      {"/p 1234", 1234u},
      {"/p1234", 234u},
      {"/p 12ab34", 12u},
      {"/p", 0u},
      {"/p 2.5", 2u},
      {"/P 4294967295", 4294967295u},  // a handle printed unsigned still fits
      {"/p -5", static_cast<std::uint32_t>(-5)},
      {"/p 4294967296", std::nullopt},  // beyond 32 bits
  };
  for (const auto& [text, handle] : cases) {
    EXPECT_EQ(DecodeCommandLine(text).PreviewParent, handle) << text;
  }
}

}  // namespace
}  // namespace mirokan

#include "saver/host/command_line.h"

#include <gtest/gtest.h>

namespace mirokan {
namespace {

struct Case {
  const char* text;
  StartRequest request;
  char32_t mode;
};

TEST(CommandLine, OnlyTheSecondCharacterDecides) {
  const Case cases[] = {
      {"/s", StartRequest::RunHidingCursor, U'S'},
      {"/S", StartRequest::RunHidingCursor, U'S'},
      {"-s", StartRequest::RunHidingCursor, U'S'},
      {"xsomething else", StartRequest::RunHidingCursor, U'S'},
      {"", StartRequest::RunShowingCursor, 0},
      {"/c", StartRequest::Configure, U'C'},
      {"/c:1234", StartRequest::Configure, U'C'},
      {"-C 99", StartRequest::Configure, U'C'},
      {"/p 1234", StartRequest::Preview, U'P'},
      {"/a 1234", StartRequest::EndSilently, U'A'},
      // One character: no mode, but the text is not empty.
      {"s", StartRequest::EndSilently, 0},
      {"/", StartRequest::EndSilently, 0},
      // A non-ASCII second character matches nothing.
      {"/ｓ", StartRequest::EndSilently, 0},
  };
  for (const Case& c : cases) {
    const CommandLine line = DecodeCommandLine(c.text);
    EXPECT_EQ(line.Request, c.request) << '"' << c.text << '"';
    if (c.mode != 0) {
      EXPECT_EQ(line.ModeCharacter, c.mode) << c.text;
    }
    EXPECT_EQ(line.ArgumentTextEmpty, *c.text == '\0');
  }
  EXPECT_EQ(DecodeCommandLine("s").ModeCharacter, 0u);
}

TEST(CommandLine, PreviewHandleIsReadFromTheFourthCharacter) {
  struct HandleCase {
    const char* text;
    std::optional<std::uint32_t> handle;
  };
  const HandleCase cases[] = {
      {"/p 1234", 1234u},
      {"/p:1234", 1234u},  // same place, another separator
      {"/p1234", 234u},    // the fourth character is where reading starts
      {"/p    77", 77u},   // leading blanks skipped
      {"/p 12ab34", 12u},  // stops at the first character that cannot continue
      {"/p junk", 0u},     // no digits give 0
      {"/p", 0u},          // nothing there at all
      {"/p 2.5", 2u},      // rounded, halves to even
      {"/p 3.5", 4u},
      {"/P 4294967295", 4294967295u},  // a handle printed unsigned still fits
      {"/p -5", static_cast<std::uint32_t>(-5)},
      {"/p 4294967296", std::nullopt},  // beyond 32 bits
      {"/p 99999999999999999999", std::nullopt},
  };
  for (const HandleCase& c : cases) {
    const CommandLine line = DecodeCommandLine(c.text);
    ASSERT_EQ(line.Request, StartRequest::Preview) << c.text;
    EXPECT_EQ(line.PreviewParent, c.handle) << c.text;
  }
}

}  // namespace
}  // namespace mirokan

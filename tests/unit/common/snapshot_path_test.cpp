#include "common/snapshot_path.h"

#include <gtest/gtest.h>

namespace mirokan {
namespace {

// The renderer reads the file its session names, however the program's own name is written;
// a line that names none reads nothing of the program's name as a snapshot.
TEST(SnapshotArgument, TakesWhatTheSessionNamed) {
  const std::wstring snapshot = L"C:\\Users\\Łukasz 민수\\AppData\\Local\\Temp\\Zarvo.bmp";
  EXPECT_EQ(SnapshotArgument(RendererCommandLine(L"D:\\a b\\Mirokan.data", snapshot)), snapshot);
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"\"C:\\a b\\Mirokan.data\"", L""},
      {L"C:\\Mirokan\\Mirokan.data", L""},
      {L"Mirokan.data  \t", L""},
      {L"Mirokan.data C:\\t\\Zarvo.bmp ", L"C:\\t\\Zarvo.bmp"},
      {L"\"C:\\a b\\Mirokan.data\"\"C:\\t t\\Zarvo.bmp", L"C:\\t t\\Zarvo.bmp"},
      {L"\"unclosed", L""},
      {L"", L""}};
  for (const auto& [line, expected] : cases) EXPECT_EQ(SnapshotArgument(line), expected);
}

}  // namespace
}  // namespace mirokan

// Opens the desktop snapshot for the bitmap reader, shows the reader's message boxes, and
// hands the picture on or ends the program when there is none.
#include "renderer/win32_bmp.h"

#include <algorithm>
#include <new>
#include <system_error>
#include <utility>

#include "common/win32_handles.h"
#include "renderer/win32_render_window.h"

namespace mirokan::win32 {
namespace {

constexpr wchar_t kReaderCaption[] = L"BMP Unit";
constexpr wchar_t kLoaderCaption[] = L"Loading Textures";

class FileByteSource final : public ByteSource {
 public:
  explicit FileByteSource(HANDLE file) : file_(file) {
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file_, &size) && size.QuadPart > 0) {
      remaining_ = static_cast<std::uint64_t>(size.QuadPart);
    }
  }
  std::uint64_t Remaining() const override { return remaining_; }
  std::size_t Read(std::span<std::byte> into) override {
    // ReadFile takes a 32-bit count.
    const auto count = static_cast<DWORD>(std::min<std::size_t>(into.size(), 1u << 30));
    DWORD got = 0;
    if (!ReadFile(file_, into.data(), count, &got, nullptr)) return 0;
    remaining_ -= std::min<std::uint64_t>(remaining_, got);
    return got;
  }

 private:
  HANDLE file_;
  std::uint64_t remaining_ = 0;
};

std::wstring MessageText(BitmapMessage message, const std::wstring& path) {
  switch (message) {
    case BitmapMessage::kErrorOpening:
      return L"Error opening \"" + path;  // no closing quotation mark
    case BitmapMessage::kErrorReadingPalette:
      return L"Error reading palette";
    case BitmapMessage::kErrorReadingBitmapData:
      return L"Error reading bitmap data";
  }
  return {};
}

BitmapReadResult ReadQuietly(const std::wstring& path) {
  BitmapReadResult result;
  // Shared for deletion: the session's end must remove the picture even while it is read.
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr));
  if (file) {
    FileByteSource source(file.Get());
    result = ReadBitmap(source);
  } else {
    result.messages.push_back(BitmapMessage::kErrorOpening);
  }
  return result;  // the file is closed before any message shows
}

BitmapReadResult ShowMessages(BitmapReadResult result, const std::wstring& path) {
  for (const BitmapMessage message : result.messages) {
    MessageBoxW(nullptr, MessageText(message, path).c_str(), kReaderCaption, MB_OK);
  }
  return result;
}

SnapshotPicture ReadAndBuildLevels(const std::wstring& path) {
  SnapshotPicture picture{ReadQuietly(path), ReadMonitorLayout(), {}};
  BitmapReadResult& read = picture.read;
  if (!read.pixels) return picture;
  const auto stride = static_cast<std::size_t>(PaddedRowLength(read.width));
  for (const ScreenRect& part : PictureParts(picture.pictured, read.file_width, read.file_height)) {
    const ScreenRect held = HeldPart(part, read.scale, read.width, read.height);
    const RgbView view{{held.Width(), held.Height()},
                       stride,
                       read.pixels->data() + PartOffset(read.width, read.height, held)};
    // The driver's largest size is not known without a context: the upload leaves out the
    // levels it cannot take.
    picture.parts.push_back(
        {part, BuildTextureLevels(view, static_cast<std::int32_t>(kMaxBitmapSide))});
  }
  std::vector<std::uint8_t>().swap(*read.pixels);
  return picture;
}

}  // namespace

BitmapReadResult ReadBitmapFile(const std::wstring& path) {
  return ShowMessages(ReadQuietly(path), path);
}

SnapshotRead::SnapshotRead(std::wstring path, Reader read)
    : path_(std::move(path)), read_(read ? read : ReadAndBuildLevels) {
  // Without a thread (or the memory) to spare the read waits for Take() and runs there instead.
  try {
    result_ = std::async(std::launch::async | std::launch::deferred, read_, path_);
  } catch (const std::system_error&) {
  } catch (const std::bad_alloc&) {
  }
}

SnapshotPicture SnapshotRead::Take() {
  SnapshotPicture picture;
  try {
    picture = result_.valid() ? result_.get() : read_(path_);
  } catch (const std::bad_alloc&) {
    // The picture is too large for the memory left: "Unable to load", as for any unreadable one.
  }
  picture.read = ShowMessages(std::move(picture.read), path_);
  return picture;
}

SnapshotPicture LoadSnapshotPicture(SnapshotRead& snapshot) {
  const std::wstring& path = snapshot.Path();
  SnapshotPicture picture = snapshot.Take();
  if (!picture.read.pixels) {
    MessageBoxW(nullptr, (L"Unable to load " + path).c_str(), kLoaderCaption, MB_OK);
    ExitProcess(1);  // nothing is torn down: the window goes with the process
  }
  return picture;
}

}  // namespace mirokan::win32

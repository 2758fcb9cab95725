// Opens the desktop snapshot for the bitmap reader, shows the reader's message boxes, and
// turns the picture into the scene's texture or ends the program when there is none.
#include "renderer/win32_bmp.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "common/win32_handles.h"
#include "renderer/texture_upload.h"
#include "renderer/tunnel_scene.h"

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
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr));
  if (file) {
    FileByteSource source(file.Get());
    result = ReadBitmap(source);
  } else {
    result.messages.push_back(BitmapMessage::kErrorOpening);
  }
  return result;  // the file is closed before any message shows
}

void ShowMessages(const BitmapReadResult& result, const std::wstring& path) {
  for (const BitmapMessage message : result.messages) {
    MessageBoxW(nullptr, MessageText(message, path).c_str(), kReaderCaption, MB_OK);
  }
}

SnapshotPicture ReadAndBuildLevels(const std::wstring& path) {
  SnapshotPicture picture{ReadQuietly(path), {}};
  if (std::vector<std::uint8_t>* pixels = picture.read.pixels ? &*picture.read.pixels : nullptr) {
    const RgbView view{{picture.read.width, picture.read.height},
                       static_cast<std::size_t>(PaddedRowLength(picture.read.width)),
                       pixels->data()};
    // The driver's largest size is not known without a context: the upload leaves out the
    // levels it cannot take.
    picture.levels = BuildTextureLevels(view, static_cast<std::int32_t>(kMaxBitmapSide));
    std::vector<std::uint8_t>().swap(*pixels);
  }
  return picture;
}

}  // namespace

BitmapReadResult ReadBitmapFile(const std::wstring& path) {
  BitmapReadResult result = ReadQuietly(path);
  ShowMessages(result, path);
  return result;
}

SnapshotRead::SnapshotRead(std::wstring path) : path_(std::move(path)) {
  // Without a thread to spare the read waits for Take() and runs there instead.
  try {
    result_ = std::async(std::launch::async | std::launch::deferred, ReadAndBuildLevels, path_);
  } catch (const std::system_error&) {
  }
}

SnapshotPicture SnapshotRead::Take() {
  SnapshotPicture picture = result_.valid() ? result_.get() : ReadAndBuildLevels(path_);
  ShowMessages(picture.read, path_);
  return picture;
}

bool LoadTunnelTexture(SnapshotRead& snapshot, GLuint& texture) {
  const std::wstring& path = snapshot.Path();
  const SnapshotPicture picture = snapshot.Take();
  if (!picture.read.pixels) {
    MessageBoxW(nullptr, (L"Unable to load " + path).c_str(), kLoaderCaption, MB_OK);
    ExitProcess(1);  // nothing is torn down: the window goes with the process
  }
  BindTunnelTexture(texture);
  UploadTextureLevels(picture.levels);
  return true;
}

}  // namespace mirokan::win32

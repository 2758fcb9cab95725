// The wallpaper through the system's own services: the per-monitor desktop wallpaper object
// where there is one (Windows 8 and later), the single wallpaper setting otherwise, decoded
// and scaled by the system's imaging component. COM and the imaging library are loaded only
// here, so no other start pays for them.
#include "saver/host/win32_wallpaper.h"

#include <objbase.h>
#include <wincodec.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/win32_screen_saver.h"
#include "common/win32_system_library.h"
#include "common/win32_trace.h"
#include "saver/host/wallpaper_layout.h"

namespace mirokan::win32 {
namespace {

// Declared here: the SDK declares the per-monitor wallpaper object for Windows 8 and later
// only, and this program runs on 7 too (where creating it fails and the setting is read).
struct DesktopWallpaperObject : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetWallpaper(LPCWSTR, LPCWSTR) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetWallpaper(LPCWSTR monitor, LPWSTR* path) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMonitorDevicePathAt(UINT index, LPWSTR* monitor) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMonitorDevicePathCount(UINT* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMonitorRECT(LPCWSTR monitor, RECT* rect) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetBackgroundColor(COLORREF) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetBackgroundColor(COLORREF* colour) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetPosition(int) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPosition(int* position) = 0;
};
constexpr CLSID kDesktopWallpaperClass = {
    0xc2cf3110, 0x460e, 0x4fc1, {0xb9, 0xd0, 0x8a, 0x1c, 0x0c, 0x9c, 0xc4, 0xbd}};
constexpr IID kDesktopWallpaperInterface = {
    0xb92b56a9, 0x8b55, 0x4e14, {0x9a, 0x89, 0x01, 0x99, 0xbb, 0xb6, 0xf9, 0x3b}};
constexpr CLSID kImagingFactoryClass = {
    0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
constexpr GUID kPixelFormat32bppBgr = {
    0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0e}};

// The positions of the per-monitor object, in its own order.
constexpr WallpaperStyle kStyleOfPosition[] = {WallpaperStyle::kCentre,  WallpaperStyle::kTile,
                                               WallpaperStyle::kStretch, WallpaperStyle::kFit,
                                               WallpaperStyle::kFill,    WallpaperStyle::kSpan};

// The few COM calls, from the system folder at their first use.
struct Com {
  decltype(&CoInitializeEx) initialize =
      SystemFunction<decltype(CoInitializeEx)>(L"ole32.dll", "CoInitializeEx");
  decltype(&CoUninitialize) uninitialize =
      SystemFunction<decltype(CoUninitialize)>(L"ole32.dll", "CoUninitialize");
  decltype(&CoCreateInstance) create =
      SystemFunction<decltype(CoCreateInstance)>(L"ole32.dll", "CoCreateInstance");
  decltype(&CoTaskMemFree) free =
      SystemFunction<decltype(CoTaskMemFree)>(L"ole32.dll", "CoTaskMemFree");
  bool Usable() const { return initialize && uninitialize && create && free; }
};

struct Release {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <typename T>
using ComPtr = std::unique_ptr<T, Release>;

struct MonitorWallpaper {
  ScreenRect monitor;
  std::wstring path;
};

struct Wallpapers {
  std::vector<MonitorWallpaper> monitors;
  WallpaperStyle style = WallpaperStyle::kCentre;
  COLORREF colour = 0;
};

ScreenRect FromRect(const RECT& rect) {
  return {rect.left, rect.top, rect.right, rect.bottom};
}

std::wstring TakeText(const Com& com, LPWSTR text) {
  std::wstring copy = text ? text : L"";
  if (text) com.free(text);
  return copy;
}

bool FromDesktopWallpaperObject(const Com& com, Wallpapers& out) {
  void* object = nullptr;
  if (FailedCall(com.create(kDesktopWallpaperClass, nullptr, CLSCTX_ALL, kDesktopWallpaperInterface,
                            &object),
                 L"CoCreateInstance(DesktopWallpaper)")) {
    return false;
  }
  ComPtr<DesktopWallpaperObject> wallpaper(static_cast<DesktopWallpaperObject*>(object));
  UINT count = 0;
  if (FAILED(wallpaper->GetMonitorDevicePathCount(&count))) return false;
  for (UINT i = 0; i < count; ++i) {
    LPWSTR id = nullptr;
    if (FAILED(wallpaper->GetMonitorDevicePathAt(i, &id))) continue;
    const std::wstring monitor = TakeText(com, id);
    RECT rect{};
    // Monitors that are attached but not part of the desktop have no rectangle.
    if (FAILED(wallpaper->GetMonitorRECT(monitor.c_str(), &rect))) continue;
    LPWSTR path = nullptr;
    const HRESULT found = wallpaper->GetWallpaper(monitor.c_str(), &path);
    out.monitors.push_back({FromRect(rect), SUCCEEDED(found) ? TakeText(com, path) : L""});
  }
  int position = 0;
  if (SUCCEEDED(wallpaper->GetPosition(&position)) && position >= 0 &&
      position < static_cast<int>(std::size(kStyleOfPosition))) {
    out.style = kStyleOfPosition[position];
  }
  COLORREF colour = 0;
  out.colour =
      SUCCEEDED(wallpaper->GetBackgroundColor(&colour)) ? colour : GetSysColor(COLOR_DESKTOP);
  return !out.monitors.empty();
}

void FromSettings(Wallpapers& out) {
  wchar_t path[MAX_PATH * 2] = {};
  if (!SystemParametersInfoW(SPI_GETDESKWALLPAPER, static_cast<UINT>(std::size(path) - 1), path,
                             0)) {
    path[0] = L'\0';
  }
  const auto add = [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
    MONITORINFO info{.cbSize = sizeof(info)};
    if (GetMonitorInfoW(monitor, &info)) {
      reinterpret_cast<std::vector<MonitorWallpaper>*>(data)->push_back(
          {FromRect(info.rcMonitor), {}});
    }
    return TRUE;
  };
  EnumDisplayMonitors(nullptr, nullptr, add, reinterpret_cast<LPARAM>(&out.monitors));
  for (MonitorWallpaper& monitor : out.monitors) monitor.path = path;
  out.style = WallpaperStyleFrom(DesktopSetting(L"WallpaperStyle", Policy::kIgnored),
                                 DesktopSetting(L"TileWallpaper", Policy::kIgnored));
  out.colour = GetSysColor(COLOR_DESKTOP);
}

// The system's own copy of the wallpaper, which it keeps when the file chosen has gone.
std::wstring SystemCopyOfWallpaper() {
  wchar_t folder[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(L"APPDATA", folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::wstring(folder) + L"\\Microsoft\\Windows\\Themes\\TranscodedWallpaper";
}

// A picture file decoded to 32-bit pixels, scaled on demand.
class Picture {
 public:
  Picture(IWICImagingFactory& factory, const std::wstring& path) : factory_(factory) {
    for (const std::wstring& file : {path, SystemCopyOfWallpaper()}) {
      if (!file.empty() && Open(file)) break;
    }
  }
  explicit operator bool() const { return source_ != nullptr; }
  UINT Width() const { return width_; }
  UINT Height() const { return height_; }

  // `part` of the picture scaled to `width` x `height`, as rows of 4 bytes a pixel.
  bool Copy(UINT width, UINT height, const WICRect& part, std::vector<std::uint8_t>& pixels) {
    IWICBitmapSource* source = source_.get();
    ComPtr<IWICBitmapScaler> scaler;
    if (width != width_ || height != height_) {
      IWICBitmapScaler* made = nullptr;
      if (FailedCall(factory_.CreateBitmapScaler(&made), L"CreateBitmapScaler")) return false;
      scaler.reset(made);
      if (FailedCall(scaler->Initialize(source, width, height, WICBitmapInterpolationModeFant),
                     L"IWICBitmapScaler::Initialize")) {
        return false;
      }
      source = scaler.get();
    }
    pixels.resize(static_cast<std::size_t>(part.Width) * part.Height * 4);
    return !FailedCall(source->CopyPixels(&part, static_cast<UINT>(part.Width) * 4,
                                          static_cast<UINT>(pixels.size()), pixels.data()),
                       L"IWICBitmapSource::CopyPixels");
  }

 private:
  bool Open(const std::wstring& file) {
    IWICBitmapDecoder* decoder = nullptr;
    if (FailedCall(factory_.CreateDecoderFromFilename(file.c_str(), nullptr, GENERIC_READ,
                                                      WICDecodeMetadataCacheOnDemand, &decoder),
                   L"CreateDecoderFromFilename")) {
      return false;
    }
    ComPtr<IWICBitmapDecoder> owned_decoder(decoder);
    IWICBitmapFrameDecode* frame = nullptr;
    if (FailedCall(decoder->GetFrame(0, &frame), L"IWICBitmapDecoder::GetFrame")) return false;
    ComPtr<IWICBitmapFrameDecode> owned_frame(frame);
    IWICFormatConverter* converter = nullptr;
    if (FailedCall(factory_.CreateFormatConverter(&converter), L"CreateFormatConverter")) {
      return false;
    }
    ComPtr<IWICFormatConverter> owned_converter(converter);
    if (FAILED(converter->Initialize(frame, kPixelFormat32bppBgr, WICBitmapDitherTypeNone, nullptr,
                                     0, WICBitmapPaletteTypeCustom)) ||
        FAILED(converter->GetSize(&width_, &height_)) || width_ == 0 || height_ == 0) {
      return false;
    }
    source_ = std::move(owned_converter);
    return true;
  }

  IWICImagingFactory& factory_;
  ComPtr<IWICFormatConverter> source_;
  UINT width_ = 0;
  UINT height_ = 0;
};

ScreenRect Intersection(const ScreenRect& a, const ScreenRect& b) {
  const int left = std::max(a.left, b.left), top = std::max(a.top, b.top);
  return {left, top, std::max(left, std::min(a.right, b.right)),
          std::max(top, std::min(a.bottom, b.bottom))};
}

// Lays one monitor's wallpaper into the image, which covers `screen`.
void PaintMonitor(BackingImage& image, const ScreenRect& screen, Picture& picture,
                  const MonitorWallpaper& monitor, const Wallpapers& wallpapers) {
  const WallpaperPlacement place =
      PlaceWallpaper(wallpapers.style, static_cast<int>(picture.Width()),
                     static_cast<int>(picture.Height()), monitor.monitor, screen);
  const ScreenRect& scaled = place.picture;
  if (scaled.Width() <= 0 || scaled.Height() <= 0) return;
  // Only what the monitor shows is decoded: a tile's first repeat, or the part that falls on it.
  const ScreenRect area = Intersection(monitor.monitor, screen);
  const ScreenRect shown = place.tiled
                               ? ScreenRect{area.left, area.top, std::min(scaled.right, area.right),
                                            std::min(scaled.bottom, area.bottom)}
                               : Intersection(scaled, area);
  if (shown.Width() <= 0 || shown.Height() <= 0) return;
  const WICRect part{shown.left - scaled.left, shown.top - scaled.top, shown.Width(),
                     shown.Height()};
  std::vector<std::uint8_t> pixels;
  if (!picture.Copy(static_cast<UINT>(scaled.Width()), static_cast<UINT>(scaled.Height()), part,
                    pixels)) {
    return;
  }
  // A tile repeats over the whole monitor.
  const ScreenRect filled = place.tiled ? area : shown;
  for (int y = filled.top; y < filled.bottom; ++y) {
    const std::uint8_t* source =
        pixels.data() + static_cast<std::size_t>((y - filled.top) % part.Height) * part.Width * 4;
    std::uint8_t* row =
        image.Row(y - screen.top) + static_cast<std::size_t>(filled.left - screen.left) * 3;
    for (int x = 0; x < filled.Width(); ++x) {
      const std::uint8_t* pixel = source + static_cast<std::size_t>(x % part.Width) * 4;
      row[3 * x] = pixel[0];
      row[3 * x + 1] = pixel[1];
      row[3 * x + 2] = pixel[2];
    }
  }
}

}  // namespace

void PaintWallpaper(BackingImage& image, const ScreenRect& screen) {
  const Com com;
  const bool com_ready =
      com.Usable() && SUCCEEDED(com.initialize(nullptr, COINIT_APARTMENTTHREADED));
  {
    Wallpapers wallpapers;
    if (!com_ready || !FromDesktopWallpaperObject(com, wallpapers)) {
      wallpapers = {};
      FromSettings(wallpapers);
    }
    image.Fill(wallpapers.colour);
    GdiFlush();  // the fill lands in the bits before the pixels are laid over it
    void* factory = nullptr;
    if (com_ready && image.Bits() &&
        SUCCEEDED(com.create(kImagingFactoryClass, nullptr, CLSCTX_INPROC_SERVER,
                             __uuidof(IWICImagingFactory), &factory))) {
      ComPtr<IWICImagingFactory> imaging(static_cast<IWICImagingFactory*>(factory));
      std::map<std::wstring, std::unique_ptr<Picture>> pictures;
      for (const MonitorWallpaper& monitor : wallpapers.monitors) {
        if (monitor.path.empty()) continue;
        auto& picture = pictures[monitor.path];
        if (!picture) picture = std::make_unique<Picture>(*imaging, monitor.path);
        if (*picture) PaintMonitor(image, screen, *picture, monitor, wallpapers);
      }
    }
  }
  if (com_ready) com.uninitialize();
}

}  // namespace mirokan::win32

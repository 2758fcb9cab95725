// Writes the preview's still picture, the bitmap the saver embeds:
//   preview_still [OUTPUT.bmp]     (default: resources/preview_still.bmp of the source tree)
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/preview_still.h"

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : MIROKAN_PREVIEW_STILL;
  std::string error;
  const std::vector<std::uint8_t> file = mirokan::still::RenderStill(error);
  if (file.empty()) {
    std::fprintf(stderr, "preview_still: %s\n", error.c_str());
    return 1;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "preview_still: cannot write %s\n", path.c_str());
    return 1;
  }
  const mirokan::still::FrameChoice choice = mirokan::still::ChooseFrame();
  std::printf("%s: frame %d, bend %.2f\n", path.c_str(), choice.frame, choice.bend);
  return 0;
}

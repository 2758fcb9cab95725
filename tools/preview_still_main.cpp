// Writes the preview's still picture, the bitmap the saver embeds:
//   preview_still [OUTPUT.bmp]     (default: resources/preview_still.bmp of the source tree)
#include <cstdio>
#include <string>

#include "tools/output_file.h"
#include "tools/preview_still.h"

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : MIROKAN_PREVIEW_STILL;
  std::string error;
  const std::vector<std::uint8_t> file = mirokan::still::RenderStill(error);
  if (file.empty()) {
    std::fprintf(stderr, "preview_still: %s\n", error.c_str());
    return 1;
  }
  if (!mirokan::tools::WriteOutputFile("preview_still", path, file)) return 1;
  const mirokan::still::FrameChoice choice = mirokan::still::ChooseFrame();
  std::printf("%s: frame %d, bend %.2f\n", path.c_str(), choice.frame, choice.bend);
  return 0;
}

// Writes the programs' icon, the file both programs embed:
//   app_icon [OUTPUT.ico]     (default: resources/mirokan.ico of the source tree)
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/app_icon.h"

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : MIROKAN_APP_ICON;
  const std::vector<std::uint8_t> file = mirokan::icon::IconFile();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "app_icon: cannot write %s\n", path.c_str());
    return 1;
  }
  std::printf("%s: %zu bytes\n", path.c_str(), file.size());
  return 0;
}

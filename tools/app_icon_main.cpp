// Writes the programs' icon, the file both programs embed:
//   app_icon [OUTPUT.ico]     (default: resources/mirokan.ico of the source tree)
#include <cstdio>
#include <string>

#include "tools/app_icon.h"
#include "tools/output_file.h"

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : MIROKAN_APP_ICON;
  const std::vector<std::uint8_t> file = mirokan::icon::IconFile();
  if (!mirokan::tools::WriteOutputFile("app_icon", path, file)) return 1;
  std::printf("%s: %zu bytes\n", path.c_str(), file.size());
  return 0;
}

// The artwork tools' last step: their file written whole, or a message saying why not.
#pragma once

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace mirokan::tools {

inline bool WriteOutputFile(const char* tool, const std::string& path,
                            const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) std::fprintf(stderr, "%s: cannot write %s\n", tool, path.c_str());
  return static_cast<bool>(out);
}

}  // namespace mirokan::tools

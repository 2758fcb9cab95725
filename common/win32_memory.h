// Fresh memory brought in before it is filled.
#pragma once

#include <cstddef>

namespace mirokan::win32 {

// Makes the system supply the pages of [data, data + size) now, in a few calls, instead of one
// fault a page at their first touch. Where the system refuses, nothing changes: the pages come
// at their first touch as before.
void BringInPages(void* data, std::size_t size);

}  // namespace mirokan::win32

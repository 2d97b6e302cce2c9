#pragma once
// Data the program carries in itself, generated at build time.

#include <cstdint>

namespace tev::embedded {
}  // namespace tev::embedded

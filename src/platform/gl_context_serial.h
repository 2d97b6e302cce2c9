#pragma once
// Which OpenGL context is current, as a serial number that no other context
// ever had. Objects cached per context (display lists) compare it to know
// whether the context they were made in is still the current one.

#include <cstdint>

namespace tev::platform {

// 0 when no context made by this program is current.
uint64_t currentGlContextSerial();

// For the code that creates contexts: a fresh serial, and the one now current.
uint64_t newGlContextSerial();
void setCurrentGlContextSerial(uint64_t serial);

}  // namespace tev::platform

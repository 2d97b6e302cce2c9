#include "platform/gl_context_serial.h"

namespace tev::platform {
namespace {
uint64_t current = 0;
uint64_t last = 0;
}  // namespace

uint64_t currentGlContextSerial() {
    return current;
}
uint64_t newGlContextSerial() {
    return ++last;
}
void setCurrentGlContextSerial(uint64_t serial) {
    current = serial;
}

}  // namespace tev::platform

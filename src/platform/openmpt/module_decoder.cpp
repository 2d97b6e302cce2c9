#include "platform/openmpt/module_decoder.h"

#include <cstddef>
#include <cstring>

namespace tev::platform {
namespace {

uint32_t read16(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}
uint32_t read32(const uint8_t* p) {
    return read16(p) | read16(p + 2) << 16;
}

// libopenmpt plays what it can of an Impulse Tracker file cut short, and
// patterns or samples that point past the end come out silent or as
// garbage. A file whose own tables point past its end is damaged: refuse it.
bool impulseTablesFit(const uint8_t* data, size_t size) {
    constexpr size_t kHeader = 192, kInstrument = 554, kSampleHeader = 80, kPatternHeader = 8;
    auto fits = [size](size_t at, size_t length) { return at <= size && length <= size - at; };
    if (!fits(0, kHeader)) return false;
    const size_t orders = read16(data + 0x20), instruments = read16(data + 0x22);
    const size_t samples = read16(data + 0x24), patterns = read16(data + 0x26);
    const size_t tables = kHeader + orders;
    if (!fits(tables, 4 * (instruments + samples + patterns))) return false;
    if ((read16(data + 0x2E) & 1) && !fits(read32(data + 0x38), read16(data + 0x36))) return false;
    for (size_t i = 0; i < instruments + samples + patterns; ++i) {
        const size_t at = read32(data + tables + 4 * i);
        if (at == 0) continue;  // none
        if (i < instruments) {
            if (!fits(at, kInstrument)) return false;
        } else if (i < instruments + samples) {
            if (!fits(at, kSampleHeader)) return false;
            const uint8_t flags = data[at + 0x12];
            const size_t frames = read32(data + at + 0x30), offset = read32(data + at + 0x48);
            if (!(flags & 0x01) || frames == 0) continue;  // no data
            if (flags & 0x08) {
                if (offset >= size) return false;  // compressed: length unknown here
                continue;
            }
            const size_t bytes = frames * ((flags & 0x02) ? 2 : 1) * ((flags & 0x04) ? 2 : 1);
            if (!fits(offset, bytes)) return false;
        } else {
            if (!fits(at, kPatternHeader) || !fits(at + kPatternHeader, read16(data + at))) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

ModulePointer openSong(const void* data, uint32_t size) {
    if (data == nullptr || size == 0) return nullptr;
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (size >= 4 && std::memcmp(bytes, "IMPM", 4) == 0 && !impulseTablesFit(bytes, size)) {
        return nullptr;
    }
    int error = 0;
    ModulePointer module(openmpt_module_create_from_memory2(data, size, openmpt_log_func_silent,
                                                            nullptr, openmpt_error_func_ignore,
                                                            nullptr, &error, nullptr, nullptr));
    if (!module) return nullptr;
    // Play once and stop at the last row, with no fade past it; no dither,
    // so the output is the same on every run.
    if (openmpt_module_ctl_set_text(module.get(), "play.at_end", "stop") != 1 ||
        openmpt_module_ctl_set_integer(module.get(), "dither", 0) != 1) {
        return nullptr;
    }
    return module;
}

}  // namespace tev::platform

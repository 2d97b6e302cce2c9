#include "it_format.h"

#include <array>
#include <cstring>
#include <utility>
#include "portable/little_endian.h"

namespace compose {
namespace {

constexpr size_t kHeaderSize = 192;
constexpr size_t kSampleHeaderSize = 80;
constexpr size_t kPatternHeaderSize = 8;
constexpr uint16_t kTrackerVersion = 0x0214;
constexpr uint16_t kFlags = 0x0009;          // stereo, linear slides, sample mode
constexpr uint16_t kSpecial = 0x0004;        // the highlight bytes are valid
constexpr uint8_t kUnusedChannelPan = 0xA0;  // centre, muted

enum MaskBit : uint8_t {
    kMaskNote = 0x01,
    kMaskSample = 0x02,
    kMaskVolume = 0x04,
    kMaskEffect = 0x08,
    kMaskLastNote = 0x10,
    kMaskLastSample = 0x20,
    kMaskLastVolume = 0x40,
    kMaskLastEffect = 0x80,
};

enum SampleFlag : uint8_t {
    kSampleData = 0x01,
    kSample16Bit = 0x02,
    kSampleLoop = 0x10,
};

void put16(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    tev::writeLe16(out.data() + at, static_cast<uint16_t>(value));
}

void put32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    tev::writeLe32(out.data() + at, value);
}

void putText(std::vector<uint8_t>& out, size_t at, const std::string& text, size_t field) {
    // Room for the terminating zero.
    for (size_t i = 0; i + 1 < field && i < text.size(); ++i)
        out[at + i] = uint8_t(text[i]);
}

uint32_t get16(const std::vector<uint8_t>& in, size_t at) {
    return tev::readLe16(in.data() + at);
}

uint32_t get32(const std::vector<uint8_t>& in, size_t at) {
    return tev::readLe32(in.data() + at);
}

bool fail(std::string& error, std::string why) {
    error = std::move(why);
    return false;
}

std::string getText(const std::vector<uint8_t>& in, size_t at, size_t field) {
    std::string text;
    for (size_t i = 0; i < field && in[at + i] != 0; ++i)
        text += char(in[at + i]);
    return text;
}

// What the format remembers per channel while a pattern is packed or read.
struct ChannelMemory {
    uint8_t mask = 0;
    int16_t note = kNoNote;
    uint8_t sample = 0;
    int16_t volume = kNoVolume;
    uint8_t effect = kEffectNone;
    uint8_t param = 0;
    bool hasMask = false;
    bool hasNote = false, hasSample = false, hasVolume = false, hasEffect = false;
};

}  // namespace

std::vector<uint8_t> packPattern(const Pattern& pattern) {
    std::vector<uint8_t> out;
    std::array<ChannelMemory, kMaxChannels> memory{};
    for (int row = 0; row < pattern.rows; ++row) {
        for (int ch = 0; ch < pattern.channels; ++ch) {
            const Cell& cell = pattern.at(row, ch);
            if (cell.empty()) continue;
            ChannelMemory& m = memory[size_t(ch)];
            uint8_t mask = 0;
            std::vector<uint8_t> data;
            if (cell.note != kNoNote) {
                if (m.hasNote && m.note == cell.note) {
                    mask |= kMaskLastNote;
                } else {
                    mask |= kMaskNote;
                    data.push_back(uint8_t(cell.note));
                    m.note = cell.note;
                    m.hasNote = true;
                }
            }
            if (cell.sample != 0) {
                if (m.hasSample && m.sample == cell.sample) {
                    mask |= kMaskLastSample;
                } else {
                    mask |= kMaskSample;
                    data.push_back(cell.sample);
                    m.sample = cell.sample;
                    m.hasSample = true;
                }
            }
            if (cell.volume != kNoVolume) {
                if (m.hasVolume && m.volume == cell.volume) {
                    mask |= kMaskLastVolume;
                } else {
                    mask |= kMaskVolume;
                    data.push_back(uint8_t(cell.volume));
                    m.volume = cell.volume;
                    m.hasVolume = true;
                }
            }
            if (cell.effect != kEffectNone) {
                if (m.hasEffect && m.effect == cell.effect && m.param == cell.param) {
                    mask |= kMaskLastEffect;
                } else {
                    mask |= kMaskEffect;
                    data.push_back(cell.effect);
                    data.push_back(cell.param);
                    m.effect = cell.effect;
                    m.param = cell.param;
                    m.hasEffect = true;
                }
            }
            if (m.hasMask && m.mask == mask) {
                out.push_back(uint8_t(ch + 1));
            } else {
                out.push_back(uint8_t((ch + 1) | 0x80));
                out.push_back(mask);
                m.mask = mask;
                m.hasMask = true;
            }
            out.insert(out.end(), data.begin(), data.end());
        }
        out.push_back(0);
    }
    return out;
}

bool unpackPattern(const uint8_t* data, size_t size, int rows, int channels, Pattern& out,
                   std::string& error) {
    out = Pattern(rows, channels);
    std::array<ChannelMemory, kMaxChannels> memory{};
    size_t pos = 0;
    auto next = [&](uint8_t& byte) {
        if (pos >= size) return false;
        byte = data[pos++];
        return true;
    };
    for (int row = 0; row < rows; ++row) {
        for (;;) {
            uint8_t channelByte = 0;
            if (!next(channelByte)) {
                error = "packed data ends inside row " + std::to_string(row);
                return false;
            }
            if (channelByte == 0) break;
            const int ch = (channelByte & 0x7F) - 1;
            if (ch >= channels) {
                error = "row " + std::to_string(row) + " names unused channel " +
                        std::to_string(ch + 1);
                return false;
            }
            ChannelMemory& m = memory[size_t(ch)];
            if (channelByte & 0x80) {
                if (!next(m.mask)) {
                    error = "packed data ends inside a mask";
                    return false;
                }
                m.hasMask = true;
            } else if (!m.hasMask) {
                error = "channel " + std::to_string(ch + 1) + " reuses a mask it never had";
                return false;
            }
            Cell& cell = out.at(row, ch);
            uint8_t byte = 0;
            if (m.mask & kMaskNote) {
                if (!next(byte)) return fail(error, "packed data ends inside a note");
                m.note = byte;
                m.hasNote = true;
                cell.note = byte;
            }
            if (m.mask & kMaskSample) {
                if (!next(byte)) return fail(error, "packed data ends inside a sample");
                m.sample = byte;
                m.hasSample = true;
                cell.sample = byte;
            }
            if (m.mask & kMaskVolume) {
                if (!next(byte)) return fail(error, "packed data ends inside a volume");
                m.volume = byte;
                m.hasVolume = true;
                cell.volume = byte;
            }
            if (m.mask & kMaskEffect) {
                uint8_t param = 0;
                if (!next(byte) || !next(param)) {
                    return fail(error, "packed data ends inside an effect");
                }
                m.effect = byte;
                m.param = param;
                m.hasEffect = true;
                cell.effect = byte;
                cell.param = param;
            }
            if ((m.mask & kMaskLastNote) && !m.hasNote) return fail(error, "no last note");
            if ((m.mask & kMaskLastSample) && !m.hasSample) return fail(error, "no last sample");
            if ((m.mask & kMaskLastVolume) && !m.hasVolume) return fail(error, "no last volume");
            if ((m.mask & kMaskLastEffect) && !m.hasEffect) return fail(error, "no last effect");
            if (m.mask & kMaskLastNote) cell.note = m.note;
            if (m.mask & kMaskLastSample) cell.sample = m.sample;
            if (m.mask & kMaskLastVolume) cell.volume = m.volume;
            if (m.mask & kMaskLastEffect) {
                cell.effect = m.effect;
                cell.param = m.param;
            }
        }
    }
    if (pos != size) {
        error = "packed data has " + std::to_string(size - pos) + " bytes after the last row";
        return false;
    }
    return true;
}

std::vector<uint8_t> writeModule(const Module& module) {
    const size_t orderCount = module.orders.size() + 1;
    const size_t sampleCount = module.samples.size();
    const size_t patternCount = module.patterns.size();

    std::vector<std::vector<uint8_t>> packed;
    for (const Pattern& pattern : module.patterns)
        packed.push_back(packPattern(pattern));

    const size_t tables = kHeaderSize + orderCount;
    const size_t sampleHeaders = tables + 4 * (sampleCount + patternCount);
    size_t patternStart = sampleHeaders + kSampleHeaderSize * sampleCount;
    size_t size = patternStart;
    for (const auto& data : packed)
        size += kPatternHeaderSize + data.size();
    const size_t sampleDataStart = size;
    for (const Sample& sample : module.samples) {
        size += sample.frames.size() * (sample.sixteenBit ? 2 : 1);
    }

    std::vector<uint8_t> out(size, 0);
    std::memcpy(out.data(), "IMPM", 4);
    putText(out, 0x04, module.name, 26);
    out[0x1E] = 4;   // rows per beat
    out[0x1F] = 16;  // rows per bar
    put16(out, 0x20, uint32_t(orderCount));
    put16(out, 0x22, 0);
    put16(out, 0x24, uint32_t(sampleCount));
    put16(out, 0x26, uint32_t(patternCount));
    put16(out, 0x28, kTrackerVersion);
    put16(out, 0x2A, kTrackerVersion);
    put16(out, 0x2C, kFlags);
    put16(out, 0x2E, kSpecial);
    out[0x30] = module.globalVolume;
    out[0x31] = module.mixVolume;
    out[0x32] = module.initialSpeed;
    out[0x33] = module.initialTempo;
    out[0x34] = 128;  // stereo separation
    for (size_t ch = 0; ch < kMaxChannels; ++ch) {
        const bool used = ch < module.channelPan.size();
        out[0x40 + ch] = used ? module.channelPan[ch] : kUnusedChannelPan;
        out[0x80 + ch] = 64;
    }
    for (size_t i = 0; i < module.orders.size(); ++i)
        out[kHeaderSize + i] = module.orders[i];
    out[kHeaderSize + orderCount - 1] = 255;

    size_t dataAt = sampleDataStart;
    for (size_t i = 0; i < sampleCount; ++i) {
        const Sample& s = module.samples[i];
        const size_t at = sampleHeaders + kSampleHeaderSize * i;
        put32(out, tables + 4 * i, uint32_t(at));
        std::memcpy(&out[at], "IMPS", 4);
        out[at + 0x11] = s.globalVolume;
        out[at + 0x12] =
            uint8_t(kSampleData | (s.sixteenBit ? kSample16Bit : 0) | (s.looped ? kSampleLoop : 0));
        out[at + 0x13] = s.defaultVolume;
        putText(out, at + 0x14, s.name, 26);
        out[at + 0x2E] = 1;   // signed PCM
        out[at + 0x2F] = 32;  // no default pan: the channel's pan applies
        put32(out, at + 0x30, uint32_t(s.frames.size()));
        put32(out, at + 0x34, s.looped ? s.loopBegin : 0);
        put32(out, at + 0x38, s.looped ? s.loopEnd : 0);
        put32(out, at + 0x3C, s.c5Speed);
        put32(out, at + 0x48, uint32_t(dataAt));
        for (int16_t frame : s.frames) {
            if (s.sixteenBit) {
                put16(out, dataAt, uint16_t(frame));
                dataAt += 2;
            } else {
                out[dataAt++] = uint8_t(int8_t(frame));
            }
        }
    }

    size_t at = patternStart;
    for (size_t i = 0; i < patternCount; ++i) {
        put32(out, tables + 4 * (sampleCount + i), uint32_t(at));
        put16(out, at, uint32_t(packed[i].size()));
        put16(out, at + 2, uint32_t(module.patterns[i].rows));
        std::memcpy(&out[at + kPatternHeaderSize], packed[i].data(), packed[i].size());
        at += kPatternHeaderSize + packed[i].size();
    }
    return out;
}

bool readModule(const std::vector<uint8_t>& in, int channels, Module& out, std::string& error) {
    out = Module{};
    const size_t size = in.size();
    auto fits = [size](size_t at, size_t length) { return at <= size && length <= size - at; };
    if (!fits(0, kHeaderSize) || std::memcmp(in.data(), "IMPM", 4) != 0) {
        return fail(error, "no IMPM header");
    }
    if (get16(in, 0x28) != kTrackerVersion || get16(in, 0x2A) != kTrackerVersion) {
        return fail(error, "unexpected tracker version fields");
    }
    if (get16(in, 0x2C) != kFlags || get16(in, 0x2E) != kSpecial) {
        return fail(error, "unexpected flags");
    }
    if (get16(in, 0x22) != 0) return fail(error, "instrument headers in a sample-mode song");
    out.name = getText(in, 0x04, 26);
    out.globalVolume = in[0x30];
    out.mixVolume = in[0x31];
    out.initialSpeed = in[0x32];
    out.initialTempo = in[0x33];
    if (out.globalVolume == 0 || out.globalVolume > 128 || out.mixVolume == 0 ||
        out.mixVolume > 128) {
        return fail(error, "global or mix volume out of range");
    }
    if (out.initialSpeed == 0 || out.initialTempo < 32) {
        return fail(error, "initial speed or tempo out of range");
    }
    for (int ch = 0; ch < kMaxChannels; ++ch) {
        const uint8_t pan = in[0x40 + size_t(ch)];
        const bool used = ch < channels;
        if (used && pan > 64) return fail(error, "a used channel is muted or off-range");
        if (!used && pan != kUnusedChannelPan) return fail(error, "an unused channel is audible");
        if (in[0x80 + size_t(ch)] != 64) return fail(error, "a channel volume is not 64");
        if (used) out.channelPan.push_back(pan);
    }

    const size_t orderCount = get16(in, 0x20);
    const size_t sampleCount = get16(in, 0x24);
    const size_t patternCount = get16(in, 0x26);
    const size_t tables = kHeaderSize + orderCount;
    if (orderCount < 2 || !fits(kHeaderSize, orderCount + 4 * (sampleCount + patternCount))) {
        return fail(error, "order list or offset tables outside the file");
    }
    if (in[tables - 1] != 255) return fail(error, "the order list does not end with 255");
    for (size_t i = 0; i + 1 < orderCount; ++i) {
        const uint8_t order = in[kHeaderSize + i];
        if (order >= patternCount) {
            return fail(error, "order " + std::to_string(i) + " names missing pattern " +
                                   std::to_string(order));
        }
        out.orders.push_back(order);
    }

    for (size_t i = 0; i < sampleCount; ++i) {
        const size_t at = get32(in, tables + 4 * i);
        const std::string which = "sample " + std::to_string(i + 1);
        if (!fits(at, kSampleHeaderSize) || std::memcmp(&in[at], "IMPS", 4) != 0) {
            return fail(error, which + ": no IMPS header");
        }
        Sample s;
        s.globalVolume = in[at + 0x11];
        const uint8_t flags = in[at + 0x12];
        s.defaultVolume = in[at + 0x13];
        s.name = getText(in, at + 0x14, 26);
        if ((flags & ~(kSampleData | kSample16Bit | kSampleLoop)) != 0 || !(flags & kSampleData)) {
            return fail(error, which + ": unexpected flags");
        }
        if (in[at + 0x2E] != 1) return fail(error, which + ": not signed PCM");
        if (s.globalVolume == 0 || s.globalVolume > 64 || s.defaultVolume > 64) {
            return fail(error, which + ": volume out of range");
        }
        s.sixteenBit = flags & kSample16Bit;
        s.looped = flags & kSampleLoop;
        const uint32_t length = get32(in, at + 0x30);
        s.loopBegin = get32(in, at + 0x34);
        s.loopEnd = get32(in, at + 0x38);
        s.c5Speed = get32(in, at + 0x3C);
        const size_t dataAt = get32(in, at + 0x48);
        if (length == 0) return fail(error, which + ": empty");
        if (s.looped && !(s.loopBegin < s.loopEnd && s.loopEnd <= length)) {
            return fail(error, which + ": loop outside the sample");
        }
        if (!s.looped && (s.loopBegin != 0 || s.loopEnd != 0)) {
            return fail(error, which + ": loop points without a loop");
        }
        if (s.c5Speed == 0 || s.c5Speed > 9999999) return fail(error, which + ": bad rate");
        const size_t bytes = size_t(length) * (s.sixteenBit ? 2 : 1);
        if (!fits(dataAt, bytes)) return fail(error, which + ": data outside the file");
        for (size_t f = 0; f < length; ++f) {
            s.frames.push_back(s.sixteenBit ? int16_t(get16(in, dataAt + 2 * f))
                                            : int16_t(int8_t(in[dataAt + f])));
        }
        out.samples.push_back(std::move(s));
    }

    for (size_t i = 0; i < patternCount; ++i) {
        const size_t at = get32(in, tables + 4 * (sampleCount + i));
        const std::string which = "pattern " + std::to_string(i);
        if (at == 0 || !fits(at, kPatternHeaderSize)) {
            return fail(error, which + ": header outside the file");
        }
        const size_t length = get16(in, at);
        const int rows = int(get16(in, at + 2));
        if (rows < 32 || rows > 200) return fail(error, which + ": row count out of range");
        if (!fits(at + kPatternHeaderSize, length)) {
            return fail(error, which + ": data outside the file");
        }
        Pattern pattern;
        std::string why;
        if (!unpackPattern(&in[at + kPatternHeaderSize], length, rows, channels, pattern, why)) {
            return fail(error, which + ": " + why);
        }
        out.patterns.push_back(std::move(pattern));
    }
    return true;
}

}  // namespace compose

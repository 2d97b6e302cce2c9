#include "pack_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <set>
#include "portable/little_endian.h"

namespace tev::pack {
namespace {

void setError(std::string* error, const std::string& message) {
    if (error) *error = message;
}

// Names read from a file may hold anything; show them safely.
std::string printable(const std::string& name) {
    std::string out;
    for (unsigned char c : name) {
        if (c >= 32 && c < 127) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        }
    }
    return out;
}

}  // namespace

std::vector<uint8_t> picturePayload(uint32_t width, uint32_t height, uint32_t depth,
                                    const uint8_t* pixels) {
    std::vector<uint8_t> payload;
    const size_t count = size_t{width} * height * depth;
    payload.reserve(kPictureHeaderBytes + count);
    putLe32(payload, width);
    putLe32(payload, height);
    putLe32(payload, depth);
    payload.insert(payload.end(), pixels, pixels + count);
    return payload;
}

bool validName(const std::string& name, std::string* why) {
    if (name.empty() || name.size() > kMaxNameLength) {
        setError(why, "a name has 1 to " + std::to_string(kMaxNameLength) +
                          " characters (the show cannot look up longer ones)");
        return false;
    }
    if (!safeFileName(name) || name.find('=') != std::string::npos) {
        setError(why,
                 "a name is printable ASCII without '/', '\\' or '=' and does not start "
                 "with '.'");
        return false;
    }
    return true;
}

bool safeFileName(const std::string& name) {
    if (name.empty() || name[0] == '.') return false;
    for (unsigned char c : name) {
        if (c < 32 || c >= 127 || c == '/' || c == '\\') return false;
    }
    return true;
}

bool encodePack(const std::vector<Entry>& entries, std::vector<uint8_t>& out, std::string* error) {
    std::set<std::string> seen;
    size_t total = kHeaderBytes;
    for (const Entry& entry : entries) {
        std::string why;
        if (!validName(entry.name, &why)) {
            setError(error, "bad entry name \"" + printable(entry.name) + "\": " + why);
            return false;
        }
        if (!seen.insert(entry.name).second) {
            setError(error, "the name " + entry.name +
                                " is given twice (only the first could "
                                "be found)");
            return false;
        }
        if (entry.payload.size() > size_t{std::numeric_limits<int32_t>::max()}) {
            setError(error, "entry " + entry.name + " is too large for a pack");
            return false;
        }
        total += kEntryHeaderBytes + entry.payload.size();
    }
    out.clear();
    out.reserve(total);
    out.insert(out.end(), {'P', 'A', 'C', 'K', 1});
    out.insert(out.end(), kHeaderTag, kHeaderTag + sizeof kHeaderTag - 1);
    out.resize(kHeaderBytes, 0);
    for (const Entry& entry : entries) {
        const size_t start = out.size();
        out.resize(start + kNameBytes, 0);
        std::memcpy(out.data() + start, entry.name.data(), entry.name.size());
        putLe32(out, static_cast<uint32_t>(entry.payload.size()));
        out.insert(out.end(), entry.payload.begin(), entry.payload.end());
    }
    return true;
}

bool parsePack(const uint8_t* data, size_t size, std::vector<Entry>& entries, std::string* error) {
    entries.clear();
    if (size < kHeaderBytes) {
        setError(error, "too short for a pack header (" + std::to_string(size) + " of " +
                            std::to_string(kHeaderBytes) + " bytes)");
        return false;
    }
    if (std::memcmp(data, "PACK", 4) != 0) {
        setError(error, "not a pack (the file does not start with \"PACK\")");
        return false;
    }
    if (data[4] != 1) {
        setError(error, "pack version " + std::to_string(data[4]) + " (only version 1 is known)");
        return false;
    }
    size_t at = kHeaderBytes;
    while (at < size) {
        const size_t index = entries.size() + 1;
        if (size - at < kEntryHeaderBytes) {
            setError(error, "entry " + std::to_string(index) + ": its header is cut short (" +
                                std::to_string(size - at) + " bytes left)");
            return false;
        }
        const char* rawName = reinterpret_cast<const char*>(data + at);
        Entry entry;
        entry.name.assign(rawName, strnlen(rawName, kNameBytes));
        const int32_t payloadSize = static_cast<int32_t>(readLe32(data + at + kNameBytes));
        at += kEntryHeaderBytes;
        const std::string label =
            "entry " + std::to_string(index) + " (\"" + printable(entry.name) + "\")";
        if (payloadSize < 0) {
            setError(error, label + ": negative payload size " + std::to_string(payloadSize));
            return false;
        }
        if (size_t(payloadSize) > size - at) {
            setError(error, label + ": payload of " + std::to_string(payloadSize) +
                                " bytes, but only " + std::to_string(size - at) +
                                " are left in the file");
            return false;
        }
        entry.payload.assign(data + at, data + at + payloadSize);
        at += size_t(payloadSize);
        entries.push_back(std::move(entry));
    }
    return true;
}

bool parsePicture(const Entry& entry, Picture& picture, std::string* error) {
    picture = Picture{};
    const std::vector<uint8_t>& payload = entry.payload;
    if (payload.size() < kPictureHeaderBytes) {
        setError(error, "payload of " + std::to_string(payload.size()) +
                            " bytes is too short for a picture");
        return false;
    }
    picture.width = readLe32(payload.data());
    picture.height = readLe32(payload.data() + 4);
    picture.depth = readLe32(payload.data() + 8);
    if (picture.width == 0 || picture.height == 0 || picture.depth == 0) {
        setError(error, "picture of " + std::to_string(picture.width) + " x " +
                            std::to_string(picture.height) + " x " + std::to_string(picture.depth) +
                            " has no pixels");
        return false;
    }
    uint64_t area = 0, bytes = 0;
    const size_t available = payload.size() - kPictureHeaderBytes;
    if (__builtin_mul_overflow(uint64_t{picture.width}, uint64_t{picture.height}, &area) ||
        __builtin_mul_overflow(area, uint64_t{picture.depth}, &bytes) || bytes > available) {
        setError(error, "picture of " + std::to_string(picture.width) + " x " +
                            std::to_string(picture.height) + " x " + std::to_string(picture.depth) +
                            " needs more than the " + std::to_string(available) +
                            " pixel bytes its payload holds");
        return false;
    }
    picture.pixels = payload.data() + kPictureHeaderBytes;
    picture.extraBytes = available - size_t(bytes);
    return true;
}

}  // namespace tev::pack

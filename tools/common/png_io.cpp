#include "png_io.h"

#include <png.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

namespace tev::png {
namespace {

// libpng reports errors by longjmp out of the library. The functions that
// call it with setjmp armed hold only plain data, so no destructor is ever
// skipped; the C++ callers own the buffers.
struct ErrorState {
    char message[256] = "unknown libpng error";
};

void onError(png_structp png, png_const_charp message) {
    auto* state = static_cast<ErrorState*>(png_get_error_ptr(png));
    std::snprintf(state->message, sizeof state->message, "%s", message);
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

void setError(std::string* error, const std::string& message) {
    if (error) *error = message;
}

std::string systemError() {
    return std::strerror(errno);
}

bool writeImage(FILE* file, int width, int height, int colorType, png_bytep* rows,
                ErrorState* state) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, state, onError, onWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

struct Reader {
    FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    size_t rowBytes = 0;
    ErrorState state;
};

// Reads the header and sets up the conversion to 8-bit RGBA.
bool readHeader(Reader& reader) {
    if (setjmp(png_jmpbuf(reader.png))) return false;
    png_structp png = reader.png;
    png_infop info = reader.info;
    png_set_user_limits(png, kMaxSide, kMaxSide);
    png_init_io(png, reader.file);
    png_read_info(png, info);
    const int colorType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (bitDepth == 16) png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(png);
    }
    // A no-op where the rows already carry alpha.
    png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    reader.width = png_get_image_width(png, info);
    reader.height = png_get_image_height(png, info);
    reader.rowBytes = png_get_rowbytes(png, info);
    return true;
}

bool readBody(Reader& reader, png_bytep* rows) {
    if (setjmp(png_jmpbuf(reader.png))) return false;
    png_read_image(reader.png, rows);
    png_read_end(reader.png, nullptr);
    return true;
}

}  // namespace

bool write(const std::string& path, int width, int height, int channels, const uint8_t* pixels,
           std::string* error) {
    int colorType = 0;
    switch (channels) {
        case 1:
            colorType = PNG_COLOR_TYPE_GRAY;
            break;
        case 3:
            colorType = PNG_COLOR_TYPE_RGB;
            break;
        case 4:
            colorType = PNG_COLOR_TYPE_RGB_ALPHA;
            break;
        default:
            setError(error, "cannot write " + path + ": unsupported channel count " +
                                std::to_string(channels));
            return false;
    }
    if (width <= 0 || height <= 0 || width > PNG_USER_WIDTH_MAX || height > PNG_USER_HEIGHT_MAX) {
        setError(error, "cannot write " + path + ": bad image size " + std::to_string(width) +
                            " x " + std::to_string(height));
        return false;
    }
    if (!pixels) {
        setError(error, "cannot write " + path + ": no pixels");
        return false;
    }
    std::vector<png_bytep> rows;
    try {
        rows.resize(static_cast<size_t>(height));
    } catch (const std::bad_alloc&) {
        setError(error, "cannot write " + path + ": out of memory");
        return false;
    }
    const size_t stride = static_cast<size_t>(width) * channels;
    for (int y = 0; y < height; ++y) {
        rows[y] = const_cast<png_bytep>(pixels + stride * y);  // libpng only reads them
    }

    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        setError(error, "cannot open " + path + " for writing: " + systemError());
        return false;
    }
    ErrorState state;
    const bool encoded = writeImage(file, width, height, colorType, rows.data(), &state);
    const bool flushed = std::fflush(file) == 0 && !std::ferror(file);
    const std::string flushError = flushed ? std::string() : systemError();
    const bool closed = std::fclose(file) == 0;
    if (encoded && flushed && closed) return true;
    if (!encoded) {
        setError(error, "cannot write " + path + ": " + state.message);
    } else {
        setError(error, "cannot write " + path + ": " + (flushed ? systemError() : flushError));
    }
    // Drop the partial file, but never a device or anything else not ours.
    struct stat info;
    if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) std::remove(path.c_str());
    return false;
}

bool readRgba(const std::string& path, Image& image, std::string* error) {
    Reader reader;
    reader.file = std::fopen(path.c_str(), "rb");
    if (!reader.file) {
        setError(error, "cannot open " + path + ": " + systemError());
        return false;
    }
    png_byte signature[8] = {};
    if (std::fread(signature, 1, sizeof signature, reader.file) != sizeof signature ||
        png_sig_cmp(signature, 0, sizeof signature) != 0) {
        std::fclose(reader.file);
        setError(error, path + " is not a PNG file");
        return false;
    }
    reader.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &reader.state, onError, onWarning);
    if (reader.png) reader.info = png_create_info_struct(reader.png);
    if (!reader.png || !reader.info) {
        png_destroy_read_struct(&reader.png, nullptr, nullptr);
        std::fclose(reader.file);
        setError(error, "cannot read " + path + ": out of memory");
        return false;
    }
    png_set_sig_bytes(reader.png, sizeof signature);

    auto fail = [&](const std::string& message) {
        png_destroy_read_struct(&reader.png, &reader.info, nullptr);
        std::fclose(reader.file);
        setError(error, "cannot read " + path + ": " + message);
        return false;
    };
    if (!readHeader(reader)) return fail(reader.state.message);
    if (reader.width == 0 || reader.height == 0 || reader.rowBytes != size_t{reader.width} * 4) {
        return fail("unexpected row layout");
    }
    std::vector<uint8_t> pixels;
    std::vector<png_bytep> rows;
    try {
        pixels.resize(reader.rowBytes * reader.height);
        rows.resize(reader.height);
    } catch (const std::bad_alloc&) {
        return fail("out of memory");
    }
    for (png_uint_32 y = 0; y < reader.height; ++y)
        rows[y] = pixels.data() + reader.rowBytes * y;
    if (!readBody(reader, rows.data())) return fail(reader.state.message);

    png_destroy_read_struct(&reader.png, &reader.info, nullptr);
    std::fclose(reader.file);
    image.width = static_cast<int>(reader.width);
    image.height = static_cast<int>(reader.height);
    image.rgba = std::move(pixels);
    return true;
}

}  // namespace tev::png

#pragma once
// The show's title, "tev" over ":: intro", as designed lettering: heavy
// letters with a chrome gradient and a bevel, a dark gap, a thin outline and
// a soft glow. Drawn as separate layers so that the gray logo and the
// coloured closing picture can share it.

#include <cstdint>
#include <string>
#include <vector>

namespace tev::logo {

// Layers on a square-pixel canvas, row 0 at the top, values 0..1.
struct TitleArt {
    int width = 0;
    int height = 0;
    std::vector<float> body;     // letter coverage
    std::vector<float> shade;    // brightness of the letter faces (where body > 0)
    std::vector<float> outline;  // coverage of the outline ring
    std::vector<float> glow;     // glow strength outside the outline
};

// The lettering fills a design frame of 256 x 192 units (4:3); the canvas
// is width x height pixels with `unit` pixels per unit, the frame centred.
bool drawTitleArt(int width, int height, double unit, TitleArt& art, std::string* error);

// Area-weighted resampling of a one-channel image to dw x dh: each target
// pixel is the mean of the source area it covers.
std::vector<float> resampleArea(const std::vector<float>& source, int sw, int sh, int dw, int dh);

// The logo before it is stored: the title art's layers flattened to one
// brightness (0..1) over the 4:3 design frame with square pixels, kLogoFine
// pixels a unit, row 0 at the top.
inline constexpr int kLogoFine = 4;
struct LogoPicture {
    int width = 0;
    int height = 0;
    std::vector<float> value;
};
bool drawLogoPicture(LogoPicture& picture, std::string* error);

inline constexpr int kLogoWidth = 256;
inline constexpr int kLogoHeight = 128;

// The logo: kLogoWidth x kLogoHeight gray bytes, stored bottom-up (first
// row = the picture's bottom row), the picture averaged down. It is shown
// stretched over a 4:3 view, so the lettering is squashed to 2/3 of its
// height to look right there.
bool drawLogo(std::vector<uint8_t>& gray, std::string* error);
std::vector<uint8_t> storedLogo(const LogoPicture& picture);

}  // namespace tev::logo

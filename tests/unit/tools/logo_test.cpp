// The logo the program carries: the drawn one, upright on screen, with dark
// margins where the logo wave wraps it.

#include <gtest/gtest.h>

#include <algorithm>

#include "assets/embedded_image.h"
#include "embedded.h"
#include "title_art.h"

namespace tev {
namespace {

constexpr int kWidth = logo::kLogoWidth;
constexpr int kHeight = logo::kLogoHeight;

TEST(Logo, CarriedLogoIsTheDrawnOne) {
    const auto image = EmbeddedImage::parse(embedded::logo, embedded::logoSize);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 256u);
    EXPECT_EQ(image->height, 128u);
    EXPECT_EQ(image->channels, 1u);
    std::vector<uint8_t> fresh;
    std::string error;
    ASSERT_TRUE(logo::drawLogo(fresh, &error)) << error;
    EXPECT_TRUE(std::equal(fresh.begin(), fresh.end(), image->pixels));
}

TEST(Logo, TitleLineIsAboveTheSubtitleOnScreen) {
    // The wave flips t (rotation about x) and puts t = 0 at the view's top
    // edge, so stored row 127 shows just below the top: the picture's top
    // row must be stored last. The big "tev" must then have the higher
    // stored rows of the two lines of lettering.
    const auto image = EmbeddedImage::parse(embedded::logo, embedded::logoSize);
    ASSERT_TRUE(image);
    std::vector<int> ink(kHeight, 0);
    for (int row = 0; row < kHeight; ++row)
        for (int x = 0; x < kWidth; ++x)
            ink[row] += image->pixels[size_t(row) * kWidth + x] > 160;
    struct Band {
        int first, last;
    };
    std::vector<Band> bands;
    for (int row = 0; row < kHeight; ++row) {
        if (!ink[row]) continue;
        if (!bands.empty() && bands.back().last == row - 1) {
            bands.back().last = row;
        } else {
            bands.push_back({row, row});
        }
    }
    ASSERT_GE(bands.size(), 2u);
    const Band tallest = *std::max_element(bands.begin(), bands.end(), [](Band a, Band b) {
        return a.last - a.first < b.last - b.first;
    });
    for (const Band& band : bands) {
        if (band.first != tallest.first) {
            EXPECT_LT(band.last, tallest.first) << "the subtitle should be stored before the title";
        }
    }
}

TEST(Logo, EdgesAreDarkWhereTheWaveWrapsThem) {
    // The wave moves t by up to 0.13 and s by up to 0.043 with repeat
    // wrapping: anything near an edge would show up at the opposite one.
    const auto image = EmbeddedImage::parse(embedded::logo, embedded::logoSize);
    ASSERT_TRUE(image);
    const int rows = int(0.13 * kHeight) + 1, columns = int(0.043 * kWidth) + 1;
    int brightest = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const bool edge =
                y < rows || y >= kHeight - rows || x < columns || x >= kWidth - columns;
            if (edge) brightest = std::max<int>(brightest, image->pixels[size_t(y) * kWidth + x]);
        }
    }
    EXPECT_LT(brightest, 48);
}

}  // namespace
}  // namespace tev

// The logo the program carries: the drawn one, upright on screen, with dark
// margins where the logo wave wraps it. The desktop icons drawn from it.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "assets/embedded_image.h"
#include "embedded.h"
#include "icon.h"
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

const logo::LogoPicture& logoPicture() {
    static const logo::LogoPicture picture = [] {
        logo::LogoPicture p;
        std::string error;
        EXPECT_TRUE(logo::drawLogoPicture(p, &error)) << error;
        return p;
    }();
    return picture;
}

// The icon's mean colour, premultiplied by alpha, and its mean alpha (0..1).
std::array<double, 4> meanPremultiplied(const std::vector<uint8_t>& rgba) {
    std::array<double, 4> sum{};
    for (size_t i = 0; i < rgba.size(); i += 4) {
        const double alpha = rgba[i + 3] / 255.0;
        for (int c = 0; c < 3; ++c)
            sum[c] += rgba[i + c] / 255.0 * alpha;
        sum[3] += alpha;
    }
    for (double& v : sum)
        v /= double(rgba.size() / 4);
    return sum;
}

TEST(Icon, EverySizeIsTheSamePicture) {
    const auto large = logo::drawIcon(logoPicture(), 256);
    const auto mean = meanPremultiplied(large);
    for (const int side : {16, 24, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(side);
        const auto icon = logo::drawIcon(logoPicture(), side);
        ASSERT_EQ(icon.size(), size_t(side) * side * 4);
        // The corner pixel lies outside the rounded square; at 16 pixels a
        // little of the curve reaches into it.
        EXPECT_LE(icon[3], side >= 32 ? 0 : 40) << "corner";
        const size_t centre = (size_t(side / 2) * side + side / 2) * 4;
        EXPECT_EQ(icon[centre + 3], 255);
        // Averaging down keeps the mean; the sizes' own rounding aside.
        const auto small = meanPremultiplied(icon);
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(small[c], mean[c], 0.01) << "channel " << c;
    }
}

TEST(Icon, CarriedWindowIconsAreTheDrawnOnes) {
    const uint8_t* data = embedded::windowIcons;
    size_t left = embedded::windowIconsSize;
    for (const int side : {16, 24, 32, 48, 64}) {
        SCOPED_TRACE(side);
        const auto image = EmbeddedImage::parse(data, left);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, uint32_t(side));
        EXPECT_EQ(image->height, uint32_t(side));
        ASSERT_EQ(image->channels, 4u);
        const auto drawn = logo::drawIcon(logoPicture(), side);
        EXPECT_TRUE(std::equal(drawn.begin(), drawn.end(), image->pixels));
        data += 12 + drawn.size();
        left -= 12 + drawn.size();
    }
    EXPECT_EQ(left, 0u);
}

TEST(Icon, SoftEdgesKeepTheBackgroundColour) {
    // At a size where the rounded corners cover pixels in part, those pixels
    // are the dark background made transparent, not darkened by their alpha.
    const int side = 16;
    const auto icon = logo::drawIcon(logoPicture(), side);
    int partial = 0;
    for (size_t i = 0; i < icon.size(); i += 4) {
        if (icon[i + 3] == 0 || icon[i + 3] == 255) continue;
        ++partial;
        EXPECT_GE(icon[i], 18) << "pixel " << i / 4;
        EXPECT_LE(icon[i], 40) << "pixel " << i / 4;
    }
    EXPECT_GE(partial, 8) << "four soft corners";
}

TEST(Icon, ShowsTheLetteringInGoldAcrossItsMiddle) {
    const int side = 256;
    const auto icon = logo::drawIcon(logoPicture(), side);
    // Brightest red and blue in the band the 4:3 logo fills, and above it.
    auto brightest = [&](int firstRow, int endRow, int channel) {
        int most = 0;
        for (int y = firstRow; y < endRow; ++y)
            for (int x = 0; x < side; ++x)
                most = std::max<int>(most, icon[(size_t(y) * side + x) * 4 + channel]);
        return most;
    };
    const int top = side / 8;  // (side - side * 3 / 4) / 2
    EXPECT_GE(brightest(top, side - top, 0), 240) << "the letters";
    EXPECT_LT(brightest(top, side - top, 2), brightest(top, side - top, 0)) << "gold, not white";
    EXPECT_LT(brightest(0, top, 0), 60) << "only the background above the logo";
}

}  // namespace
}  // namespace tev

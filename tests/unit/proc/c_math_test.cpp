#include <gtest/gtest.h>

#include <cmath>

#include "c_expressions.h"
#include "proc/exact_math.h"

namespace tev {
namespace {

TEST(CMath, FloatArgumentsArePromotedAsInC) {
    // Angles as the show forms them: float sums and products of its clock.
    int floatOverloadDiffers = 0;
    for (float x = -40.0f; x < 140.0f; x += 0.3721f) {
        EXPECT_EQ(cSin(x), cExpressionSin(x)) << x;
        EXPECT_EQ(cCos(x), cExpressionCos(x)) << x;
        floatOverloadDiffers += static_cast<float>(cSin(x)) != std::sin(x);
    }
    // What the promotion is for: the float overload rounds differently.
    EXPECT_GT(floatOverloadDiffers, 0);
}

}  // namespace
}  // namespace tev

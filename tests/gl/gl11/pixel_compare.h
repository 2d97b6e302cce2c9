#pragma once
// Draws one sequence of GL 1.1 calls twice in one process, through Mesa's
// own pipeline (a compatibility context) and through the subset (an OpenGL
// ES 3.0 context), into pictures of the same size, and compares them.
//
// The sequence speaks through gl11::entries only; it must set every piece
// of state it relies on beyond GL's defaults (both contexts start fresh).

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "picture_diff.h"

namespace tev::test {

// Mesa's pipeline in a compatibility context with an 8-8-8 (32) or 5-6-5
// (16) colour buffer.
Picture drawWithMesa(int width, int height, int colourBits, const std::function<void()>& draw);

// Whether this build holds the subset at all.
bool subsetBuiltIn();

// The subset in an OpenGL ES 3.0 context: `subsetColourBits` is the
// subset's own option, `surfaceBits` the pbuffer's colour (32: 8-8-8,
// 16: 5-6-5). False, with the reason, when the subset cannot draw here.
bool drawWithSubset(int width, int height, int subsetColourBits, int surfaceBits,
                    const std::function<void()>& draw, Picture* picture, std::string* why);

// Compares; prints the numbers always; on failure writes both pictures
// (and their difference) as PPM into a folder named after the test, and
// lists the worst pixels.
::testing::AssertionResult matches(const std::string& name, const Picture& mesa,
                                   const Picture& subset, const Tolerance& tolerance);

}  // namespace tev::test

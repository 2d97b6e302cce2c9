#pragma once
// The GL state a frame leaves that a later frame or block could see, as one
// vector of numbers: two states are the same when their digests are.

#include <vector>

namespace tev {

std::vector<float> glStateDigest();

}  // namespace tev

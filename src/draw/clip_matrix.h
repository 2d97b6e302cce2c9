#pragma once
// The matrix that takes object coordinates to clip coordinates, in double
// precision, for deciding ahead of a draw where it lands.

namespace tev {

// projection * modelview, both column-major as GL gives them.
void clipMatrix(const float projection[16], const float modelview[16], double out[16]);

// The same for GL's current projection and modelview.
void currentClipMatrix(double out[16]);

}  // namespace tev

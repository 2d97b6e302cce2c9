#pragma once

namespace tev {

// Viewport and the default 45-degree projection for a window of this size;
// leaves the modelview current.
void reshape(int width, int height);

}  // namespace tev

#pragma once
// The projection set-up that the blocks and scenes open with: a perspective
// projection and a modelview identity, sent as the very calls written out
// would send them.

namespace tev {

// The matrices loadPerspective pushes before it replaces them, for a draw
// that pops them again when it is done.
enum class Pushed { None, Modelview, Both };

// glMatrixMode(GL_PROJECTION), glLoadIdentity(),
// gluPerspective(fovy, aspect, zNear, zFar), glMatrixMode(GL_MODELVIEW),
// glLoadIdentity(); with a glPushMatrix before the projection's identity
// (Both) and before the modelview's (Modelview, Both). Leaves the modelview
// matrix current.
void loadPerspective(double fovy, double aspect, double zNear, double zFar,
                     Pushed pushed = Pushed::None);

}  // namespace tev

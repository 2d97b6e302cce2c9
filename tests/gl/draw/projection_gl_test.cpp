// The projection set-up leaves GL exactly as the calls it stands for, in
// each of its three forms: the same matrices to the bit, the same stack
// depths (what a later pop finds) and the modelview current.

#include "draw/projection.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <cstring>

#include "gl_test.h"

namespace tev {
namespace {

struct MatrixState {
    std::array<GLfloat, 16> projection, modelview;
    GLint projectionDepth, modelviewDepth, mode;
    // What one pop of each stack brings back.
    std::array<GLfloat, 16> poppedProjection, poppedModelview;

    bool operator==(const MatrixState& o) const { return std::memcmp(this, &o, sizeof *this) == 0; }
};

MatrixState read() {
    MatrixState s{};
    glGetFloatv(GL_PROJECTION_MATRIX, s.projection.data());
    glGetFloatv(GL_MODELVIEW_MATRIX, s.modelview.data());
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &s.projectionDepth);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &s.modelviewDepth);
    glGetIntegerv(GL_MATRIX_MODE, &s.mode);
    glMatrixMode(GL_PROJECTION);
    if (s.projectionDepth > 1) glPopMatrix();
    glGetFloatv(GL_PROJECTION_MATRIX, s.poppedProjection.data());
    glMatrixMode(GL_MODELVIEW);
    if (s.modelviewDepth > 1) glPopMatrix();
    glGetFloatv(GL_MODELVIEW_MATRIX, s.poppedModelview.data());
    return s;
}

// Matrices that a set-up must either keep on the stack or replace.
void startFrom() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-3, 5, -2, 7, 0.5, 40);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1.5f, -2.0f, -9.0f);
    glRotatef(33.0f, 0.3f, 1.0f, 0.2f);
    glMatrixMode(GL_TEXTURE);  // the set-up must not care which was current
}

class Projection : public test::GlTest {};

TEST_F(Projection, EachFormLeavesWhatItsWrittenOutCallsLeave) {
    const double aspect = 640.0 / 480.0;
    // Plain: the blocks' and reshape's form.
    startFrom();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, aspect, 1.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const MatrixState plain = read();
    startFrom();
    loadPerspective(45.0, aspect, 1.0, 100.0);
    EXPECT_TRUE(read() == plain);

    // The modelview pushed first (the words).
    startFrom();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90.0, 1.0, 0.1, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    const MatrixState modelview = read();
    startFrom();
    loadPerspective(90.0, 1.0, 0.1, 100.0, Pushed::Modelview);
    EXPECT_TRUE(read() == modelview);
    EXPECT_EQ(modelview.modelviewDepth, 2);
    EXPECT_EQ(modelview.projectionDepth, 1);

    // Both pushed first (the fog text).
    startFrom();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(90.0, 1.0, 1.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    const MatrixState both = read();
    startFrom();
    loadPerspective(90.0, 1.0, 1.0, 100.0, Pushed::Both);
    EXPECT_TRUE(read() == both);
    EXPECT_EQ(both.projectionDepth, 2);
    EXPECT_EQ(both.mode, GL_MODELVIEW);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
}  // namespace tev

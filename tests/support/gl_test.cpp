#include "gl_test.h"

namespace tev::test {

void GlTest::SetUp() {
    std::string error;
    gl = platform::HeadlessGl::create(kWidth, kHeight, &error);
    ASSERT_TRUE(gl) << error;
}

void GlTest::TearDown() {
    gl.reset();
}

std::vector<uint8_t> GlTest::pixelAt(int x, int y) const {
    std::vector<uint8_t> rgb(3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, kHeight - 1 - y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

namespace {
constexpr float kRange = 1000.0f;
}

std::vector<FeedbackPolygon> captureFeedback(const std::function<void()>& draw) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glViewport(0, 0, 2000, 2000);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-kRange, kRange, -kRange, kRange, -kRange, kRange);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    std::vector<GLfloat> buffer(1 << 20);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint count = glRenderMode(GL_RENDER);

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(static_cast<GLenum>(mode));
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);

    // With RGBA colour: x, y, z, 4 colour values, 4 texture values.
    constexpr int kVertexFloats = 3 + 4 + 4;
    std::vector<FeedbackPolygon> polygons;
    for (GLint i = 0; i < count;) {
        const auto token = static_cast<GLint>(buffer[i++]);
        if (token == GL_POLYGON_TOKEN) {
            const auto n = static_cast<int>(buffer[i++]);
            FeedbackPolygon polygon;
            for (int v = 0; v < n; ++v, i += kVertexFloats) {
                const GLfloat* f = &buffer[i];
                polygon.vertices.push_back(
                    {f[0] - kRange, f[1] - kRange, (0.5f - f[2]) * 2.0f * kRange, f[7], f[8]});
            }
            polygons.push_back(polygon);
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            i += 1;
        } else if (token == GL_POINT_TOKEN || token == GL_BITMAP_TOKEN ||
                   token == GL_DRAW_PIXEL_TOKEN || token == GL_COPY_PIXEL_TOKEN) {
            i += kVertexFloats;
        } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            i += 2 * kVertexFloats;
        } else {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
    }
    return polygons;
}

std::vector<FeedbackVertex> flatten(const std::vector<FeedbackPolygon>& polygons) {
    std::vector<FeedbackVertex> all;
    for (const auto& p : polygons)
        all.insert(all.end(), p.vertices.begin(), p.vertices.end());
    return all;
}

std::vector<double> matrix(GLenum which) {
    std::vector<double> m(16);
    glGetDoublev(which, m.data());
    return m;
}

}  // namespace tev::test

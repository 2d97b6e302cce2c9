#include "draw/magnified_draw.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "draw/draw_context.h"
#include "draw/matrix4.h"

namespace tev {

namespace {

constexpr double kUnbounded = std::numeric_limits<double>::infinity();

// A triangle's corner in clip coordinates with its texture coordinates.
struct ClipVertex {
    double c[4];  // x, y, z, w
    double s, t;
};

// Keeps the part of `poly` where a * c + b * w >= 0 for the coordinate
// `axis` (0 to 2) or, with axis 3, where w >= a. Texture coordinates are
// interpolated linearly in clip space, as GL's clipper does.
int clipPolygon(const ClipVertex* poly, int count, int axis, double a, double b, ClipVertex* out) {
    auto distance = [&](const ClipVertex& v) {
        return axis == 3 ? v.c[3] - a : a * v.c[axis] + b * v.c[3];
    };
    int kept = 0;
    for (int i = 0; i < count; ++i) {
        const ClipVertex& p = poly[i];
        const ClipVertex& q = poly[(i + 1) % count];
        const double dp = distance(p), dq = distance(q);
        if (dp >= 0) out[kept++] = p;
        if ((dp >= 0) != (dq >= 0)) {
            const double f = dp / (dp - dq);
            ClipVertex& v = out[kept++];
            for (int k = 0; k < 4; ++k)
                v.c[k] = p.c[k] + f * (q.c[k] - p.c[k]);
            v.s = p.s + f * (q.s - p.s);
            v.t = p.t + f * (q.t - p.t);
        }
    }
    return kept;
}

// Inverse of the 3 x 3 matrix m (row-major); false when it is too close to
// singular for its scale.
bool invert3(const double m[3][3], double inverse[3][3]) {
    const double c00 = m[1][1] * m[2][2] - m[1][2] * m[2][1];
    const double c01 = m[1][2] * m[2][0] - m[1][0] * m[2][2];
    const double c02 = m[1][0] * m[2][1] - m[1][1] * m[2][0];
    const double det = m[0][0] * c00 + m[0][1] * c01 + m[0][2] * c02;
    double scale = 1.0;
    for (int i = 0; i < 3; ++i)
        scale *= std::hypot(m[i][0], m[i][1], m[i][2]);
    if (!(std::fabs(det) > 1e-9 * scale)) return false;
    const double r = 1.0 / det;
    inverse[0][0] = c00 * r;
    inverse[1][0] = c01 * r;
    inverse[2][0] = c02 * r;
    inverse[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) * r;
    inverse[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) * r;
    inverse[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) * r;
    inverse[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) * r;
    inverse[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) * r;
    inverse[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) * r;
    return true;
}

// Texels per pixel over one triangle (see quadTexelsPerPixel).
double triangleTexelsPerPixel(const ClipVertex (&corner)[3], const double viewport[4], int width,
                              int height) {
    // The part of the triangle that can make fragments: the view volume,
    // widened by two pixels across and a little in depth.
    const double xMargin = 1.0 + 4.0 / viewport[2], yMargin = 1.0 + 4.0 / viewport[3];
    ClipVertex buffers[2][16];
    int count = 3;
    std::copy(corner, corner + 3, buffers[0]);
    int from = 0;
    auto clip = [&](int axis, double a, double b) {
        count = clipPolygon(buffers[from], count, axis, a, b, buffers[1 - from]);
        from = 1 - from;
    };
    clip(3, 1e-9, 0.0);
    clip(0, 1.0, xMargin);
    clip(0, -1.0, xMargin);
    clip(1, 1.0, yMargin);
    clip(1, -1.0, yMargin);
    clip(2, 1.0, 1.001);
    clip(2, -1.0, 1.001);
    if (count == 0) return 0.0;

    // 1/w, s/w and t/w are linear in normalised device coordinates (X, Y):
    // with M the corners' rows (x, y, w), the weights M^-T (X, Y, 1) sum to
    // 1/w, and weigh the corners' s and t to s/w and t/w.
    double m[3][3], inverse[3][3];
    for (int i = 0; i < 3; ++i) {
        m[i][0] = corner[i].c[0];
        m[i][1] = corner[i].c[1];
        m[i][2] = corner[i].c[3];
    }
    if (!invert3(m, inverse)) return kUnbounded;
    double q[3] = {}, ps[3] = {}, pt[3] = {};  // coefficients of X, Y and 1
    for (int j = 0; j < 3; ++j) {
        for (int i = 0; i < 3; ++i) {
            q[j] += inverse[j][i];
            ps[j] += inverse[j][i] * corner[i].s;
            pt[j] += inverse[j][i] * corner[i].t;
        }
    }

    // Over the clipped polygon grown by a pixel and a half each way (a
    // fragment's derivative is its difference with a neighbour, which may
    // lie outside the triangle): the least 1/w and the ranges of s and t.
    // All three are extreme at corners of that convex region, 1/w being
    // linear there and s and t ratios of linear functions.
    const double dx = 3.0 / viewport[2], dy = 3.0 / viewport[3];
    double qMin = kUnbounded;
    double sMin = kUnbounded, sMax = -kUnbounded, tMin = kUnbounded, tMax = -kUnbounded;
    for (int k = 0; k < count; ++k) {
        const ClipVertex& v = buffers[from][k];
        for (int side = 0; side < 4; ++side) {
            const double x = v.c[0] / v.c[3] + (side & 1 ? dx : -dx);
            const double y = v.c[1] / v.c[3] + (side & 2 ? dy : -dy);
            const double qv = q[0] * x + q[1] * y + q[2];
            if (!(qv > 0.0)) return kUnbounded;
            const double s = (ps[0] * x + ps[1] * y + ps[2]) / qv;
            const double t = (pt[0] * x + pt[1] * y + pt[2]) / qv;
            qMin = std::min(qMin, qv);
            sMin = std::min(sMin, s);
            sMax = std::max(sMax, s);
            tMin = std::min(tMin, t);
            tMax = std::max(tMax, t);
        }
    }
    // d(s)/dX = (ps_X - s q_X) / q: linear in s over the least q.
    auto largest = [&](const double p[3], int d, double lo, double hi) {
        return std::max(std::fabs(p[d] - lo * q[d]), std::fabs(p[d] - hi * q[d])) / qMin;
    };
    const double perPixelX = 2.0 / viewport[2], perPixelY = 2.0 / viewport[3];
    const double sx = width * perPixelX * largest(ps, 0, sMin, sMax);
    const double tx = height * perPixelX * largest(pt, 0, tMin, tMax);
    const double sy = width * perPixelY * largest(ps, 1, sMin, sMax);
    const double ty = height * perPixelY * largest(pt, 1, tMin, tMax);
    return std::sqrt(std::max(sx * sx + tx * tx, sy * sy + ty * ty));
}

// The bound texture's minification filter, changed to GL_LINEAR and back.
class MinificationFilter {
  public:
    // Usable when the texture is mipmapped, magnifies with GL_LINEAR and
    // is complete: only then does GL_LINEAR leave magnified fragments as
    // they were (an incomplete texture samples black, a complete one not).
    MinificationFilter() {
        GLint minFilter = 0, magFilter = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
        if (magFilter != GL_LINEAR) return;
        if (minFilter != GL_NEAREST_MIPMAP_NEAREST && minFilter != GL_LINEAR_MIPMAP_NEAREST &&
            minFilter != GL_NEAREST_MIPMAP_LINEAR && minFilter != GL_LINEAR_MIPMAP_LINEAR) {
            return;
        }
        GLint base = -1, top = -1;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, &base);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, &top);
        if (base != 0) return;
        GLint width = 0, height = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        if (width <= 0 || height <= 0) return;
        for (GLint level = 1, w = width, h = height; w > 1 || h > 1; ++level) {
            if (level > top) return;
            w = std::max(w / 2, 1);
            h = std::max(h / 2, 1);
            GLint lw = 0, lh = 0;
            glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &lw);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &lh);
            if (lw != w || lh != h) return;
        }
        own_ = minFilter;
        width_ = width;
        height_ = height;
    }
    ~MinificationFilter() { use(false); }

    bool usable() const { return own_ != 0; }
    int width() const { return width_; }
    int height() const { return height_; }

    void use(bool linear) {
        if (!usable() || linear == linear_) return;
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, linear ? GL_LINEAR : own_);
        linear_ = linear;
    }

  private:
    GLint own_ = 0;
    GLint width_ = 0, height_ = 0;
    bool linear_ = false;
};

void sendQuads(const TexturedQuad* quads, size_t count) {
    glBegin(GL_QUADS);
    for (size_t i = 0; i < count; ++i) {
        for (int k = 0; k < 4; ++k) {
            glTexCoord2f(quads[i].st[k][0], quads[i].st[k][1]);
            glVertex3f(quads[i].xyz[k][0], quads[i].xyz[k][1], quads[i].xyz[k][2]);
        }
    }
    glEnd();
}

}  // namespace

MagnificationBound::MagnificationBound() {
    GLfloat projection[16], modelview[16], texture[16];
    GLint viewport[4];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_TEXTURE_MATRIX, texture);
    glGetIntegerv(GL_VIEWPORT, viewport);
    *this = MagnificationBound(projection, modelview, texture, viewport);
}

MagnificationBound::MagnificationBound(const float projection[16], const float modelview[16],
                                       const float texture[16], const int viewport[4]) {
    mvp_ = clipMatrix(projection, modelview);
    texture_ = Matrix4::widened(texture);
    for (int i = 0; i < 4; ++i)
        viewport_[i] = viewport[i];
}

double MagnificationBound::quadTexelsPerPixel(const TexturedQuad& quad, int width,
                                              int height) const {
    // The texture matrix must keep q = 1 for (s, t, 0, 1); then s and t are
    // affine in the corners' own and interpolate alike.
    if (texture_.m[3] != 0.0 || texture_.m[7] != 0.0 || texture_.m[15] != 1.0) return kUnbounded;
    if (!(viewport_[2] > 0 && viewport_[3] > 0)) return kUnbounded;
    ClipVertex v[4];
    for (int k = 0; k < 4; ++k) {
        const float* p = quad.xyz[k];
        mvp_.transform(p[0], p[1], p[2], v[k].c);
        double st[4];
        texture_.transform(quad.st[k][0], quad.st[k][1], st);
        v[k].s = st[0];
        v[k].t = st[1];
    }
    // Either diagonal may split the quad.
    static constexpr int kSplits[4][3] = {{0, 1, 2}, {0, 2, 3}, {0, 1, 3}, {1, 2, 3}};
    double worst = 0.0;
    for (const auto& split : kSplits) {
        const ClipVertex triangle[3] = {v[split[0]], v[split[1]], v[split[2]]};
        worst = std::max(worst, triangleTexelsPerPixel(triangle, viewport_, width, height));
    }
    return worst;
}

void sendTexturedQuads(DrawContext& context, const TexturedQuad* quads, size_t count) {
    if (context.literal() || count == 0) {
        sendQuads(quads, count);
        return;
    }
    MinificationFilter filter;
    if (!filter.usable()) {
        sendQuads(quads, count);
        return;
    }
    const MagnificationBound bound;
    auto magnified = [&](size_t i) {
        return bound.quadTexelsPerPixel(quads[i], filter.width(), filter.height()) <=
               kMagnifiedTexelsPerPixel;
    };
    size_t start = 0;
    bool linear = magnified(0);
    while (start < count) {
        size_t end = start + 1;
        bool next = false;
        while (end < count && (next = magnified(end)) == linear)
            ++end;
        filter.use(linear);
        sendQuads(quads + start, end - start);
        if (linear) context.counts.linearMinifiedQuads += end - start;
        start = end;
        linear = next;
    }
}

}  // namespace tev

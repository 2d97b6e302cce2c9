// The subset's state machine against Mesa's for the same calls: matrices
// bit for bit, stacks, glGet answers, display lists and the errors of bad
// input. Mesa answers in a compatibility context, the subset in an OpenGL
// ES 3.0 context; the same code runs against each table in turn.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gl11/gl11.h"
#include "gl11/subset.h"
#include "mesa_table.h"
#include "platform/native/headless_gl.h"

#define GL_MODELVIEW_STACK_DEPTH 0x0BA3
#define GL_PROJECTION_STACK_DEPTH 0x0BA4
#define GL_TEXTURE_STACK_DEPTH 0x0BA5
#define GL_CURRENT_COLOR 0x0B00
#define GL_LIST_BASE 0x0B32
#define GL_INVALID_ENUM 0x0500
#define GL_INVALID_VALUE 0x0501
#define GL_INVALID_OPERATION 0x0502
#define GL_STACK_OVERFLOW 0x0503
#define GL_STACK_UNDERFLOW 0x0504
#define GL_OUT_OF_MEMORY 0x0505
#define GL_INT 0x1404
#define GL_UNSIGNED_SHORT 0x1403
#define GL_MATRIX_MODE 0x0BA0
#define GL_TEXTURE_BINDING_2D 0x8069
#define GL_BLEND_SRC 0x0BE1
#define GL_BLEND_DST 0x0BE0
#define GL_DEPTH_FUNC 0x0B74
#define GL_CULL_FACE_MODE 0x0B45
#define GL_FRONT_FACE 0x0B46
#define GL_SHADE_MODEL 0x0B54

namespace tev::gl11 {
namespace {

class SubsetState : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        mesa_ = platform::HeadlessGl::create(64, 64, &error);
        ASSERT_TRUE(mesa_) << error;
        platform::HeadlessGlOptions options;
        options.gles3 = true;
        gles_ = platform::HeadlessGl::create(64, 64, &error, options);
        ASSERT_TRUE(gles_) << error;
        ASSERT_TRUE(gles_->makeCurrent());
        ASSERT_TRUE(attachSubset({}, &error)) << error;
    }
    void TearDown() override {
        if (gles_ && gles_->makeCurrent()) {
            detachSubset();
        }
        use(Entries{});
    }

    void onMesa() {
        ASSERT_TRUE(mesa_->makeCurrent());
        use(mesaEntries());
    }
    void onSubset() {
        ASSERT_TRUE(gles_->makeCurrent());
        use(subsetEntries());
    }

    // Runs `calls` with Mesa, then with the subset, and gives what `query`
    // returned with each.
    template <class T>
    std::pair<T, T> both(const std::function<void()>& calls, const std::function<T()>& query) {
        onMesa();
        calls();
        T fromMesa = query();
        onSubset();
        calls();
        T fromSubset = query();
        return {fromMesa, fromSubset};
    }

    // The errors each recorded for `calls` (GL keeps the first).
    std::pair<GLenum, GLenum> errors(const std::function<void()>& calls) {
        onMesa();
        mesaError();
        calls();
        const GLenum fromMesa = mesaError();
        onSubset();
        subsetError();
        calls();
        return {fromMesa, subsetError()};
    }

    std::unique_ptr<platform::HeadlessGl> mesa_;
    std::unique_ptr<platform::HeadlessGl> gles_;
};

std::vector<uint32_t> bits(GLenum which) {
    float m[16];
    glGetFloatv(which, m);
    std::vector<uint32_t> out(16);
    std::memcpy(out.data(), m, sizeof m);
    return out;
}

std::vector<uint32_t> allMatrices() {
    std::vector<uint32_t> all = bits(GL_MODELVIEW_MATRIX);
    for (GLenum which : {GL_PROJECTION_MATRIX, GL_TEXTURE_MATRIX}) {
        const auto m = bits(which);
        all.insert(all.end(), m.begin(), m.end());
    }
    return all;
}

TEST_F(SubsetState, MatricesEqualMesasBitForBit) {
    // Each sequence starts from identities; the matrices are compared as
    // bits, so a different order of float arithmetic shows.
    const std::vector<std::function<void()>> sequences = {
        [] { glRotatef(37.5f, 0.3f, -0.8f, 0.52f); },
        [] {
            glRotatef(90.0f, 1, 0, 0);
            glRotatef(-33.0f, 0, 1, 0);
            glRotatef(12.25f, 0, 0, 1);
            glRotatef(71.0f, -1, 0, 0);
            glRotatef(200.0f, 0, -2, 0);
            glRotatef(5.0f, 0, 0, -3);
        },
        [] {
            glRotatef(45.0f, 0, 0, 0);          // no axis: unchanged
            glRotatef(30.0f, 1e-5f, 0, 1e-5f);  // too short: unchanged
            glRotatef(0.0f, 1, 1, 1);
            glTranslatef(1.5f, -2.25f, 3.0f);
        },
        [] {
            glTranslatef(0.1f, 0.2f, -7.3f);
            glScalef(1.7f, 0.3f, 2.2f);
            glRotatef(123.4f, 1, 2, 3);
            glScalef(0.5f, 0.5f, 0.5f);
            glTranslatef(-3.3f, 1e-3f, 11.0f);
        },
        [] {
            glMatrixMode(GL_PROJECTION);
            gluPerspective(45.0, 800.0 / 600.0, 0.1, 100.0);
            glRotatef(3.0f, 0.2f, 1.0f, 0.0f);
            glTranslatef(0.0f, 0.5f, -3.0f);
            glMatrixMode(GL_MODELVIEW);
            glTranslatef(0.0f, 0.0f, -5.0f);
            glRotatef(17.0f, 0, 1, 0);
        },
        [] {
            glMatrixMode(GL_PROJECTION);
            glOrtho(0.0, 640.0, 480.0, 0.0, -1.0, 1.0);
            glScalef(2.0f, 2.0f, 1.0f);
            glMatrixMode(GL_TEXTURE);
            glTranslatef(0.25f, 0.125f, 0.0f);
            glScalef(3.0f, 0.7f, 1.0f);
            glRotatef(60.0f, 0, 0, 1);
        },
        [] {
            glMatrixMode(GL_PROJECTION);
            gluPerspective(70.0, 1.25, 1.0, 1000.0);
            gluPerspective(10.0, 0.75, 0.5, 3.0);  // a product of two
            glOrtho(-1.0, 1.0, -1.0, 1.0, 1.0, 10.0);
            glMatrixMode(GL_MODELVIEW);
        },
    };
    for (size_t i = 0; i < sequences.size(); ++i) {
        const auto [mesa, subset] = both<std::vector<uint32_t>>(
            [&] {
                for (GLenum mode : {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW}) {
                    glMatrixMode(mode);
                    glLoadIdentity();
                }
                sequences[i]();
            },
            allMatrices);
        EXPECT_EQ(mesa, subset) << "sequence " << i;
    }
}

TEST_F(SubsetState, StacksPushAndPopAsMesasWithItsLimitsAndErrors) {
    for (GLenum mode : {GL_MODELVIEW, GL_PROJECTION, GL_TEXTURE}) {
        const GLenum depthName = mode == GL_MODELVIEW    ? GL_MODELVIEW_STACK_DEPTH
                                 : mode == GL_PROJECTION ? GL_PROJECTION_STACK_DEPTH
                                                         : GL_TEXTURE_STACK_DEPTH;
        // Pushing far past the limit: the depth stops where Mesa's does,
        // with GL_STACK_OVERFLOW, and each pop restores the matrix pushed.
        const auto overflow = errors([&] {
            glMatrixMode(mode);
            for (int i = 0; i < 40; ++i) {
                glPushMatrix();
                glTranslatef(1.0f, 0.0f, 0.0f);
            }
        });
        EXPECT_EQ(overflow.first, GLenum(GL_STACK_OVERFLOW));
        EXPECT_EQ(overflow.second, overflow.first);
        const auto [mesa, subset] =
            both<std::vector<float>>([] {},
                                     [&] {
                                         std::vector<float> out;
                                         GLint depth = 0;
                                         glGetIntegerv(depthName, &depth);
                                         out.push_back(static_cast<float>(depth));
                                         float m[16];
                                         glGetFloatv(mode == GL_MODELVIEW    ? GL_MODELVIEW_MATRIX
                                                     : mode == GL_PROJECTION ? GL_PROJECTION_MATRIX
                                                                             : GL_TEXTURE_MATRIX,
                                                     m);
                                         out.push_back(m[12]);
                                         glPopMatrix();
                                         glPopMatrix();
                                         glGetFloatv(mode == GL_MODELVIEW    ? GL_MODELVIEW_MATRIX
                                                     : mode == GL_PROJECTION ? GL_PROJECTION_MATRIX
                                                                             : GL_TEXTURE_MATRIX,
                                                     m);
                                         out.push_back(m[12]);
                                         return out;
                                     });
        EXPECT_EQ(mesa, subset) << "mode " << mode;
        const auto underflow = errors([] {
            for (int i = 0; i < 40; ++i) {
                glPopMatrix();
            }
        });
        EXPECT_EQ(underflow.first, GLenum(GL_STACK_UNDERFLOW));
        EXPECT_EQ(underflow.second, underflow.first);
    }
}

TEST_F(SubsetState, QueriesAnswerAsMesa) {
    const auto [mesa, subset] = both<std::vector<double>>(
        [] {
            glViewport(3, 4, 50, 40);
            glScissor(-2, 7, 30, 1000);
            glClearColor(0.25f, 1.5f, -0.5f, 0.3f);
            glEnable(GL_SCISSOR_TEST);
            glEnable(GL_LIGHTING);
            glEnable(GL_LIGHT0);
            glDisable(GL_DITHER);
            glEnable(GL_FOG);
            glDisable(GL_FOG);
        },
        [] {
            std::vector<double> out;
            GLint i4[4];
            float f4[4];
            for (GLenum name : {GL_VIEWPORT, GL_SCISSOR_BOX}) {
                glGetIntegerv(name, i4);
                out.insert(out.end(), i4, i4 + 4);
                glGetFloatv(name, f4);
                out.insert(out.end(), f4, f4 + 4);
            }
            glGetFloatv(GL_COLOR_CLEAR_VALUE, f4);
            out.insert(out.end(), f4, f4 + 4);
            glGetIntegerv(GL_COLOR_CLEAR_VALUE, i4);
            out.insert(out.end(), i4, i4 + 4);
            glGetIntegerv(GL_MAX_TEXTURE_SIZE, i4);
            out.push_back(i4[0]);
            for (GLenum cap : {GL_SCISSOR_TEST, GL_LIGHTING, GL_LIGHT0, GL_DITHER, GL_FOG, GL_BLEND,
                               GL_DEPTH_TEST, GL_CULL_FACE, GL_TEXTURE_2D, GL_COLOR_MATERIAL}) {
                out.push_back(glIsEnabled(cap));
                glGetIntegerv(cap, i4);
                out.push_back(i4[0]);
            }
            return out;
        });
    EXPECT_EQ(mesa, subset);
}

TEST_F(SubsetState, TextureQueriesAnswerAsMesa) {
    const auto [mesa, subset] = both<std::vector<GLint>>(
        [] {
            GLuint names[3] = {};
            glGenTextures(3, names);
            glBindTexture(GL_TEXTURE_2D, names[1]);
            std::vector<uint8_t> pixels(37 * 21 * 4, 200);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
            gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, 37, 21, GL_RGBA, GL_UNSIGNED_BYTE,
                              pixels.data());
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 3);
            glBindTexture(GL_TEXTURE_2D, names[2]);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE, 5, 3, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE,
                         pixels.data());
            glBindTexture(GL_TEXTURE_2D, names[1]);
        },
        [] {
            std::vector<GLint> out;
            GLint v = 0;
            for (GLenum p : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_WRAP_S,
                             GL_TEXTURE_WRAP_T, GL_TEXTURE_BASE_LEVEL, GL_TEXTURE_MAX_LEVEL}) {
                glGetTexParameteriv(GL_TEXTURE_2D, p, &v);
                out.push_back(v);
            }
            for (int level = 0; level < 8; ++level) {
                glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &v);
                out.push_back(v);
                glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &v);
                out.push_back(v);
            }
            glGetIntegerv(GL_TEXTURE_BINDING_2D, &v);
            out.push_back(v);
            return out;
        });
    EXPECT_EQ(mesa, subset);
}

TEST_F(SubsetState, TextureImagesKeptInAListAsMesaKeepsThem) {
    // The pixels are copied when the list is made (the caller's buffer is
    // gone when it runs), under the unpack alignment of that moment.
    const auto [mesa, subset] = both<std::vector<GLint>>(
        [] {
            GLuint texture = 0;
            glGenTextures(1, &texture);
            const GLuint l = glGenLists(1);
            {
                std::vector<uint8_t> pixels(8 * 6, 90);
                glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
                glNewList(l, GL_COMPILE);
                glBindTexture(GL_TEXTURE_2D, texture);
                glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE, 7, 5, 0, GL_LUMINANCE,
                             GL_UNSIGNED_BYTE, pixels.data());
                glTexImage2D(GL_TEXTURE_2D, 1, GL_LUMINANCE, 3, 2, 0, GL_LUMINANCE,
                             GL_UNSIGNED_BYTE, pixels.data());
                glEndList();
                glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
            }
            glBindTexture(GL_TEXTURE_2D, 0);
            glCallList(l);
        },
        [] {
            std::vector<GLint> out;
            GLint v = 0;
            glGetIntegerv(GL_TEXTURE_BINDING_2D, &v);
            out.push_back(v);
            for (int level = 0; level < 3; ++level) {
                glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &v);
                out.push_back(v);
                glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &v);
                out.push_back(v);
            }
            return out;
        });
    EXPECT_EQ(mesa, subset);
    EXPECT_EQ(subset[1], 7);
}

// The state a list leaves behind: matrices, current colour, enables.
std::vector<double> listState() {
    std::vector<double> out;
    for (GLenum which : {GL_MODELVIEW_MATRIX, GL_PROJECTION_MATRIX}) {
        float m[16];
        glGetFloatv(which, m);
        out.insert(out.end(), m, m + 16);
    }
    float c[4];
    glGetFloatv(GL_CURRENT_COLOR, c);
    out.insert(out.end(), c, c + 4);
    for (GLenum cap : {GL_BLEND, GL_LIGHTING, GL_FOG, GL_TEXTURE_2D}) {
        out.push_back(glIsEnabled(cap));
    }
    GLint v = 0;
    for (GLenum name : {GL_LIST_BASE, GL_MATRIX_MODE, GL_TEXTURE_BINDING_2D, GL_BLEND_SRC,
                        GL_BLEND_DST, GL_DEPTH_FUNC, GL_CULL_FACE_MODE, GL_FRONT_FACE,
                        GL_SHADE_MODEL, GL_FOG_MODE, GL_LIGHT_MODEL_COLOR_CONTROL}) {
        glGetIntegerv(name, &v);
        out.push_back(v);
    }
    for (GLenum name : {GL_FOG_START, GL_FOG_END}) {
        glGetFloatv(name, c);
        out.push_back(c[0]);
    }
    for (GLenum name : {GL_FOG_COLOR, GL_LIGHT_MODEL_AMBIENT, GL_COLOR_CLEAR_VALUE, GL_VIEWPORT,
                        GL_SCISSOR_BOX}) {
        glGetFloatv(name, c);
        out.insert(out.end(), c, c + 4);
    }
    return out;
}

TEST_F(SubsetState, ListsRecordTheCallsAndReplayThemAsMesa) {
    // Compiling alone changes nothing; compile-and-execute runs at once;
    // glCallLists offsets each name by the list base, for every name type;
    // a list may call others; a list calling itself stops at the nesting
    // limit.
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"compile only",
         [] {
             const GLuint l = glGenLists(1);
             glNewList(l, GL_COMPILE);
             glTranslatef(1, 2, 3);
             glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
             glEnable(GL_BLEND);
             glEndList();
         }},
        {"compile and execute",
         [] {
             const GLuint l = glGenLists(1);
             glNewList(l, GL_COMPILE_AND_EXECUTE);
             glRotatef(30, 0, 1, 0);
             glColor4f(0.5f, 0.6f, 0.7f, 0.8f);
             glEnable(GL_FOG);
             glEndList();
             glCallList(l);
         }},
        {"lists by byte, int and unsigned names",
         [] {
             const GLuint base = glGenLists(4);
             for (GLuint i = 0; i < 4; ++i) {
                 glNewList(base + i, GL_COMPILE);
                 glTranslatef(static_cast<float>(i + 1), 0.0f, 0.0f);
                 glScalef(1.0f, 1.0f + static_cast<float>(i), 1.0f);
                 glEndList();
             }
             glListBase(base);
             const GLubyte bytes[] = {0, 3, 3, 1};
             glCallLists(4, GL_UNSIGNED_BYTE, bytes);
             const GLint ints[] = {2, -1000, 1};
             glCallLists(3, GL_INT, ints);
             const GLuint uints[] = {0, 2};
             glCallLists(2, GL_UNSIGNED_INT, uints);
             glListBase(0);
         }},
        {"nested lists, base set inside a list",
         [] {
             const GLuint base = glGenLists(3);
             glNewList(base, GL_COMPILE);
             glMatrixMode(GL_PROJECTION);
             glOrtho(0, 10, 0, 10, -1, 1);
             glMatrixMode(GL_MODELVIEW);
             glEndList();
             glNewList(base + 1, GL_COMPILE);
             glPushMatrix();
             glCallList(base);
             glRotatef(45, 1, 1, 0);
             glListBase(base);
             glColor4f(1, 0, 0, 1);
             glEndList();
             glNewList(base + 2, GL_COMPILE);
             glCallList(base + 1);
             const GLuint names[] = {0, 0};
             glCallLists(2, GL_UNSIGNED_INT, names);
             glEnable(GL_TEXTURE_2D);
             glEndList();
             glCallList(base + 2);
         }},
        {"a list calling itself",
         [] {
             const GLuint l = glGenLists(1);
             glNewList(l, GL_COMPILE);
             glTranslatef(0.5f, 0, 0);
             glCallList(l);
             glEndList();
             glCallList(l);
         }},
        {"state calls kept in a list",
         [] {
             GLuint texture = 0;
             glGenTextures(1, &texture);
             const GLuint l = glGenLists(1);
             const float fogColor[4] = {0.1f, 0.2f, 0.3f, 0.4f};
             const float ambient[4] = {0.3f, 0.3f, 0.1f, 1.0f};
             glNewList(l, GL_COMPILE);
             glBindTexture(GL_TEXTURE_2D, texture);
             glBlendFunc(GL_SRC_ALPHA, GL_ONE);
             glDepthFunc(GL_LEQUAL);
             glCullFace(GL_FRONT);
             glFrontFace(GL_CW);
             glShadeModel(GL_FLAT);
             glFogf(GL_FOG_MODE, GL_LINEAR);
             glFogf(GL_FOG_START, 2.5f);
             glFogf(GL_FOG_END, 9.0f);
             glFogfv(GL_FOG_COLOR, fogColor);
             glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
             glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
             glClearColor(0.5f, 0.25f, 0.125f, 1.0f);
             glViewport(1, 2, 30, 40);
             glScissor(3, 4, 10, 20);
             glEndList();
             glCallList(l);
         }},
        {"deleted lists draw nothing",
         [] {
             const GLuint l = glGenLists(2);
             glNewList(l, GL_COMPILE);
             glTranslatef(9, 9, 9);
             glEndList();
             glNewList(l + 1, GL_COMPILE);
             glEnable(GL_LIGHTING);
             glEndList();
             glDeleteLists(l, 1);
             glCallList(l);
             glCallList(l + 1);
         }},
    };
    for (const auto& [name, calls] : cases) {
        const auto [mesa, subset] = both<std::vector<double>>(
            [&] {
                glMatrixMode(GL_PROJECTION);
                glLoadIdentity();
                glMatrixMode(GL_MODELVIEW);
                glLoadIdentity();
                glColor4f(1, 1, 1, 1);
                calls();
            },
            listState);
        EXPECT_EQ(mesa, subset) << name;
    }
}

TEST_F(SubsetState, ListNamesAreHandedOutAsMesaHandsThem) {
    const auto [mesa, subset] =
        both<std::vector<GLuint>>([] {},
                                  [] {
                                      std::vector<GLuint> out;
                                      out.push_back(glGenLists(3));
                                      out.push_back(glGenLists(1));
                                      glDeleteLists(out[0], 4);
                                      out.push_back(glGenLists(2));
                                      glNewList(100, GL_COMPILE);
                                      glEndList();
                                      out.push_back(glGenLists(1));
                                      out.push_back(glGenLists(0));
                                      GLuint textures[3] = {};
                                      glGenTextures(3, textures);
                                      out.insert(out.end(), textures, textures + 3);
                                      return out;
                                  });
    EXPECT_EQ(mesa, subset);
}

TEST_F(SubsetState, BadInputRecordsMesasErrorAndChangesNothing) {
    std::vector<uint8_t> pixels(64, 0);
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"enable of an unknown capability", [] { glEnable(0x1234); }},
        {"unknown matrix mode", [] { glMatrixMode(GL_TEXTURE_2D); }},
        {"ortho of zero width", [] { glOrtho(1, 1, 0, 1, -1, 1); }},
        {"negative viewport", [] { glViewport(0, 0, -1, 10); }},
        {"negative scissor", [] { glScissor(0, 0, 10, -1); }},
        {"bad blend factor", [] { glBlendFunc(GL_LIGHTING, GL_ONE); }},
        {"bad depth function", [] { glDepthFunc(GL_BLEND); }},
        {"bad cull face", [] { glCullFace(GL_CCW); }},
        {"bad front face", [] { glFrontFace(GL_BACK); }},
        {"bad hint", [] { glHint(GL_LIGHTING, GL_NICEST); }},
        {"bad hint mode", [] { glHint(GL_FOG_HINT, GL_BLEND); }},
        {"bad shade model", [] { glShadeModel(GL_LINEAR); }},
        {"bad fog mode", [] { glFogf(GL_FOG_MODE, static_cast<float>(GL_NEAREST)); }},
        {"negative fog density", [] { glFogf(GL_FOG_DENSITY, -1.0f); }},
        {"shininess above 128", [] { glMaterialf(GL_FRONT, GL_SHININESS, 200.0f); }},
        {"bad material face",
         [] {
             const float v[4] = {1, 1, 1, 1};
             glMaterialfv(GL_LIGHTING, GL_DIFFUSE, v);
         }},
        {"bad light",
         [] {
             const float v[4] = {1, 1, 1, 1};
             glLightfv(GL_LIGHTING, GL_DIFFUSE, v);
         }},
        {"bad colour control", [] { glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_LINEAR); }},
        {"bad colour material", [] { glColorMaterial(GL_FRONT, GL_SHININESS); }},
        {"bad texture target", [] { glBindTexture(GL_LIGHTING, 1); }},
        {"bad texture filter",
         [] { glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST_MIPMAP_LINEAR); }},
        {"bad unpack alignment", [] { glPixelStorei(GL_UNPACK_ALIGNMENT, 3); }},
        {"texture beyond the largest size",
         [&] {
             glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1 << 20, 1 << 20, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                          nullptr);
         }},
        {"texture of negative size",
         [&] {
             glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, -4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                          pixels.data());
         }},
        {"texture with a border",
         [&] {
             glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 2, GL_RGBA, GL_UNSIGNED_BYTE,
                          pixels.data());
         }},
        {"texture of an unknown format",
         [&] {
             glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_LIGHTING, GL_UNSIGNED_BYTE,
                          pixels.data());
         }},
        {"texture level below 0",
         [&] {
             glTexImage2D(GL_TEXTURE_2D, -1, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                          pixels.data());
         }},
        {"begin of a begin",
         [] {
             glBegin(GL_QUADS);
             glBegin(GL_QUADS);
             glEnd();
         }},
        {"matrix call between begin and end",
         [] {
             glBegin(GL_QUADS);
             glTranslatef(1, 1, 1);
             glEnd();
         }},
        {"end without begin", [] { glEnd(); }},
        {"end of list without a list", [] { glEndList(); }},
        {"list of name 0", [] { glNewList(0, GL_COMPILE); }},
        {"list of a bad mode", [] { glNewList(5, GL_BLEND); }},
        {"negative list range", [] { glGenLists(-1); }},
        {"negative delete range", [] { glDeleteLists(1, -1); }},
        {"call lists of a negative count",
         [] {
             const GLuint n[1] = {1};
             glCallLists(-5, GL_UNSIGNED_INT, n);
         }},
        {"call lists of a bad type",
         [] {
             const GLuint n[1] = {1};
             glCallLists(1, GL_BLEND, n);
         }},
        {"query of an unknown value",
         [] {
             float v[16];
             glGetFloatv(0x1234, v);
         }},
        {"texture query of an unknown value",
         [] {
             GLint v = 0;
             glGetTexParameteriv(GL_TEXTURE_2D, GL_LIGHTING, &v);
         }},
    };
    for (const auto& [name, calls] : cases) {
        const auto [mesa, subset] = errors(calls);
        EXPECT_NE(mesa, GLenum(GL_NO_ERROR)) << name;
        EXPECT_EQ(mesa, subset) << name;
        // Nothing changed by the refused call.
        const auto [mesaState, subsetState] = both<std::vector<double>>([] {}, listState);
        EXPECT_EQ(mesaState, subsetState) << name;
    }
}

TEST_F(SubsetState, HugeOrDeepListCallsStayBounded) {
    onSubset();
    // A list holding a call of a million names is refused, not stored.
    std::vector<GLuint> names(1 << 20, 0);
    const GLuint l = glGenLists(2);
    glNewList(l, GL_COMPILE);
    glCallLists(static_cast<GLsizei>(names.size()), GL_UNSIGNED_INT, names.data());
    glEndList();
    glCallList(l);
    EXPECT_EQ(subsetError(), GLenum(GL_OUT_OF_MEMORY));
    // Run directly, a million names of lists that do not exist do nothing.
    glCallLists(static_cast<GLsizei>(names.size()), GL_UNSIGNED_INT, names.data());
    EXPECT_EQ(subsetError(), GLenum(GL_NO_ERROR));
    // Two lists calling each other end at GL's nesting limit: 64 calls deep,
    // 32 translations each.
    glNewList(l, GL_COMPILE);
    glTranslatef(1, 0, 0);
    glCallList(l + 1);
    glEndList();
    glNewList(l + 1, GL_COMPILE);
    glCallList(l);
    glEndList();
    glLoadIdentity();
    glCallList(l);
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_EQ(m[12], 32.0f);
    EXPECT_EQ(subsetError(), GLenum(GL_NO_ERROR));
    // A list calling itself a thousand times over, 64 deep, would never end
    // in GL: here the calls stop after a bounded number, and later calls
    // from outside run again.
    std::vector<GLuint> self(1000, 0);
    glListBase(l);
    glNewList(l, GL_COMPILE);
    glCallLists(static_cast<GLsizei>(self.size()), GL_UNSIGNED_INT, self.data());
    glEndList();
    glCallList(l);
    glListBase(0);
    glNewList(l + 1, GL_COMPILE);
    glTranslatef(0, 1, 0);
    glEndList();
    glLoadIdentity();
    glCallList(l + 1);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_EQ(m[13], 1.0f);
    EXPECT_EQ(subsetError(), GLenum(GL_NO_ERROR));
}

TEST_F(SubsetState, ProcAddressKnowsTheFourMultitextureCallsAlone) {
    onSubset();
    for (const char* name : {"glActiveTextureARB", "glClientActiveTextureARB",
                             "glMultiTexCoord2fARB", "glMultiTexCoord2fvARB"}) {
        EXPECT_NE(entries.ProcAddress(name), nullptr) << name;
    }
    for (const char* name : {"glActiveTexture", "glBegin", "glMultiTexCoord3fARB", "", "gl"}) {
        EXPECT_EQ(entries.ProcAddress(name), nullptr) << name;
    }
    EXPECT_EQ(entries.ProcAddress(nullptr), nullptr);
    // The unit-0 coordinate set through the extension is the current one.
    auto multiTexCoord = reinterpret_cast<void (*)(GLenum, GLfloat, GLfloat)>(
        entries.ProcAddress("glMultiTexCoord2fARB"));
    multiTexCoord(GL_TEXTURE0_ARB, 0.25f, 0.75f);
    multiTexCoord(GL_TEXTURE1_ARB, 9.0f, 9.0f);
    float st[4];
    glGetFloatv(0x0B03, st);  // GL_CURRENT_TEXTURE_COORDS
    EXPECT_EQ(st[0], 0.25f);
    EXPECT_EQ(st[1], 0.75f);
    EXPECT_EQ(subsetError(), GLenum(GL_NO_ERROR));
    multiTexCoord(0x1234, 1.0f, 1.0f);
    EXPECT_EQ(subsetError(), GLenum(GL_INVALID_ENUM));
}

TEST(SubsetDetached, CallsBeforeAttachDoNothing) {
    detachSubset();
    const Entries& table = subsetEntries();
    table.Begin(GL_QUADS);
    table.Vertex3f(1, 2, 3);
    table.End();
    table.Translatef(1, 2, 3);
    float m[16] = {7};
    table.GetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_EQ(m[0], 7.0f);
    EXPECT_EQ(table.GenLists(5), 0u);
    EXPECT_EQ(table.IsEnabled(GL_BLEND), GL_FALSE);
    EXPECT_EQ(subsetError(), GLenum(0));
    detachSubset();  // twice: still safe
}

}  // namespace
}  // namespace tev::gl11

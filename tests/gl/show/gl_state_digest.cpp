#include "gl_state_digest.h"

#include <GL/gl.h>

#include "show/show.h"

namespace tev {

// The minification filter of every mipmapped texture the show draws with
// (those the built show may switch to linear). The others change their own
// filters when they are uploaded, which the literal frame, drawn first,
// does for both.
namespace {

void addTextureFilters(std::vector<float>& digest) {
    std::vector<GLuint> names = {logoTexture.textureName, sheetTexture.textureName};
    for (const Texture& picture : pictures)
        names.push_back(picture.textureName);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    for (GLuint name : names) {
        GLint filter = 0;
        glBindTexture(GL_TEXTURE_2D, name);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
        digest.push_back(static_cast<float>(filter));
    }
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
}

}  // namespace

std::vector<float> glStateDigest() {
    std::vector<float> digest;
    auto floats = [&](GLenum name, int count) {
        GLfloat v[16] = {};
        glGetFloatv(name, v);
        digest.insert(digest.end(), v, v + count);
    };
    auto integers = [&](GLenum name, int count) {
        GLint v[4] = {};
        glGetIntegerv(name, v);
        for (int i = 0; i < count; ++i)
            digest.push_back(static_cast<float>(v[i]));
    };
    for (GLenum matrix : {GL_MODELVIEW_MATRIX, GL_PROJECTION_MATRIX, GL_TEXTURE_MATRIX}) {
        floats(matrix, 16);
    }
    floats(GL_CURRENT_COLOR, 4);
    floats(GL_CURRENT_NORMAL, 3);
    floats(GL_CURRENT_TEXTURE_COORDS, 4);
    floats(GL_COLOR_CLEAR_VALUE, 4);
    floats(GL_FOG_COLOR, 4);
    for (GLenum name : {GL_FOG_START, GL_FOG_END, GL_FOG_DENSITY})
        floats(name, 1);
    for (GLenum cap : {GL_FOG, GL_LIGHTING, GL_LIGHT0, GL_DEPTH_TEST, GL_BLEND, GL_CULL_FACE,
                       GL_TEXTURE_2D, GL_COLOR_MATERIAL, GL_SCISSOR_TEST}) {
        digest.push_back(glIsEnabled(cap) ? 1.0f : 0.0f);
    }
    for (GLenum name :
         {GL_BLEND_SRC, GL_BLEND_DST, GL_DEPTH_WRITEMASK, GL_DEPTH_FUNC, GL_FOG_MODE,
          GL_TEXTURE_BINDING_2D, GL_LIST_BASE, GL_MATRIX_MODE, GL_MODELVIEW_STACK_DEPTH,
          GL_PROJECTION_STACK_DEPTH, GL_TEXTURE_STACK_DEPTH}) {
        integers(name, 1);
    }
    GLfloat light[4];
    for (GLenum name : {GL_POSITION, GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR}) {
        glGetLightfv(GL_LIGHT0, name, light);
        digest.insert(digest.end(), light, light + 4);
    }
    GLint env = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    digest.push_back(static_cast<float>(env));
    integers(GL_SCISSOR_BOX, 4);
    addTextureFilters(digest);
    return digest;
}

}  // namespace tev

#include "gl11/subset.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "gl11/fixed_matrix.h"
#include "gl11/glu_mipmaps.h"
#include "gl11/subset_shaders.h"
#include "gl11/unmacro.h"
// clang-format off
#include <GLES3/gl3.h>
// clang-format on

// GL 1.1 values that OpenGL ES does not spell.
#define GL_LIGHT_MODEL_TWO_SIDE 0x0B52
#define GL_SPOT_DIRECTION 0x1204
#define GL_SPOT_EXPONENT 0x1205
#define GL_SPOT_CUTOFF 0x1206
#define GL_CONSTANT_ATTENUATION 0x1207
#define GL_LINEAR_ATTENUATION 0x1208
#define GL_QUADRATIC_ATTENUATION 0x1209
#define GL_EXP2 0x0801
#define GL_FOG_INDEX 0x0B61
#define GL_POINT_SMOOTH_HINT 0x0C51
#define GL_FASTEST 0x1101
#define GL_DONT_CARE 0x1100
#define GL_STACK_OVERFLOW 0x0503
#define GL_STACK_UNDERFLOW 0x0504
#define GL_MATRIX_MODE 0x0BA0
#define GL_MODELVIEW_STACK_DEPTH 0x0BA3
#define GL_PROJECTION_STACK_DEPTH 0x0BA4
#define GL_TEXTURE_STACK_DEPTH 0x0BA5
#define GL_LIST_BASE 0x0B32
#define GL_LIST_INDEX 0x0B33
#define GL_LIST_MODE 0x0B30
#define GL_MAX_LIST_NESTING 0x0B31
#define GL_CURRENT_COLOR 0x0B00
#define GL_CURRENT_NORMAL 0x0B02
#define GL_CURRENT_TEXTURE_COORDS 0x0B03
#define GL_SHADE_MODEL 0x0B54
#define GL_NORMALIZE 0x0BA1
#define GL_ACCUM_BUFFER_BIT 0x00000200
#define GL_2_BYTES 0x1407
#define GL_DECAL 0x2101
#define GL_REPLACE_ENV 0x1E01
#define GL_TEXTURE_ENV_COLOR 0x2201
#define GL_CLAMP 0x2900
#define GL_MAX_MODELVIEW_STACK_DEPTH 0x0D36
#define GL_MAX_PROJECTION_STACK_DEPTH 0x0D38
#define GL_MAX_TEXTURE_STACK_DEPTH 0x0D39
#define GL_BLEND_SRC 0x0BE1
#define GL_BLEND_DST 0x0BE0

namespace tev::gl11 {

namespace {

constexpr int kMaxListNesting = 64;
// Lists that call many lists that call many lists could run for ever within
// the nesting limit: one call from outside makes at most this many list
// calls, the rest do nothing.
constexpr uint64_t kMaxListRuns = uint64_t{1} << 24;
constexpr int kModelviewDepth = 32;
constexpr int kProjectionDepth = 32;
constexpr int kTextureDepth = 10;
constexpr int kMaxLevels = 16;
constexpr int kMaxTextureUnits = 8;
// A list stores at most this many names of one glCallLists (GL would run
// out of memory; we refuse before).
constexpr GLsizei kMaxCompiledCallLists = 1 << 16;

// One vertex as the shaders take it.
struct Vertex {
    float position[3];
    float color[4];
    float normal[3];
    float texCoord[2];
    float matrices;  // index of its modelview and projection in the draw's
};

// Matrices one draw holds (the shaders' arrays are this long): a change of
// the modelview or projection between quads needs no draw of its own.
constexpr int kBatchMatrices = 16;

enum class Op : uint8_t {
    Begin,
    End,
    Vertex,
    Normal,
    Color,
    TexCoord,
    CallOffset,  // a name of glCallLists: the list base is added when run
    CallList,
    ListBase,
    MatrixMode,
    LoadIdentity,
    PushMatrix,
    PopMatrix,
    Translate,
    Rotate,
    Scale,
    Ortho,
    MultMatrix,
    Viewport,
    Enable,
    Disable,
    Hint,
    ShadeModel,
    FrontFace,
    CullFace,
    DepthFunc,
    DepthMask,
    ClearDepth,
    BlendFunc,
    Scissor,
    ClearColor,
    Clear,
    Fog,
    Light,
    LightModel,
    Material,
    ColorMaterial,
    BindTexture,
    TexImage,
    TexParameter,
    TexEnv,
    ActiveTexture,
    MultiTexCoord,
    Error,  // a call rejected while compiling: GL records the error when run
};

struct Command {
    Op op;
    GLenum e[3] = {0, 0, 0};
    int32_t i[4] = {0, 0, 0, 0};
    float f[4] = {0, 0, 0, 0};
    uint32_t blob = 0;  // index of pixels or a matrix in the list's blobs
};

struct DisplayList {
    std::vector<Command> commands;
    std::vector<std::vector<uint8_t>> blobs;
};

struct Light {
    float ambient[4] = {0, 0, 0, 1};
    float diffuse[4] = {0, 0, 0, 1};
    float specular[4] = {0, 0, 0, 1};
    float eyePosition[4] = {0, 0, 1, 0};
    float spotDirection[3] = {0, 0, -1};
    float spotExponent = 0;
    float spotCutoff = 180;
    float attenuation[3] = {1, 0, 0};
};

struct Material {
    float ambient[4] = {0.2f, 0.2f, 0.2f, 1};
    float diffuse[4] = {0.8f, 0.8f, 0.8f, 1};
    float specular[4] = {0, 0, 0, 1};
    float emission[4] = {0, 0, 0, 1};
    float shininess = 0;
};

struct Texture {
    GLuint real = 0;
    struct Level {
        int width = 0;
        int height = 0;
        GLenum format = 0;  // 0: no image
    } levels[kMaxLevels];
    GLint minFilter = GL_NEAREST_MIPMAP_LINEAR;
    GLint magFilter = GL_LINEAR;
    GLint wrapS = GL_REPEAT;
    GLint wrapT = GL_REPEAT;
    GLint baseLevel = 0;
    GLint maxLevel = 1000;
};

struct Program {
    GLuint id = 0;
    GLint mvp, modelview, normalRows, textureMatrix, sceneColor, modelAmbient, materialAmbient,
        emission, ambient, diffuse, specular, shininess, lightAmbient, lightDiffuse, lightSpecular,
        lightPosition, lightHalf, attenuation, fogColor, fogParams, one, texture, destination,
        blendFactors;
};

namespace key {
constexpr uint32_t kLighting = 1u << 0;
constexpr uint32_t kPositional = 1u << 1;
constexpr uint32_t kLocalViewer = 1u << 2;
constexpr uint32_t kSeparate = 1u << 3;
constexpr uint32_t kShininessZero = 1u << 4;
constexpr uint32_t kAttenuated = 1u << 5;
constexpr uint32_t kCmAmbient = 1u << 6;
constexpr uint32_t kCmDiffuse = 1u << 7;
constexpr uint32_t kCmSpecular = 1u << 8;
constexpr uint32_t kCmEmission = 1u << 9;
constexpr uint32_t kTexture = 1u << 10;
constexpr uint32_t kTextureMatrix = 1u << 11;
constexpr uint32_t kColour16 = 1u << 12;
constexpr uint32_t kNormalize = 1u << 15;
constexpr uint32_t kBlend565 = 1u << 16;
constexpr int kFogShift = 13;  // 2 bits: 1 linear, 2 exp, 3 exp2
}  // namespace key

struct State {
    SubsetOptions options;
    // 16 bits asked for on a buffer of more: the shaders quantise as a
    // 5-6-5 buffer would (on a 5-6-5 buffer its own conversion is Mesa's).
    bool emulate565 = false;
    GLenum error = GL_NO_ERROR;

    // GL objects of the subset.
    GLuint vertexArray = 0;
    GLuint buffer = 0;
    std::unordered_map<uint32_t, Program> programs;
    GLint maxTextureSize = 2048;

    // Current values.
    float color[4] = {1, 1, 1, 1};
    float normal[3] = {0, 0, 1};
    float texCoord[2] = {0, 0};

    // Primitive assembly.
    bool inBegin = false;
    bool beginFromList = false;
    Vertex quad[4];
    int quadCount = 0;
    std::vector<Vertex> batch;
    // The batch's matrices: projection * modelview, modelview and the
    // normals' rows, one entry per change.
    std::vector<float> batchMvp, batchModelview, batchNormalRows;
    bool matricesChanged = true;  // the last entry is not the current one

    // Matrices.
    GLenum matrixMode = GL_MODELVIEW;
    std::vector<FixedMatrix> modelview, projection, texture;

    // Enables.
    bool blend = false, cullFace = false, depthTest = false, scissorTest = false, dither = true;
    bool fog = false, lighting = false, colorMaterial = false, texture2d = false, normalize = false;
    bool lightEnabled[8] = {};

    // Fixed-function values.
    GLenum shadeModel = GL_SMOOTH;
    GLenum frontFace = GL_CCW, cullMode = GL_BACK;
    GLenum depthFunc = GL_LESS;
    bool depthMask = true;
    float clearDepth = 1;
    GLenum blendSrc = GL_ONE, blendDst = GL_ZERO;
    GLint viewport[4] = {0, 0, 0, 0};
    GLint scissor[4] = {0, 0, 0, 0};
    float clearColor[4] = {0, 0, 0, 0};
    std::map<GLenum, GLenum> hints;
    GLenum fogMode = GL_EXP;
    float fogDensity = 1, fogStart = 0, fogEnd = 1, fogIndex = 0;
    float fogColor[4] = {0, 0, 0, 0};
    Light lights[8];
    float modelAmbient[4] = {0.2f, 0.2f, 0.2f, 1};
    bool localViewer = false, twoSide = false;
    GLenum colorControl = GL_SINGLE_COLOR;
    Material front, back;
    GLenum colorMaterialFace = GL_FRONT_AND_BACK;
    GLenum colorMaterialMode = GL_AMBIENT_AND_DIFFUSE;
    GLenum texEnvMode = GL_MODULATE;
    GLint unpackAlignment = 4;
    GLenum activeTexture = GL_TEXTURE0, clientActiveTexture = GL_TEXTURE0;

    // Textures by their GL 1.1 names.
    std::map<GLuint, Texture> textures;
    GLuint boundTexture = 0;
    GLuint maxTextureName = 0;

    // Display lists.
    std::map<GLuint, std::shared_ptr<const DisplayList>> lists;
    GLuint maxListName = 0;
    GLuint listBase = 0;
    bool compiling = false;
    bool compileAndExecute = false;
    GLuint compilingName = 0;
    DisplayList pending;
    int callDepth = 0;
    uint64_t listRuns = 0;  // lists run since the outermost call began
    GLint maxViewport[2] = {16384, 16384};
    GLint surface[2] = {0, 0};  // the buffer's size when attached
    GLuint destination = 0;     // the copy of the buffer blending reads
};

State* state = nullptr;

void setError(GLenum error) {
    if (state->error == GL_NO_ERROR) {
        state->error = error;
    }
}

// ---- drawing -------------------------------------------------------------

bool compileShader(GLuint shader, const std::string& source, std::string* log) {
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char buffer[2048] = {};
        glGetShaderInfoLog(shader, sizeof buffer - 1, nullptr, buffer);
        *log = buffer;
    }
    return ok != 0;
}

std::string defines(uint32_t k) {
    std::string d = "#version 300 es\n#define MATRICES " + std::to_string(kBatchMatrices) + "\n";
    const std::pair<uint32_t, const char*> names[] = {
        {key::kLighting, "LIGHTING"},
        {key::kPositional, "POSITIONAL"},
        {key::kLocalViewer, "LOCAL_VIEWER"},
        {key::kSeparate, "SEPARATE"},
        {key::kShininessZero, "SHININESS_ZERO"},
        {key::kAttenuated, "ATTENUATED"},
        {key::kCmAmbient, "CM_AMBIENT"},
        {key::kCmDiffuse, "CM_DIFFUSE"},
        {key::kCmSpecular, "CM_SPECULAR"},
        {key::kCmEmission, "CM_EMISSION"},
        {key::kTexture, "TEXTURE"},
        {key::kTextureMatrix, "TEXTURE_MATRIX"},
        {key::kColour16, "COLOUR16"},
        {key::kNormalize, "NORMALIZE"},
        {key::kBlend565, "BLEND565"},
    };
    for (const auto& [bit, name] : names) {
        if (k & bit) {
            d += std::string("#define ") + name + "\n";
        }
    }
    const uint32_t fog = (k >> key::kFogShift) & 3;
    if (fog) {
        d += "#define FOG " + std::to_string(fog) + "\n";
    }
    return d;
}

// The program of one variant, compiled on first use; null when the
// context rejects it.
const Program* program(uint32_t k, std::string* error) {
    auto found = state->programs.find(k);
    if (found != state->programs.end()) {
        return &found->second;
    }
    const std::string head = defines(k);
    const GLuint vs = glCreateShader(GL_VERTEX_SHADER);
    const GLuint fs = glCreateShader(GL_FRAGMENT_SHADER);
    std::string log;
    bool ok = compileShader(vs, head + kSubsetVertexShader, &log) &&
              compileShader(fs, head + kSubsetFragmentShader, &log);
    GLuint id = 0;
    if (ok) {
        id = glCreateProgram();
        glAttachShader(id, vs);
        glAttachShader(id, fs);
        glLinkProgram(id);
        GLint linked = 0;
        glGetProgramiv(id, GL_LINK_STATUS, &linked);
        if (!linked) {
            char buffer[2048] = {};
            glGetProgramInfoLog(id, sizeof buffer - 1, nullptr, buffer);
            log = buffer;
            glDeleteProgram(id);
            ok = false;
        }
    }
    glDeleteShader(vs);
    glDeleteShader(fs);
    if (!ok) {
        if (error) {
            *error = "the subset's shaders do not build here: " + log;
        }
        return nullptr;
    }
    Program p;
    p.id = id;
    auto loc = [id](const char* name) { return glGetUniformLocation(id, name); };
    p.mvp = loc("uMvp");
    p.modelview = loc("uModelview");
    p.normalRows = loc("uNormalRows");
    p.textureMatrix = loc("uTextureMatrix");
    p.sceneColor = loc("uSceneColor");
    p.modelAmbient = loc("uModelAmbient");
    p.materialAmbient = loc("uMaterialAmbient");
    p.emission = loc("uEmission");
    p.ambient = loc("uAmbient");
    p.diffuse = loc("uDiffuse");
    p.specular = loc("uSpecular");
    p.shininess = loc("uShininess");
    p.lightAmbient = loc("uLightAmbient");
    p.lightDiffuse = loc("uLightDiffuse");
    p.lightSpecular = loc("uLightSpecular");
    p.lightPosition = loc("uLightPosition");
    p.lightHalf = loc("uLightHalf");
    p.attenuation = loc("uAttenuation");
    p.fogColor = loc("uFogColor");
    p.fogParams = loc("uFogParams");
    p.one = loc("uOne");
    p.texture = loc("uTexture");
    p.destination = loc("uDestination");
    p.blendFactors = loc("uBlendFactors");
    return &state->programs.emplace(k, p).first->second;
}

Texture* boundTexture() {
    auto found = state->textures.find(state->boundTexture);
    return found == state->textures.end() ? nullptr : &found->second;
}

bool mipmapped(GLint filter) {
    return filter != GL_NEAREST && filter != GL_LINEAR;
}

// GL draws an incomplete texture as if texturing were off.
bool complete(const Texture& t) {
    if (t.baseLevel >= kMaxLevels || t.baseLevel > t.maxLevel) {
        return false;
    }
    const Texture::Level& base = t.levels[t.baseLevel];
    if (base.format == 0 || base.width <= 0 || base.height <= 0) {
        return false;
    }
    if (!mipmapped(t.minFilter)) {
        return true;
    }
    int w = base.width, h = base.height;
    for (int level = t.baseLevel + 1; level <= t.maxLevel && (w > 1 || h > 1); ++level) {
        w = std::max(1, w / 2);
        h = std::max(1, h / 2);
        if (level >= kMaxLevels) {
            return false;
        }
        const Texture::Level& l = t.levels[level];
        if (l.format != base.format || l.width != w || l.height != h) {
            return false;
        }
    }
    return true;
}

void normalise3(float* v) {
    float len = v[0] * v[0] + v[1] * v[1] + v[2] * v[2];
    if (len != 0.0f) {
        len = 1.0f / std::sqrt(len);
        v[0] *= len;
        v[1] *= len;
        v[2] *= len;
    }
}

// The factors as the shader's blending numbers them.
int blendFactorCode(GLenum factor) {
    switch (factor) {
        case GL_ZERO:
            return 0;
        case GL_ONE:
            return 1;
        case GL_SRC_COLOR:
            return 2;
        case GL_ONE_MINUS_SRC_COLOR:
            return 3;
        case GL_SRC_ALPHA:
            return 4;
        case GL_ONE_MINUS_SRC_ALPHA:
            return 5;
        case GL_DST_ALPHA:
            return 6;
        case GL_ONE_MINUS_DST_ALPHA:
            return 7;
        case GL_DST_COLOR:
            return 8;
        case GL_ONE_MINUS_DST_COLOR:
            return 9;
        default:  // GL_SRC_ALPHA_SATURATE: min(As, 1 - Ad) with no destination alpha
            return 10;
    }
}

// The buffer as it is now, into texture unit 1, for the shader to blend
// with (unit 0 keeps the quads' texture).
void copyDestination() {
    State& s = *state;
    glActiveTexture(GL_TEXTURE1);
    if (s.destination == 0) {
        glGenTextures(1, &s.destination);
        glBindTexture(GL_TEXTURE_2D, s.destination);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, s.surface[0], s.surface[1], 0);
    } else {
        glBindTexture(GL_TEXTURE_2D, s.destination);
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, s.surface[0], s.surface[1]);
    }
    glActiveTexture(GL_TEXTURE0);
}

void clearBatch() {
    State& s = *state;
    s.batch.clear();
    s.batchMvp.clear();
    s.batchModelview.clear();
    s.batchNormalRows.clear();
    s.matricesChanged = true;
}

void flush();

// The index of the current matrices in the batch, added when they changed.
float currentMatrices() {
    State& s = *state;
    if (s.matricesChanged || s.batchMvp.empty()) {
        if (s.batchMvp.size() / 16 >= kBatchMatrices) {
            flush();
        }
        float mvp[16];
        product(mvp, s.projection.back(), s.modelview.back());
        s.batchMvp.insert(s.batchMvp.end(), mvp, mvp + 16);
        const float* mv = s.modelview.back().m;
        s.batchModelview.insert(s.batchModelview.end(), mv, mv + 16);
        float rows[9];
        normalRows(s.modelview.back(), rows);
        s.batchNormalRows.insert(s.batchNormalRows.end(), rows, rows + 9);
        s.matricesChanged = false;
    }
    return static_cast<float>(s.batchMvp.size() / 16 - 1);
}

void flush() {
    State& s = *state;
    if (s.batch.empty()) {
        return;
    }
    uint32_t k = 0;
    const Light& light = s.lights[0];
    const bool lit = s.lighting && s.lightEnabled[0];
    const bool positional = light.eyePosition[3] != 0.0f;
    bool cmAmbient = false, cmDiffuse = false, cmSpecular = false, cmEmission = false;
    if (s.lighting) {
        k |= key::kLighting;
        if (s.colorMaterial && s.colorMaterialFace != GL_BACK) {
            const GLenum m = s.colorMaterialMode;
            cmAmbient = m == GL_AMBIENT || m == GL_AMBIENT_AND_DIFFUSE;
            cmDiffuse = m == GL_DIFFUSE || m == GL_AMBIENT_AND_DIFFUSE;
            cmSpecular = m == GL_SPECULAR;
            cmEmission = m == GL_EMISSION;
        }
        k |= (cmAmbient ? key::kCmAmbient : 0) | (cmDiffuse ? key::kCmDiffuse : 0) |
             (cmSpecular ? key::kCmSpecular : 0) | (cmEmission ? key::kCmEmission : 0);
        if (positional) {
            k |= key::kPositional;
            if (light.attenuation[0] != 1.0f || light.attenuation[1] != 0.0f ||
                light.attenuation[2] != 0.0f) {
                k |= key::kAttenuated;
            }
        }
        if (s.localViewer) {
            k |= key::kLocalViewer;
        }
        if (s.colorControl == GL_SEPARATE_SPECULAR_COLOR) {
            k |= key::kSeparate;
        }
        if (s.front.shininess == 0.0f) {
            k |= key::kShininessZero;
        }
        if (s.normalize) {
            k |= key::kNormalize;
        }
    }
    Texture* texture = boundTexture();
    const bool textured = s.texture2d && texture && complete(*texture);
    if (textured) {
        k |= key::kTexture;
        if (!isIdentity(s.texture.back().m)) {
            k |= key::kTextureMatrix;
        }
    }
    if (s.fog) {
        const uint32_t mode = s.fogMode == GL_LINEAR ? 1 : s.fogMode == GL_EXP ? 2 : 3;
        k |= mode << key::kFogShift;
    }
    // Blended into an 8-bit buffer standing in for a 5-6-5 one, the shader
    // blends as llvmpipe blends a 5-6-5 buffer, from a copy of the buffer.
    const bool blend565 = s.emulate565 && s.blend;
    if (s.emulate565) {
        k |= blend565 ? key::kBlend565 : key::kColour16;
    }
    const Program* p = program(k, nullptr);
    if (!p) {
        clearBatch();
        return;
    }
    glUseProgram(p->id);
    glBindVertexArray(s.vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, s.buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(s.batch.size() * sizeof(Vertex)),
                 s.batch.data(), GL_STREAM_DRAW);

    const auto entries = static_cast<GLsizei>(s.batchMvp.size() / 16);
    glUniformMatrix4fv(p->mvp, entries, GL_FALSE, s.batchMvp.data());
    glUniformMatrix4fv(p->modelview, entries, GL_FALSE, s.batchModelview.data());
    glUniformMatrix4fv(p->textureMatrix, 1, GL_FALSE, s.texture.back().m);
    glUniform1f(p->one, 1.0f);
    glUniform1i(p->texture, 0);
    if (s.lighting) {
        glUniform3fv(p->normalRows, 3 * entries, s.batchNormalRows.data());
        const Material& m = s.front;
        // Disabled light: its contributions are zero, as GL adds none.
        Light off;
        std::fill(off.ambient, off.ambient + 3, 0.0f);
        const Light& l = lit ? light : off;
        float scene[4], ambient[4], diffuse[4], specular[4];
        for (int i = 0; i < 3; ++i) {
            scene[i] = s.modelAmbient[i] * m.ambient[i] + m.emission[i];
            ambient[i] = l.ambient[i] * m.ambient[i];
            diffuse[i] = l.diffuse[i] * m.diffuse[i];
            specular[i] = l.specular[i] * m.specular[i];
        }
        scene[3] = m.diffuse[3];
        ambient[3] = m.ambient[3];
        diffuse[3] = m.diffuse[3];
        specular[3] = m.specular[3];
        glUniform4fv(p->sceneColor, 1, scene);
        glUniform4fv(p->modelAmbient, 1, s.modelAmbient);
        glUniform4fv(p->materialAmbient, 1, m.ambient);
        glUniform4fv(p->emission, 1, m.emission);
        glUniform4fv(p->ambient, 1, ambient);
        glUniform4fv(p->diffuse, 1, diffuse);
        glUniform4fv(p->specular, 1, specular);
        glUniform1f(p->shininess, m.shininess);
        glUniform4fv(p->lightAmbient, 1, l.ambient);
        glUniform4fv(p->lightDiffuse, 1, l.diffuse);
        glUniform4fv(p->lightSpecular, 1, l.specular);
        float position[4];
        std::memcpy(position, light.eyePosition, sizeof position);
        float half[4] = {0, 0, 0, 1};
        if (positional) {
            const float wInv = 1.0f / position[3];
            position[0] *= wInv;
            position[1] *= wInv;
            position[2] *= wInv;
        } else {
            normalise3(position);
            half[0] = position[0];
            half[1] = position[1];
            half[2] = position[2] + 1.0f;
            normalise3(half);
        }
        glUniform4fv(p->lightPosition, 1, position);
        glUniform4fv(p->lightHalf, 1, half);
        glUniform3fv(p->attenuation, 1, light.attenuation);
    }
    if (s.fog) {
        float params[4];
        params[0] = s.fogEnd == s.fogStart ? 1.0f : -1.0f / (s.fogEnd - s.fogStart);
        params[1] = s.fogEnd * -params[0];
        params[2] = static_cast<float>(s.fogDensity * M_LOG2E);
        params[3] = static_cast<float>(s.fogDensity * 1.201122408786449815);
        glUniform4fv(p->fogParams, 1, params);
        glUniform4fv(p->fogColor, 1, s.fogColor);
    }
    if (textured) {
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, texture->real);
    }
    if (blend565) {
        copyDestination();
        glUniform1i(p->destination, 1);
        glUniform2i(p->blendFactors, blendFactorCode(s.blendSrc), blendFactorCode(s.blendDst));
        glDisable(GL_BLEND);
    }
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(s.batch.size()));
    if (blend565) {
        glEnable(GL_BLEND);
    }
    clearBatch();
}

// ---- the calls, as they run ---------------------------------------------

// Matrix calls keep the batch (its vertices carry their matrices), but for
// the texture matrix, which is the draw's.
bool beforeMatrixCall(bool changesTop) {
    State& s = *state;
    if (s.inBegin) {
        setError(GL_INVALID_OPERATION);
        return false;
    }
    if (changesTop) {
        if (s.matrixMode == GL_TEXTURE) {
            flush();
        } else {
            s.matricesChanged = true;
        }
    }
    return true;
}

bool outsideBegin() {
    if (state->inBegin) {
        setError(GL_INVALID_OPERATION);
        return false;
    }
    flush();
    return true;
}

void doBegin(GLenum mode) {
    State& s = *state;
    if (s.inBegin) {
        setError(GL_INVALID_OPERATION);
        return;
    }
    if (mode > 9) {  // GL_POLYGON
        setError(GL_INVALID_ENUM);
        return;
    }
    if (mode != GL_QUADS) {
        // Valid in GL, outside what this subset draws: refused as such.
        setError(GL_INVALID_ENUM);
        return;
    }
    s.inBegin = true;
    s.beginFromList = s.callDepth > 0;
    s.quadCount = 0;
}

// A glBegin's quads, drawn at once, reach llvmpipe as quads: where one
// vertex of them lies outside the view volume they go through its clipper,
// which splits them 0-1-3 / 1-2-3; otherwise they are split 0-1-2 / 0-2-3.
void splitAsDrawnAtOnce() {
    State& s = *state;
    float mvp[16];
    product(mvp, s.projection.back(), s.modelview.back());
    for (const Vertex& v : s.batch) {
        float c[4];
        for (int i = 0; i < 4; ++i) {
            c[i] = mvp[i] * v.position[0] + mvp[4 + i] * v.position[1] +
                   mvp[8 + i] * v.position[2] + mvp[12 + i];
        }
        for (int i = 0; i < 3; ++i) {
            if (!(c[i] >= -c[3] && c[i] <= c[3])) {
                return;
            }
        }
    }
    for (size_t q = 0; q + 6 <= s.batch.size(); q += 6) {
        Vertex* v = &s.batch[q];
        const Vertex corners[4] = {v[0], v[1], v[4], v[2]};
        static constexpr int kFan[6] = {0, 1, 2, 0, 2, 3};
        for (int i = 0; i < 6; ++i) {
            v[i] = corners[kFan[i]];
        }
    }
}

void doEnd() {
    State& s = *state;
    if (!s.inBegin) {
        setError(GL_INVALID_OPERATION);
        return;
    }
    s.inBegin = false;
    s.quadCount = 0;
    if (s.callDepth == 0) {
        splitAsDrawnAtOnce();
        flush();
    }
}

void doVertex(float x, float y, float z) {
    State& s = *state;
    if (!s.inBegin) {
        return;  // GL: undefined outside glBegin; nothing is drawn
    }
    Vertex& v = s.quad[s.quadCount++];
    v.position[0] = x;
    v.position[1] = y;
    v.position[2] = z;
    std::memcpy(v.color, s.color, sizeof v.color);
    std::memcpy(v.normal, s.normal, sizeof v.normal);
    std::memcpy(v.texCoord, s.texCoord, sizeof v.texCoord);
    if (s.quadCount == 4) {
        // Mesa splits a quad 0-1-3 / 1-2-3 when replayed from a display
        // list or when drawn at once through its clipper; doEnd sets those
        // drawn at once without clipping to 0-1-2 / 0-2-3.
        static constexpr int kSplit[6] = {0, 1, 3, 1, 2, 3};
        const float matrices = currentMatrices();
        for (Vertex& corner : s.quad) {
            corner.matrices = matrices;
        }
        for (int i = 0; i < 6; ++i) {
            s.batch.push_back(s.quad[kSplit[i]]);
        }
        s.quadCount = 0;
        if (s.emulate565 && s.blend) {
            // The next quad blends with this one's pixels. Drawn at once,
            // its split is decided alone (llvmpipe decides it for the whole
            // glBegin, as doEnd does otherwise).
            if (s.callDepth == 0) splitAsDrawnAtOnce();
            flush();
        }
    }
}

void updateColorMaterial() {
    State& s = *state;
    if (!s.colorMaterial) {
        return;
    }
    auto apply = [&](Material& m) {
        switch (s.colorMaterialMode) {
            case GL_AMBIENT:
                std::memcpy(m.ambient, s.color, sizeof s.color);
                break;
            case GL_DIFFUSE:
                std::memcpy(m.diffuse, s.color, sizeof s.color);
                break;
            case GL_SPECULAR:
                std::memcpy(m.specular, s.color, sizeof s.color);
                break;
            case GL_EMISSION:
                std::memcpy(m.emission, s.color, sizeof s.color);
                break;
            default:
                std::memcpy(m.ambient, s.color, sizeof s.color);
                std::memcpy(m.diffuse, s.color, sizeof s.color);
                break;
        }
    };
    if (s.colorMaterialFace != GL_BACK) {
        apply(s.front);
    }
    if (s.colorMaterialFace != GL_FRONT) {
        apply(s.back);
    }
}

void doColor(float r, float g, float b, float a) {
    State& s = *state;
    s.color[0] = r;
    s.color[1] = g;
    s.color[2] = b;
    s.color[3] = a;
    updateColorMaterial();
}

std::vector<FixedMatrix>* currentStack() {
    State& s = *state;
    switch (s.matrixMode) {
        case GL_PROJECTION:
            return &s.projection;
        case GL_TEXTURE:
            return &s.texture;
        default:
            return &s.modelview;
    }
}

size_t maxDepth(GLenum mode) {
    return mode == GL_TEXTURE      ? kTextureDepth
           : mode == GL_PROJECTION ? kProjectionDepth
                                   : kModelviewDepth;
}

void doMatrixMode(GLenum mode) {
    if (!beforeMatrixCall(false)) {
        return;
    }
    if (mode != GL_MODELVIEW && mode != GL_PROJECTION && mode != GL_TEXTURE) {
        setError(GL_INVALID_ENUM);
        return;
    }
    state->matrixMode = mode;
}

void doPushMatrix() {
    if (!beforeMatrixCall(false)) {
        return;
    }
    auto* stack = currentStack();
    if (stack->size() >= maxDepth(state->matrixMode)) {
        setError(GL_STACK_OVERFLOW);
        return;
    }
    stack->push_back(stack->back());
}

void doPopMatrix() {
    if (!beforeMatrixCall(true)) {
        return;
    }
    auto* stack = currentStack();
    if (stack->size() <= 1) {
        setError(GL_STACK_UNDERFLOW);
        return;
    }
    stack->pop_back();
}

void doOrtho(float l, float r, float b, float t, float n, float f) {
    if (!beforeMatrixCall(true)) {
        return;
    }
    if (l == r || b == t || n == f) {
        setError(GL_INVALID_VALUE);
        return;
    }
    ortho(currentStack()->back(), l, r, b, t, n, f);
}

void doMultMatrix(const float* m) {
    if (!beforeMatrixCall(true)) {
        return;
    }
    if (isIdentity(m)) {
        return;  // Mesa skips an identity factor
    }
    multiply(currentStack()->back(), m);
}

bool* capability(GLenum cap) {
    State& s = *state;
    switch (cap) {
        case GL_BLEND:
            return &s.blend;
        case GL_CULL_FACE:
            return &s.cullFace;
        case GL_DEPTH_TEST:
            return &s.depthTest;
        case GL_SCISSOR_TEST:
            return &s.scissorTest;
        case GL_DITHER:
            return &s.dither;
        case GL_FOG:
            return &s.fog;
        case GL_LIGHTING:
            return &s.lighting;
        case GL_COLOR_MATERIAL:
            return &s.colorMaterial;
        case GL_TEXTURE_2D:
            return &s.texture2d;
        case GL_NORMALIZE:
            return &s.normalize;
        default:
            if (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + 8) {
                return &s.lightEnabled[cap - GL_LIGHT0];
            }
            return nullptr;
    }
}

void doEnable(GLenum cap, bool on) {
    if (!outsideBegin()) {
        return;
    }
    bool* flag = capability(cap);
    if (!flag) {
        setError(GL_INVALID_ENUM);
        return;
    }
    *flag = on;
    switch (cap) {
        case GL_BLEND:
        case GL_CULL_FACE:
        case GL_DEPTH_TEST:
        case GL_SCISSOR_TEST:
        case GL_DITHER:
            if (on) {
                glEnable(cap);
            } else {
                glDisable(cap);
            }
            break;
        case GL_COLOR_MATERIAL:
            updateColorMaterial();
            break;
        default:
            break;
    }
}

void doHint(GLenum target, GLenum mode) {
    if (!outsideBegin()) {
        return;
    }
    const bool targetOk = target == GL_PERSPECTIVE_CORRECTION_HINT ||
                          target == GL_POINT_SMOOTH_HINT || target == GL_LINE_SMOOTH_HINT ||
                          target == GL_POLYGON_SMOOTH_HINT || target == GL_FOG_HINT;
    const bool modeOk = mode == GL_FASTEST || mode == GL_NICEST || mode == GL_DONT_CARE;
    if (!targetOk || !modeOk) {
        setError(GL_INVALID_ENUM);
        return;
    }
    state->hints[target] = mode;
}

bool validBlendFactor(GLenum f) {
    return f == GL_ZERO || f == GL_ONE || (f >= GL_SRC_COLOR && f <= GL_SRC_ALPHA_SATURATE);
}

bool validFunc(GLenum f) {
    return f >= GL_NEVER && f <= GL_ALWAYS;
}

float clamp01(float v) {
    return v < 0.0f ? 0.0f : v > 1.0f ? 1.0f : v;
}

// Whether a clear covers the whole buffer (the size it had when attached).
bool clearsWhole() {
    const State& s = *state;
    return !s.scissorTest ||
           (s.scissor[0] <= 0 && s.scissor[1] <= 0 && s.scissor[0] + s.scissor[2] >= s.surface[0] &&
            s.scissor[1] + s.scissor[3] >= s.surface[1]);
}

// The clear colour the framebuffer gets. With 16 bits on an 8-bit buffer,
// what a 5-6-5 buffer cleared by llvmpipe reads back: a clear of the whole
// buffer rounds straight to 5-6-5, a scissored one is drawn, to 8 bits and
// truncated as a fragment is.
void applyClearColor(bool whole) {
    const State& s = *state;
    float c[4];
    for (int i = 0; i < 4; ++i) {
        c[i] = s.clearColor[i];
    }
    if (s.emulate565) {
        const int shift[3] = {3, 2, 3};
        const int bits[3] = {5, 6, 5};
        for (int i = 0; i < 3; ++i) {
            const float top = static_cast<float>((1 << bits[i]) - 1);
            const int q =
                whole ? static_cast<int>(std::nearbyint(clamp01(c[i]) * top))
                      : static_cast<int>(std::nearbyint(clamp01(c[i]) * 255.0f)) >> shift[i];
            c[i] = static_cast<float>((q << shift[i]) | (q >> (bits[i] - shift[i]))) / 255.0f;
        }
    }
    glClearColor(c[0], c[1], c[2], c[3]);
}

bool fogParam(GLenum pname, const float* params) {
    State& s = *state;
    switch (pname) {
        case GL_FOG_MODE: {
            const auto mode = static_cast<GLenum>(params[0]);
            if (mode != GL_LINEAR && mode != GL_EXP && mode != GL_EXP2) {
                return false;
            }
            s.fogMode = mode;
            return true;
        }
        case GL_FOG_DENSITY:
            if (params[0] < 0.0f) {
                setError(GL_INVALID_VALUE);
                return true;
            }
            s.fogDensity = params[0];
            return true;
        case GL_FOG_START:
            s.fogStart = params[0];
            return true;
        case GL_FOG_END:
            s.fogEnd = params[0];
            return true;
        case GL_FOG_INDEX:
            s.fogIndex = params[0];
            return true;
        case GL_FOG_COLOR:
            for (int i = 0; i < 4; ++i) {
                s.fogColor[i] = clamp01(params[i]);
            }
            return true;
        default:
            return false;
    }
}

void doFog(GLenum pname, const float* params) {
    if (!outsideBegin()) {
        return;
    }
    if (!fogParam(pname, params)) {
        setError(GL_INVALID_ENUM);
    }
}

void transformPoint(float* out, const float* m, const float* p) {
    out[0] = m[0] * p[0] + m[4] * p[1] + m[8] * p[2] + m[12] * p[3];
    out[1] = m[1] * p[0] + m[5] * p[1] + m[9] * p[2] + m[13] * p[3];
    out[2] = m[2] * p[0] + m[6] * p[1] + m[10] * p[2] + m[14] * p[3];
    out[3] = m[3] * p[0] + m[7] * p[1] + m[11] * p[2] + m[15] * p[3];
}

void doLight(GLenum which, GLenum pname, const float* params) {
    if (!outsideBegin()) {
        return;
    }
    if (which < GL_LIGHT0 || which >= GL_LIGHT0 + 8) {
        setError(GL_INVALID_ENUM);
        return;
    }
    Light& l = state->lights[which - GL_LIGHT0];
    switch (pname) {
        case GL_AMBIENT:
            std::memcpy(l.ambient, params, sizeof l.ambient);
            break;
        case GL_DIFFUSE:
            std::memcpy(l.diffuse, params, sizeof l.diffuse);
            break;
        case GL_SPECULAR:
            std::memcpy(l.specular, params, sizeof l.specular);
            break;
        case GL_POSITION:
            transformPoint(l.eyePosition, state->modelview.back().m, params);
            break;
        case GL_SPOT_DIRECTION: {
            const float* m = state->modelview.back().m;
            // As a direction: the modelview's upper 3 x 3.
            for (int i = 0; i < 3; ++i) {
                l.spotDirection[i] = m[i] * params[0] + m[4 + i] * params[1] + m[8 + i] * params[2];
            }
            break;
        }
        case GL_SPOT_EXPONENT:
            if (params[0] < 0.0f || params[0] > 128.0f) {
                setError(GL_INVALID_VALUE);
                return;
            }
            l.spotExponent = params[0];
            break;
        case GL_SPOT_CUTOFF:
            if ((params[0] < 0.0f || params[0] > 90.0f) && params[0] != 180.0f) {
                setError(GL_INVALID_VALUE);
                return;
            }
            l.spotCutoff = params[0];
            break;
        case GL_CONSTANT_ATTENUATION:
        case GL_LINEAR_ATTENUATION:
        case GL_QUADRATIC_ATTENUATION:
            if (params[0] < 0.0f) {
                setError(GL_INVALID_VALUE);
                return;
            }
            l.attenuation[pname - GL_CONSTANT_ATTENUATION] = params[0];
            break;
        default:
            setError(GL_INVALID_ENUM);
            break;
    }
}

void doLightModel(GLenum pname, const float* params) {
    if (!outsideBegin()) {
        return;
    }
    State& s = *state;
    switch (pname) {
        case GL_LIGHT_MODEL_AMBIENT:
            std::memcpy(s.modelAmbient, params, sizeof s.modelAmbient);
            break;
        case GL_LIGHT_MODEL_LOCAL_VIEWER:
            s.localViewer = params[0] != 0.0f;
            break;
        case GL_LIGHT_MODEL_TWO_SIDE:
            s.twoSide = params[0] != 0.0f;
            break;
        case GL_LIGHT_MODEL_COLOR_CONTROL: {
            const auto control = static_cast<GLenum>(params[0]);
            if (control != GL_SINGLE_COLOR && control != GL_SEPARATE_SPECULAR_COLOR) {
                setError(GL_INVALID_ENUM);
                return;
            }
            s.colorControl = control;
            break;
        }
        default:
            setError(GL_INVALID_ENUM);
            break;
    }
}

void doMaterial(GLenum face, GLenum pname, const float* params) {
    if (!outsideBegin()) {
        return;
    }
    State& s = *state;
    if (face != GL_FRONT && face != GL_BACK && face != GL_FRONT_AND_BACK) {
        setError(GL_INVALID_ENUM);
        return;
    }
    if (pname == GL_SHININESS && (params[0] < 0.0f || params[0] > 128.0f)) {
        setError(GL_INVALID_VALUE);
        return;
    }
    auto apply = [&](Material& m) {
        switch (pname) {
            case GL_AMBIENT:
                std::memcpy(m.ambient, params, sizeof m.ambient);
                return true;
            case GL_DIFFUSE:
                std::memcpy(m.diffuse, params, sizeof m.diffuse);
                return true;
            case GL_AMBIENT_AND_DIFFUSE:
                std::memcpy(m.ambient, params, sizeof m.ambient);
                std::memcpy(m.diffuse, params, sizeof m.diffuse);
                return true;
            case GL_SPECULAR:
                std::memcpy(m.specular, params, sizeof m.specular);
                return true;
            case GL_EMISSION:
                std::memcpy(m.emission, params, sizeof m.emission);
                return true;
            case GL_SHININESS:
                m.shininess = params[0];
                return true;
            default:
                return false;
        }
    };
    Material front = s.front, back = s.back;
    if ((face != GL_BACK && !apply(front)) || (face != GL_FRONT && !apply(back))) {
        setError(GL_INVALID_ENUM);
        return;
    }
    s.front = front;
    s.back = back;
}

void doColorMaterial(GLenum face, GLenum mode) {
    if (!outsideBegin()) {
        return;
    }
    const bool faceOk = face == GL_FRONT || face == GL_BACK || face == GL_FRONT_AND_BACK;
    const bool modeOk = mode == GL_AMBIENT || mode == GL_DIFFUSE || mode == GL_SPECULAR ||
                        mode == GL_EMISSION || mode == GL_AMBIENT_AND_DIFFUSE;
    if (!faceOk || !modeOk) {
        setError(GL_INVALID_ENUM);
        return;
    }
    state->colorMaterialFace = face;
    state->colorMaterialMode = mode;
    updateColorMaterial();
}

Texture& textureObject(GLuint name) {
    State& s = *state;
    Texture& t = s.textures[name];
    if (t.real == 0) {
        glGenTextures(1, &t.real);
        glBindTexture(GL_TEXTURE_2D, t.real);
        // GL 1.1's defaults where OpenGL ES's differ.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 1000);
    }
    s.maxTextureName = std::max(s.maxTextureName, name);
    return t;
}

void doBindTexture(GLenum target, GLuint name) {
    if (!outsideBegin()) {
        return;
    }
    if (target != GL_TEXTURE_2D) {
        setError(GL_INVALID_ENUM);
        return;
    }
    Texture& t = textureObject(name);
    state->boundTexture = name;
    glBindTexture(GL_TEXTURE_2D, t.real);
}

int components(GLenum format) {
    switch (format) {
        case GL_LUMINANCE:
            return 1;
        case GL_LUMINANCE_ALPHA:
            return 2;
        case GL_RGB:
            return 3;
        case GL_RGBA:
            return 4;
        default:
            return 0;
    }
}

// GL 1.1's internal formats the show can ask for, as unsized ES formats.
GLenum baseFormat(GLint internalFormat) {
    switch (internalFormat) {
        case 1:
        case GL_LUMINANCE:
            return GL_LUMINANCE;
        case 2:
        case GL_LUMINANCE_ALPHA:
            return GL_LUMINANCE_ALPHA;
        case 3:
        case GL_RGB:
            return GL_RGB;
        case 4:
        case GL_RGBA:
            return GL_RGBA;
        default:
            return 0;
    }
}

// The bytes the call reads: rows padded to the unpack alignment.
size_t rowBytes(int width, int pixelBytes, int alignment) {
    const size_t raw = static_cast<size_t>(width) * static_cast<size_t>(pixelBytes);
    return (raw + static_cast<size_t>(alignment) - 1) / static_cast<size_t>(alignment) *
           static_cast<size_t>(alignment);
}

void doTexImage(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                GLint border, GLenum format, GLenum type, const uint8_t* pixels, int alignment) {
    if (!outsideBegin()) {
        return;
    }
    State& s = *state;
    if (target != GL_TEXTURE_2D) {
        setError(GL_INVALID_ENUM);
        return;
    }
    const GLenum base = baseFormat(internalFormat);
    const int sourceComponents = components(format);
    if (base == 0) {
        setError(GL_INVALID_VALUE);
        return;
    }
    if (sourceComponents == 0 || type != GL_UNSIGNED_BYTE) {
        setError(GL_INVALID_ENUM);
        return;
    }
    int maxLevel = 0;
    while ((1 << (maxLevel + 1)) <= s.maxTextureSize) {
        ++maxLevel;
    }
    if (level < 0 || level > maxLevel || level >= kMaxLevels || border != 0 || width < 0 ||
        height < 0 || width > (s.maxTextureSize >> level) || height > (s.maxTextureSize >> level)) {
        setError(GL_INVALID_VALUE);
        return;
    }
    // Converted to the internal format's layout, rows packed: an ES
    // texture takes its data in its own format.
    const int outComponents = components(base);
    std::vector<uint8_t> data(static_cast<size_t>(width) * static_cast<size_t>(height) *
                              static_cast<size_t>(outComponents));
    if (pixels) {
        const size_t stride = rowBytes(width, sourceComponents, alignment);
        for (int y = 0; y < height; ++y) {
            const uint8_t* row = pixels + stride * static_cast<size_t>(y);
            for (int x = 0; x < width; ++x) {
                const uint8_t* in = row + static_cast<size_t>(x) * sourceComponents;
                uint8_t rgba[4];
                if (sourceComponents <= 2) {
                    rgba[0] = rgba[1] = rgba[2] = in[0];
                    rgba[3] = sourceComponents == 2 ? in[1] : 255;
                } else {
                    rgba[0] = in[0];
                    rgba[1] = in[1];
                    rgba[2] = in[2];
                    rgba[3] = sourceComponents == 4 ? in[3] : 255;
                }
                uint8_t* out = data.data() + (static_cast<size_t>(y) * static_cast<size_t>(width) +
                                              static_cast<size_t>(x)) *
                                                 static_cast<size_t>(outComponents);
                switch (base) {
                    case GL_LUMINANCE:
                        out[0] = rgba[0];
                        break;
                    case GL_LUMINANCE_ALPHA:
                        out[0] = rgba[0];
                        out[1] = rgba[3];
                        break;
                    case GL_RGB:
                        std::memcpy(out, rgba, 3);
                        break;
                    default:
                        std::memcpy(out, rgba, 4);
                        break;
                }
            }
        }
    }
    Texture& t = textureObject(s.boundTexture);
    glBindTexture(GL_TEXTURE_2D, t.real);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, level, static_cast<GLint>(base), width, height, 0, base,
                 GL_UNSIGNED_BYTE, data.empty() ? nullptr : data.data());
    t.levels[level] = {width, height, width > 0 && height > 0 ? base : 0u};
}

void doTexParameter(GLenum target, GLenum pname, GLint param) {
    if (!outsideBegin()) {
        return;
    }
    if (target != GL_TEXTURE_2D) {
        setError(GL_INVALID_ENUM);
        return;
    }
    Texture& t = textureObject(state->boundTexture);
    const auto p = static_cast<GLenum>(param);
    switch (pname) {
        case GL_TEXTURE_MIN_FILTER:
            if (p != GL_NEAREST && p != GL_LINEAR && p != GL_NEAREST_MIPMAP_NEAREST &&
                p != GL_LINEAR_MIPMAP_NEAREST && p != GL_NEAREST_MIPMAP_LINEAR &&
                p != GL_LINEAR_MIPMAP_LINEAR) {
                setError(GL_INVALID_ENUM);
                return;
            }
            t.minFilter = param;
            break;
        case GL_TEXTURE_MAG_FILTER:
            if (p != GL_NEAREST && p != GL_LINEAR) {
                setError(GL_INVALID_ENUM);
                return;
            }
            t.magFilter = param;
            break;
        case GL_TEXTURE_WRAP_S:
        case GL_TEXTURE_WRAP_T: {
            if (p != GL_REPEAT && p != GL_CLAMP && p != GL_CLAMP_TO_EDGE) {
                setError(GL_INVALID_ENUM);
                return;
            }
            (pname == GL_TEXTURE_WRAP_S ? t.wrapS : t.wrapT) = param;
            // GL_CLAMP blends with a border colour ES lacks: the nearest ES wrap.
            glBindTexture(GL_TEXTURE_2D, t.real);
            glTexParameteri(GL_TEXTURE_2D, pname, p == GL_CLAMP ? GL_CLAMP_TO_EDGE : param);
            return;
        }
        case GL_TEXTURE_BASE_LEVEL:
        case GL_TEXTURE_MAX_LEVEL:
            if (param < 0) {
                setError(GL_INVALID_VALUE);
                return;
            }
            (pname == GL_TEXTURE_BASE_LEVEL ? t.baseLevel : t.maxLevel) = param;
            break;
        default:
            setError(GL_INVALID_ENUM);
            return;
    }
    glBindTexture(GL_TEXTURE_2D, t.real);
    glTexParameteri(GL_TEXTURE_2D, pname, param);
}

void doTexEnv(GLenum target, GLenum pname, float param) {
    if (!outsideBegin()) {
        return;
    }
    const auto mode = static_cast<GLenum>(param);
    if (target != GL_TEXTURE_ENV || pname != GL_TEXTURE_ENV_MODE) {
        setError(GL_INVALID_ENUM);
        return;
    }
    if (mode != GL_MODULATE && mode != GL_DECAL && mode != GL_BLEND && mode != GL_REPLACE_ENV) {
        setError(GL_INVALID_ENUM);
        return;
    }
    state->texEnvMode = mode;
}

void doViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
    if (!outsideBegin()) {
        return;
    }
    if (w < 0 || h < 0) {
        setError(GL_INVALID_VALUE);
        return;
    }
    w = std::min(w, state->maxViewport[0]);
    h = std::min(h, state->maxViewport[1]);
    const GLint v[4] = {x, y, w, h};
    std::memcpy(state->viewport, v, sizeof v);
    glViewport(x, y, w, h);
}

void doScissor(GLint x, GLint y, GLsizei w, GLsizei h) {
    if (!outsideBegin()) {
        return;
    }
    if (w < 0 || h < 0) {
        setError(GL_INVALID_VALUE);
        return;
    }
    const GLint v[4] = {x, y, w, h};
    std::memcpy(state->scissor, v, sizeof v);
    glScissor(x, y, w, h);
}

void doClear(GLbitfield mask) {
    if (!outsideBegin()) {
        return;
    }
    const GLbitfield known =
        GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_ACCUM_BUFFER_BIT;
    if (mask & ~known) {
        setError(GL_INVALID_VALUE);
        return;
    }
    const GLbitfield real =
        mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    if (real) {
        if ((real & GL_COLOR_BUFFER_BIT) && state->emulate565) {
            applyClearColor(clearsWhole());
        }
        glClear(real);
    }
}

void run(const DisplayList& list);

void callList(GLuint name) {
    State& s = *state;
    if (s.callDepth == 0) {
        s.listRuns = 0;
    }
    if (++s.listRuns > kMaxListRuns) {
        return;
    }
    if (s.callDepth >= kMaxListNesting) {
        return;  // GL's nesting limit: deeper calls do nothing
    }
    auto found = s.lists.find(name);
    if (found == s.lists.end()) {
        return;
    }
    // Held while it runs: a list may delete or redefine itself.
    const std::shared_ptr<const DisplayList> list = found->second;
    ++s.callDepth;
    run(*list);
    --s.callDepth;
}

void doCallList(GLuint name) {
    if (name == 0) {
        setError(GL_INVALID_VALUE);  // only when called directly, as in Mesa
        return;
    }
    callList(name);
    if (state->callDepth == 0) {
        flush();
    }
}

void doListBase(GLuint base) {
    if (!outsideBegin()) {
        return;
    }
    state->listBase = base;
}

void doClearDepth(float depth) {
    if (!outsideBegin()) {
        return;
    }
    state->clearDepth = clamp01(depth);
    glClearDepthf(state->clearDepth);
}

void doBlendFunc(GLenum src, GLenum dst) {
    if (!outsideBegin()) {
        return;
    }
    if (!validBlendFactor(src) || !validBlendFactor(dst)) {
        setError(GL_INVALID_ENUM);
        return;
    }
    state->blendSrc = src;
    state->blendDst = dst;
    glBlendFunc(src, dst);
}

void doDepthFunc(GLenum func) {
    if (!outsideBegin()) {
        return;
    }
    if (!validFunc(func)) {
        setError(GL_INVALID_ENUM);
        return;
    }
    state->depthFunc = func;
    glDepthFunc(func);
}

void doDepthMask(bool flag) {
    if (!outsideBegin()) {
        return;
    }
    state->depthMask = flag;
    glDepthMask(flag ? GL_TRUE : GL_FALSE);
}

void doShadeModel(GLenum mode) {
    if (!outsideBegin()) {
        return;
    }
    if (mode != GL_FLAT && mode != GL_SMOOTH) {
        setError(GL_INVALID_ENUM);
        return;
    }
    state->shadeModel = mode;
}

void doFrontFace(GLenum mode) {
    if (!outsideBegin()) {
        return;
    }
    if (mode != GL_CW && mode != GL_CCW) {
        setError(GL_INVALID_ENUM);
        return;
    }
    state->frontFace = mode;
    glFrontFace(mode);
}

void doCullFace(GLenum mode) {
    if (!outsideBegin()) {
        return;
    }
    if (mode != GL_FRONT && mode != GL_BACK && mode != GL_FRONT_AND_BACK) {
        setError(GL_INVALID_ENUM);
        return;
    }
    state->cullMode = mode;
    glCullFace(mode);
}

void doClearColor(float r, float g, float b, float a) {
    if (!outsideBegin()) {
        return;
    }
    const float c[4] = {clamp01(r), clamp01(g), clamp01(b), clamp01(a)};
    std::memcpy(state->clearColor, c, sizeof c);
    applyClearColor(true);
}

bool validTextureUnit(GLenum unit) {
    return unit >= GL_TEXTURE0 && unit < GL_TEXTURE0 + kMaxTextureUnits;
}

void doActiveTexture(GLenum unit) {
    if (!outsideBegin()) {
        return;
    }
    if (!validTextureUnit(unit)) {
        setError(GL_INVALID_ENUM);
        return;
    }
    state->activeTexture = unit;
}

void doMultiTexCoord(GLenum unit, float s, float t) {
    if (!validTextureUnit(unit)) {
        setError(GL_INVALID_ENUM);
        return;
    }
    // The show draws with unit 0 alone; other units' coordinates are kept
    // nowhere, as nothing samples them.
    if (unit == GL_TEXTURE0) {
        state->texCoord[0] = s;
        state->texCoord[1] = t;
    }
}

void execute(const DisplayList& list, const Command& c) {
    State& s = *state;
    switch (c.op) {
        case Op::Begin:
            doBegin(c.e[0]);
            break;
        case Op::End:
            doEnd();
            break;
        case Op::Vertex:
            doVertex(c.f[0], c.f[1], c.f[2]);
            break;
        case Op::Normal:
            std::memcpy(s.normal, c.f, sizeof s.normal);
            break;
        case Op::Color:
            doColor(c.f[0], c.f[1], c.f[2], c.f[3]);
            break;
        case Op::TexCoord:
            s.texCoord[0] = c.f[0];
            s.texCoord[1] = c.f[1];
            break;
        case Op::CallOffset:
            callList(s.listBase + static_cast<GLuint>(c.i[0]));
            break;
        case Op::CallList:
            callList(static_cast<GLuint>(c.i[0]));
            break;
        case Op::ListBase:
            doListBase(static_cast<GLuint>(c.i[0]));
            break;
        case Op::MatrixMode:
            doMatrixMode(c.e[0]);
            break;
        case Op::LoadIdentity:
            if (beforeMatrixCall(true)) {
                loadIdentity(currentStack()->back());
            }
            break;
        case Op::PushMatrix:
            doPushMatrix();
            break;
        case Op::PopMatrix:
            doPopMatrix();
            break;
        case Op::Translate:
            if (beforeMatrixCall(true)) {
                translate(currentStack()->back(), c.f[0], c.f[1], c.f[2]);
            }
            break;
        case Op::Rotate:
            if (beforeMatrixCall(c.f[0] != 0.0f) && c.f[0] != 0.0f) {
                rotate(currentStack()->back(), c.f[0], c.f[1], c.f[2], c.f[3]);
            }
            break;
        case Op::Scale:
            if (beforeMatrixCall(true)) {
                scale(currentStack()->back(), c.f[0], c.f[1], c.f[2]);
            }
            break;
        case Op::Ortho:
        case Op::MultMatrix: {
            float m[16];
            std::memcpy(m, list.blobs[c.blob].data(), sizeof m);
            if (c.op == Op::Ortho) {
                doOrtho(m[0], m[1], m[2], m[3], m[4], m[5]);
            } else {
                doMultMatrix(m);
            }
            break;
        }
        case Op::Viewport:
            doViewport(c.i[0], c.i[1], c.i[2], c.i[3]);
            break;
        case Op::Enable:
        case Op::Disable:
            doEnable(c.e[0], c.op == Op::Enable);
            break;
        case Op::Hint:
            doHint(c.e[0], c.e[1]);
            break;
        case Op::ShadeModel:
            doShadeModel(c.e[0]);
            break;
        case Op::FrontFace:
            doFrontFace(c.e[0]);
            break;
        case Op::CullFace:
            doCullFace(c.e[0]);
            break;
        case Op::DepthFunc:
            doDepthFunc(c.e[0]);
            break;
        case Op::DepthMask:
            doDepthMask(c.i[0] != 0);
            break;
        case Op::ClearDepth:
            doClearDepth(c.f[0]);
            break;
        case Op::BlendFunc:
            doBlendFunc(c.e[0], c.e[1]);
            break;
        case Op::Scissor:
            doScissor(c.i[0], c.i[1], c.i[2], c.i[3]);
            break;
        case Op::ClearColor:
            doClearColor(c.f[0], c.f[1], c.f[2], c.f[3]);
            break;
        case Op::Clear:
            doClear(static_cast<GLbitfield>(c.i[0]));
            break;
        case Op::Fog:
            doFog(c.e[0], c.f);
            break;
        case Op::Light:
            doLight(c.e[0], c.e[1], c.f);
            break;
        case Op::LightModel:
            doLightModel(c.e[0], c.f);
            break;
        case Op::Material:
            doMaterial(c.e[0], c.e[1], c.f);
            break;
        case Op::ColorMaterial:
            doColorMaterial(c.e[0], c.e[1]);
            break;
        case Op::BindTexture:
            doBindTexture(c.e[0], static_cast<GLuint>(c.i[0]));
            break;
        case Op::TexImage: {
            const std::vector<uint8_t>& pixels = list.blobs[c.blob];
            doTexImage(c.e[0], c.i[0], c.i[1], c.i[2], c.i[3], 0, c.e[1], c.e[2],
                       pixels.empty() ? nullptr : pixels.data(), 1);
            break;
        }
        case Op::TexParameter:
            doTexParameter(c.e[0], c.e[1], c.i[0]);
            break;
        case Op::TexEnv:
            doTexEnv(c.e[0], c.e[1], c.f[0]);
            break;
        case Op::ActiveTexture:
            doActiveTexture(c.e[0]);
            break;
        case Op::MultiTexCoord:
            doMultiTexCoord(c.e[0], c.f[0], c.f[1]);
            break;
        case Op::Error:
            setError(c.e[0]);
            break;
    }
}

void run(const DisplayList& list) {
    for (const Command& c : list.commands) {
        execute(list, c);
    }
}

// ---- recording -----------------------------------------------------------

// While a list is compiled, the call goes into it; true when it should
// also run now.
bool record(const Command& c) {
    State& s = *state;
    if (!s.compiling) {
        return true;
    }
    s.pending.commands.push_back(c);
    return s.compileAndExecute;
}

uint32_t addBlob(const void* data, size_t size) {
    std::vector<uint8_t> blob(size);
    if (size) {
        std::memcpy(blob.data(), data, size);
    }
    state->pending.blobs.push_back(std::move(blob));
    return static_cast<uint32_t>(state->pending.blobs.size() - 1);
}

Command cmd(Op op) {
    Command c;
    c.op = op;
    return c;
}

Command cmdE(Op op, GLenum a, GLenum b = 0, GLenum e2 = 0) {
    Command c = cmd(op);
    c.e[0] = a;
    c.e[1] = b;
    c.e[2] = e2;
    return c;
}

Command cmdF(Op op, float a, float b = 0, float f2 = 0, float f3 = 0) {
    Command c = cmd(op);
    c.f[0] = a;
    c.f[1] = b;
    c.f[2] = f2;
    c.f[3] = f3;
    return c;
}

Command cmdI(Op op, int32_t a, int32_t b = 0, int32_t i2 = 0, int32_t i3 = 0) {
    Command c = cmd(op);
    c.i[0] = a;
    c.i[1] = b;
    c.i[2] = i2;
    c.i[3] = i3;
    return c;
}

// The parameters a vector call reads for `pname`.
int fogCount(GLenum pname) {
    return pname == GL_FOG_COLOR ? 4 : 1;
}
int lightCount(GLenum pname) {
    switch (pname) {
        case GL_AMBIENT:
        case GL_DIFFUSE:
        case GL_SPECULAR:
        case GL_POSITION:
            return 4;
        case GL_SPOT_DIRECTION:
            return 3;
        default:
            return 1;
    }
}
int materialCount(GLenum pname) {
    return pname == GL_SHININESS ? 1 : 4;
}
int lightModelCount(GLenum pname) {
    return pname == GL_LIGHT_MODEL_AMBIENT ? 4 : 1;
}

Command withParams(Command c, const float* params, int count) {
    for (int i = 0; i < count && params; ++i) {
        c.f[i] = params[i];
    }
    return c;
}

// ---- the entry points ----------------------------------------------------

void apiBegin(GLenum mode) {
    if (state && record(cmdE(Op::Begin, mode))) {
        doBegin(mode);
    }
}
void apiEnd() {
    if (state && record(cmd(Op::End))) {
        doEnd();
    }
}
void apiVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    if (state && record(cmdF(Op::Vertex, x, y, z))) {
        doVertex(x, y, z);
    }
}
void apiVertex2f(GLfloat x, GLfloat y) {
    apiVertex3f(x, y, 0.0f);
}
void apiNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    if (state && record(cmdF(Op::Normal, x, y, z))) {
        state->normal[0] = x;
        state->normal[1] = y;
        state->normal[2] = z;
    }
}
void apiColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    if (state && record(cmdF(Op::Color, r, g, b, a))) {
        doColor(r, g, b, a);
    }
}
void apiTexCoord2f(GLfloat s, GLfloat t) {
    if (state && record(cmdF(Op::TexCoord, s, t))) {
        state->texCoord[0] = s;
        state->texCoord[1] = t;
    }
}

void apiNewList(GLuint list, GLenum mode) {
    if (!state) {
        return;
    }
    State& s = *state;
    if (s.inBegin || s.compiling) {
        setError(GL_INVALID_OPERATION);
        return;
    }
    if (list == 0) {
        setError(GL_INVALID_VALUE);
        return;
    }
    if (mode != GL_COMPILE && mode != GL_COMPILE_AND_EXECUTE) {
        setError(GL_INVALID_ENUM);
        return;
    }
    flush();
    s.compiling = true;
    s.compileAndExecute = mode == GL_COMPILE_AND_EXECUTE;
    s.compilingName = list;
    s.pending = DisplayList{};
}

void apiEndList() {
    if (!state) {
        return;
    }
    State& s = *state;
    if (!s.compiling || s.inBegin) {
        setError(GL_INVALID_OPERATION);
        return;
    }
    flush();
    s.compiling = false;
    s.lists[s.compilingName] = std::make_shared<const DisplayList>(std::move(s.pending));
    s.maxListName = std::max(s.maxListName, s.compilingName);
    s.pending = DisplayList{};
}

void apiCallList(GLuint list) {
    if (state && record(cmdI(Op::CallList, static_cast<int32_t>(list)))) {
        doCallList(list);
    }
}

// The name at index i of a glCallLists array.
bool listName(GLenum type, const GLvoid* lists, GLsizei i, GLuint* name) {
    switch (type) {
        case GL_BYTE:
            *name = static_cast<GLuint>(static_cast<GLint>(static_cast<const GLbyte*>(lists)[i]));
            return true;
        case GL_UNSIGNED_BYTE:
            *name = static_cast<const GLubyte*>(lists)[i];
            return true;
        case GL_SHORT:
            *name = static_cast<GLuint>(static_cast<GLint>(static_cast<const GLshort*>(lists)[i]));
            return true;
        case GL_UNSIGNED_SHORT:
            *name = static_cast<const GLushort*>(lists)[i];
            return true;
        case GL_INT:
            *name = static_cast<GLuint>(static_cast<const GLint*>(lists)[i]);
            return true;
        case GL_UNSIGNED_INT:
            *name = static_cast<const GLuint*>(lists)[i];
            return true;
        case GL_FLOAT:
            *name = static_cast<GLuint>(static_cast<GLint>(static_cast<const GLfloat*>(lists)[i]));
            return true;
        default:
            return false;
    }
}

void apiCallLists(GLsizei n, GLenum type, const GLvoid* lists) {
    if (!state) {
        return;
    }
    State& s = *state;
    GLuint probe = 0;
    const bool typeOk = type == GL_BYTE || type == GL_UNSIGNED_BYTE || type == GL_SHORT ||
                        type == GL_UNSIGNED_SHORT || type == GL_INT || type == GL_UNSIGNED_INT ||
                        type == GL_FLOAT;
    GLenum error = GL_NO_ERROR;
    if (n < 0) {
        error = GL_INVALID_VALUE;
    } else if (!typeOk) {
        error = GL_INVALID_ENUM;
    } else if (n > 0 && !lists) {
        error = GL_INVALID_VALUE;
    }
    if (s.compiling) {
        if (error == GL_NO_ERROR && n > kMaxCompiledCallLists) {
            error = GL_OUT_OF_MEMORY;
        }
        if (error != GL_NO_ERROR) {
            if (!record(cmdE(Op::Error, error))) {
                return;
            }
        } else {
            for (GLsizei i = 0; i < n; ++i) {
                listName(type, lists, i, &probe);
                s.pending.commands.push_back(cmdI(Op::CallOffset, static_cast<int32_t>(probe)));
            }
            if (!s.compileAndExecute) {
                return;
            }
        }
    }
    if (error != GL_NO_ERROR) {
        setError(error);
        return;
    }
    for (GLsizei i = 0; i < n; ++i) {
        listName(type, lists, i, &probe);
        callList(s.listBase + probe);
    }
    if (s.callDepth == 0) {
        flush();
    }
}

void apiListBase(GLuint base) {
    if (state && record(cmdI(Op::ListBase, static_cast<int32_t>(base)))) {
        doListBase(base);
    }
}

GLuint apiGenLists(GLsizei range) {
    if (!state) {
        return 0;
    }
    State& s = *state;
    if (s.inBegin) {
        setError(GL_INVALID_OPERATION);
        return 0;
    }
    if (range < 0) {
        setError(GL_INVALID_VALUE);
        return 0;
    }
    if (range == 0) {
        return 0;
    }
    // After the highest name used so far, as Mesa hands them out.
    if (s.maxListName > 0xFFFFFFFFu - static_cast<GLuint>(range)) {
        setError(GL_OUT_OF_MEMORY);
        return 0;
    }
    const GLuint first = s.maxListName + 1;
    s.maxListName += static_cast<GLuint>(range);
    return first;
}

void apiDeleteLists(GLuint list, GLsizei range) {
    if (!state) {
        return;
    }
    State& s = *state;
    if (s.inBegin) {
        setError(GL_INVALID_OPERATION);
        return;
    }
    if (range < 0) {
        setError(GL_INVALID_VALUE);
        return;
    }
    const uint64_t end = static_cast<uint64_t>(list) + static_cast<uint64_t>(range);
    for (auto it = s.lists.lower_bound(list); it != s.lists.end() && it->first < end;) {
        it = s.lists.erase(it);
    }
}

void apiMatrixMode(GLenum mode) {
    if (state && record(cmdE(Op::MatrixMode, mode))) {
        doMatrixMode(mode);
    }
}
void apiLoadIdentity() {
    if (state && record(cmd(Op::LoadIdentity))) {
        execute(state->pending, cmd(Op::LoadIdentity));
    }
}
void apiPushMatrix() {
    if (state && record(cmd(Op::PushMatrix))) {
        doPushMatrix();
    }
}
void apiPopMatrix() {
    if (state && record(cmd(Op::PopMatrix))) {
        doPopMatrix();
    }
}
void apiTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    const Command c = cmdF(Op::Translate, x, y, z);
    if (state && record(c)) {
        execute(state->pending, c);
    }
}
void apiRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    const Command c = cmdF(Op::Rotate, angle, x, y, z);
    if (state && record(c)) {
        execute(state->pending, c);
    }
}
void apiScalef(GLfloat x, GLfloat y, GLfloat z) {
    const Command c = cmdF(Op::Scale, x, y, z);
    if (state && record(c)) {
        execute(state->pending, c);
    }
}
void apiOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    if (!state) {
        return;
    }
    // GL keeps them as floats, in a list too.
    const float m[16] = {static_cast<float>(l), static_cast<float>(r), static_cast<float>(b),
                         static_cast<float>(t), static_cast<float>(n), static_cast<float>(f)};
    if (state->compiling) {
        Command c = cmd(Op::Ortho);
        c.blob = addBlob(m, sizeof m);
        if (!record(c)) {
            return;
        }
    }
    doOrtho(m[0], m[1], m[2], m[3], m[4], m[5]);
}
void multMatrix(const float* m) {
    if (state->compiling) {
        Command c = cmd(Op::MultMatrix);
        c.blob = addBlob(m, 16 * sizeof(float));
        if (!record(c)) {
            return;
        }
    }
    doMultMatrix(m);
}

void apiViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
    if (state && record(cmdI(Op::Viewport, x, y, w, h))) {
        doViewport(x, y, w, h);
    }
}
void apiEnable(GLenum cap) {
    if (state && record(cmdE(Op::Enable, cap))) {
        doEnable(cap, true);
    }
}
void apiDisable(GLenum cap) {
    if (state && record(cmdE(Op::Disable, cap))) {
        doEnable(cap, false);
    }
}
GLboolean apiIsEnabled(GLenum cap) {
    if (!state) {
        return GL_FALSE;
    }
    if (state->inBegin) {
        setError(GL_INVALID_OPERATION);
        return GL_FALSE;
    }
    const bool* flag = capability(cap);
    if (!flag) {
        setError(GL_INVALID_ENUM);
        return GL_FALSE;
    }
    return *flag ? GL_TRUE : GL_FALSE;
}
void apiHint(GLenum target, GLenum mode) {
    if (state && record(cmdE(Op::Hint, target, mode))) {
        doHint(target, mode);
    }
}
void apiShadeModel(GLenum mode) {
    if (state && record(cmdE(Op::ShadeModel, mode))) {
        doShadeModel(mode);
    }
}
void apiFrontFace(GLenum mode) {
    if (state && record(cmdE(Op::FrontFace, mode))) {
        doFrontFace(mode);
    }
}
void apiCullFace(GLenum mode) {
    if (state && record(cmdE(Op::CullFace, mode))) {
        doCullFace(mode);
    }
}
void apiDepthFunc(GLenum func) {
    if (state && record(cmdE(Op::DepthFunc, func))) {
        doDepthFunc(func);
    }
}
void apiDepthMask(GLboolean flag) {
    if (state && record(cmdI(Op::DepthMask, flag))) {
        doDepthMask(flag != 0);
    }
}
void apiClearDepth(GLclampd depth) {
    const auto d = static_cast<float>(depth);
    if (state && record(cmdF(Op::ClearDepth, d))) {
        doClearDepth(d);
    }
}
void apiBlendFunc(GLenum src, GLenum dst) {
    if (state && record(cmdE(Op::BlendFunc, src, dst))) {
        doBlendFunc(src, dst);
    }
}
void apiScissor(GLint x, GLint y, GLsizei w, GLsizei h) {
    if (state && record(cmdI(Op::Scissor, x, y, w, h))) {
        doScissor(x, y, w, h);
    }
}
void apiClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    if (state && record(cmdF(Op::ClearColor, r, g, b, a))) {
        doClearColor(r, g, b, a);
    }
}
void apiClear(GLbitfield mask) {
    if (state && record(cmdI(Op::Clear, static_cast<int32_t>(mask)))) {
        doClear(mask);
    }
}
void apiFlush() {
    if (!state) {
        return;
    }
    flush();
    glFlush();
}
void apiFogfv(GLenum pname, const GLfloat* params) {
    if (!state) {
        return;
    }
    if (!params) {
        setError(GL_INVALID_VALUE);
        return;
    }
    const Command c = withParams(cmdE(Op::Fog, pname), params, fogCount(pname));
    if (record(c)) {
        doFog(pname, c.f);
    }
}
void apiFogf(GLenum pname, GLfloat param) {
    if (!state) {
        return;
    }
    if (pname == GL_FOG_COLOR) {
        setError(GL_INVALID_ENUM);
        return;
    }
    const float params[4] = {param, 0, 0, 0};
    apiFogfv(pname, params);
}
void apiLightfv(GLenum light, GLenum pname, const GLfloat* params) {
    if (!state) {
        return;
    }
    if (!params) {
        setError(GL_INVALID_VALUE);
        return;
    }
    const Command c = withParams(cmdE(Op::Light, light, pname), params, lightCount(pname));
    if (record(c)) {
        doLight(light, pname, c.f);
    }
}
void apiLightModelfv(GLenum pname, const GLfloat* params) {
    if (!state) {
        return;
    }
    if (!params) {
        setError(GL_INVALID_VALUE);
        return;
    }
    const Command c = withParams(cmdE(Op::LightModel, pname), params, lightModelCount(pname));
    if (record(c)) {
        doLightModel(pname, c.f);
    }
}
void apiLightModelf(GLenum pname, GLfloat param) {
    if (state && pname == GL_LIGHT_MODEL_AMBIENT) {
        setError(GL_INVALID_ENUM);
        return;
    }
    const float params[4] = {param, 0, 0, 0};
    apiLightModelfv(pname, params);
}
void apiLightModeli(GLenum pname, GLint param) {
    apiLightModelf(pname, static_cast<float>(param));
}
void apiMaterialfv(GLenum face, GLenum pname, const GLfloat* params) {
    if (!state) {
        return;
    }
    if (!params) {
        setError(GL_INVALID_VALUE);
        return;
    }
    const Command c = withParams(cmdE(Op::Material, face, pname), params, materialCount(pname));
    if (record(c)) {
        doMaterial(face, pname, c.f);
    }
}
void apiMaterialf(GLenum face, GLenum pname, GLfloat param) {
    if (state && pname != GL_SHININESS) {
        setError(GL_INVALID_ENUM);
        return;
    }
    const float params[4] = {param, 0, 0, 0};
    apiMaterialfv(face, pname, params);
}
void apiColorMaterial(GLenum face, GLenum mode) {
    if (state && record(cmdE(Op::ColorMaterial, face, mode))) {
        doColorMaterial(face, mode);
    }
}
void apiGenTextures(GLsizei n, GLuint* textures) {
    if (!state) {
        return;
    }
    State& s = *state;
    if (n < 0 || (n > 0 && !textures)) {
        setError(GL_INVALID_VALUE);
        return;
    }
    if (s.maxTextureName > 0xFFFFFFFFu - static_cast<GLuint>(n)) {
        setError(GL_OUT_OF_MEMORY);
        return;
    }
    for (GLsizei i = 0; i < n; ++i) {
        textures[i] = ++s.maxTextureName;
    }
}
void apiBindTexture(GLenum target, GLuint texture) {
    Command c = cmdE(Op::BindTexture, target);
    c.i[0] = static_cast<int32_t>(texture);
    if (state && record(c)) {
        doBindTexture(target, texture);
    }
}
void apiTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                   GLint border, GLenum format, GLenum type, const GLvoid* pixels) {
    if (!state) {
        return;
    }
    State& s = *state;
    const auto* bytes = static_cast<const uint8_t*>(pixels);
    if (s.compiling) {
        // The pixels as they are now, packed (GL copies them into the list).
        Command c = cmdE(Op::TexImage, target, format, type);
        c.i[0] = level;
        c.i[1] = internalFormat;
        c.i[2] = width;
        c.i[3] = height;
        const int n = components(format);
        const bool sizeOk = width >= 0 && height >= 0 && width <= s.maxTextureSize &&
                            height <= s.maxTextureSize && n > 0 && type == GL_UNSIGNED_BYTE &&
                            border == 0;
        if (!sizeOk) {
            // Recorded without pixels: it fails with GL's error when run.
            c.blob = addBlob(nullptr, 0);
        } else {
            std::vector<uint8_t> packed;
            if (bytes) {
                const size_t stride = rowBytes(width, n, s.unpackAlignment);
                const size_t row = static_cast<size_t>(width) * static_cast<size_t>(n);
                packed.resize(row * static_cast<size_t>(height));
                for (int y = 0; y < height; ++y) {
                    std::memcpy(packed.data() + row * static_cast<size_t>(y),
                                bytes + stride * static_cast<size_t>(y), row);
                }
            }
            c.blob = addBlob(packed.data(), packed.size());
        }
        if (!record(c)) {
            return;
        }
    }
    doTexImage(target, level, internalFormat, width, height, border, format, type, bytes,
               s.unpackAlignment);
}
void apiTexParameteri(GLenum target, GLenum pname, GLint param) {
    if (!state) {
        return;
    }
    Command c = cmdE(Op::TexParameter, target, pname);
    c.i[0] = param;
    if (record(c)) {
        doTexParameter(target, pname, param);
    }
}
void apiTexEnvf(GLenum target, GLenum pname, GLfloat param) {
    if (!state) {
        return;
    }
    Command c = cmdE(Op::TexEnv, target, pname);
    c.f[0] = param;
    if (record(c)) {
        doTexEnv(target, pname, param);
    }
}
void apiPixelStorei(GLenum pname, GLint param) {
    if (!state) {
        return;
    }
    if (pname != GL_UNPACK_ALIGNMENT && pname != GL_PACK_ALIGNMENT) {
        setError(GL_INVALID_ENUM);
        return;
    }
    if (param != 1 && param != 2 && param != 4 && param != 8) {
        setError(GL_INVALID_VALUE);
        return;
    }
    if (pname == GL_UNPACK_ALIGNMENT) {
        state->unpackAlignment = param;
    } else {
        glPixelStorei(GL_PACK_ALIGNMENT, param);
    }
}

// ---- queries -------------------------------------------------------------

// The values of one glGet: floats, or integers where GL keeps integers.
struct Answer {
    int count = 0;
    float f[16];
    GLint i[16];
    bool integer = false;
    bool colour = false;  // floats GL scales to the integer range for glGetIntegerv
};

Answer ints(std::initializer_list<GLint> values) {
    Answer a;
    a.integer = true;
    for (GLint v : values) {
        a.i[a.count++] = v;
    }
    return a;
}

Answer floats(const float* values, int count, bool colour = false) {
    Answer a;
    a.count = count;
    a.colour = colour;
    std::memcpy(a.f, values, sizeof(float) * static_cast<size_t>(count));
    return a;
}

bool answer(GLenum pname, Answer* out) {
    const State& s = *state;
    switch (pname) {
        case GL_MODELVIEW_MATRIX:
            *out = floats(s.modelview.back().m, 16);
            return true;
        case GL_PROJECTION_MATRIX:
            *out = floats(s.projection.back().m, 16);
            return true;
        case GL_TEXTURE_MATRIX:
            *out = floats(s.texture.back().m, 16);
            return true;
        case GL_VIEWPORT:
            *out = ints({s.viewport[0], s.viewport[1], s.viewport[2], s.viewport[3]});
            return true;
        case GL_SCISSOR_BOX:
            *out = ints({s.scissor[0], s.scissor[1], s.scissor[2], s.scissor[3]});
            return true;
        case GL_COLOR_CLEAR_VALUE:
            *out = floats(s.clearColor, 4, true);
            return true;
        case GL_DEPTH_CLEAR_VALUE:
            *out = floats(&s.clearDepth, 1, true);
            return true;
        case GL_MAX_TEXTURE_SIZE:
            *out = ints({s.maxTextureSize});
            return true;
        case GL_MATRIX_MODE:
            *out = ints({static_cast<GLint>(s.matrixMode)});
            return true;
        case GL_MODELVIEW_STACK_DEPTH:
            *out = ints({static_cast<GLint>(s.modelview.size())});
            return true;
        case GL_PROJECTION_STACK_DEPTH:
            *out = ints({static_cast<GLint>(s.projection.size())});
            return true;
        case GL_TEXTURE_STACK_DEPTH:
            *out = ints({static_cast<GLint>(s.texture.size())});
            return true;
        case GL_MAX_MODELVIEW_STACK_DEPTH:
            *out = ints({kModelviewDepth});
            return true;
        case GL_MAX_PROJECTION_STACK_DEPTH:
            *out = ints({kProjectionDepth});
            return true;
        case GL_MAX_TEXTURE_STACK_DEPTH:
            *out = ints({kTextureDepth});
            return true;
        case GL_MAX_LIST_NESTING:
            *out = ints({kMaxListNesting});
            return true;
        case GL_LIST_BASE:
            *out = ints({static_cast<GLint>(s.listBase)});
            return true;
        case GL_LIST_INDEX:
            *out = ints({s.compiling ? static_cast<GLint>(s.compilingName) : 0});
            return true;
        case GL_LIST_MODE:
            *out =
                ints({s.compiling ? static_cast<GLint>(s.compileAndExecute ? GL_COMPILE_AND_EXECUTE
                                                                           : GL_COMPILE)
                                  : 0});
            return true;
        case GL_CURRENT_COLOR:
            *out = floats(s.color, 4, true);
            return true;
        case GL_CURRENT_NORMAL:
            *out = floats(s.normal, 3, true);
            return true;
        case GL_CURRENT_TEXTURE_COORDS: {
            const float st[4] = {s.texCoord[0], s.texCoord[1], 0, 1};
            *out = floats(st, 4);
            return true;
        }
        case GL_FOG_COLOR:
            *out = floats(s.fogColor, 4, true);
            return true;
        case GL_FOG_START:
            *out = floats(&s.fogStart, 1);
            return true;
        case GL_FOG_END:
            *out = floats(&s.fogEnd, 1);
            return true;
        case GL_FOG_DENSITY:
            *out = floats(&s.fogDensity, 1);
            return true;
        case GL_FOG_MODE:
            *out = ints({static_cast<GLint>(s.fogMode)});
            return true;
        case GL_LIGHT_MODEL_AMBIENT:
            *out = floats(s.modelAmbient, 4, true);
            return true;
        case GL_LIGHT_MODEL_LOCAL_VIEWER:
            *out = ints({s.localViewer ? 1 : 0});
            return true;
        case GL_LIGHT_MODEL_COLOR_CONTROL:
            *out = ints({static_cast<GLint>(s.colorControl)});
            return true;
        case GL_BLEND_SRC:
            *out = ints({static_cast<GLint>(s.blendSrc)});
            return true;
        case GL_BLEND_DST:
            *out = ints({static_cast<GLint>(s.blendDst)});
            return true;
        case GL_DEPTH_FUNC:
            *out = ints({static_cast<GLint>(s.depthFunc)});
            return true;
        case GL_DEPTH_WRITEMASK:
            *out = ints({s.depthMask ? 1 : 0});
            return true;
        case GL_CULL_FACE_MODE:
            *out = ints({static_cast<GLint>(s.cullMode)});
            return true;
        case GL_FRONT_FACE:
            *out = ints({static_cast<GLint>(s.frontFace)});
            return true;
        case GL_SHADE_MODEL:
            *out = ints({static_cast<GLint>(s.shadeModel)});
            return true;
        case GL_UNPACK_ALIGNMENT:
            *out = ints({s.unpackAlignment});
            return true;
        case GL_TEXTURE_BINDING_2D:
            *out = ints({static_cast<GLint>(s.boundTexture)});
            return true;
        case GL_ACTIVE_TEXTURE:
            *out = ints({static_cast<GLint>(s.activeTexture)});
            return true;
        default: {
            const bool* flag = capability(pname);
            if (flag) {
                *out = ints({*flag ? 1 : 0});
                return true;
            }
            auto hint = s.hints.find(pname);
            if (pname == GL_PERSPECTIVE_CORRECTION_HINT || pname == GL_POINT_SMOOTH_HINT ||
                pname == GL_LINE_SMOOTH_HINT || pname == GL_POLYGON_SMOOTH_HINT ||
                pname == GL_FOG_HINT) {
                *out =
                    ints({static_cast<GLint>(hint == s.hints.end() ? GL_DONT_CARE : hint->second)});
                return true;
            }
            return false;
        }
    }
}

void apiGetFloatv(GLenum pname, GLfloat* params) {
    if (!state) {
        return;
    }
    Answer a;
    if (!params || !answer(pname, &a)) {
        setError(params ? GL_INVALID_ENUM : GL_INVALID_VALUE);
        return;
    }
    for (int i = 0; i < a.count; ++i) {
        params[i] = a.integer ? static_cast<float>(a.i[i]) : a.f[i];
    }
}

void apiGetIntegerv(GLenum pname, GLint* params) {
    if (!state) {
        return;
    }
    Answer a;
    if (!params || !answer(pname, &a)) {
        setError(params ? GL_INVALID_ENUM : GL_INVALID_VALUE);
        return;
    }
    for (int i = 0; i < a.count; ++i) {
        if (a.integer) {
            params[i] = a.i[i];
        } else if (a.colour) {
            // GL maps [-1, 1] onto the whole integer range.
            params[i] = static_cast<GLint>(2147483647.0 * static_cast<double>(a.f[i]));
        } else {
            params[i] = static_cast<GLint>(std::lround(a.f[i]));
        }
    }
}

void apiGetTexParameteriv(GLenum target, GLenum pname, GLint* params) {
    if (!state) {
        return;
    }
    if (target != GL_TEXTURE_2D || !params) {
        setError(GL_INVALID_ENUM);
        return;
    }
    const Texture* t = boundTexture();
    const Texture defaults;
    if (!t) {
        t = &defaults;
    }
    switch (pname) {
        case GL_TEXTURE_MIN_FILTER:
            *params = t->minFilter;
            return;
        case GL_TEXTURE_MAG_FILTER:
            *params = t->magFilter;
            return;
        case GL_TEXTURE_WRAP_S:
            *params = t->wrapS;
            return;
        case GL_TEXTURE_WRAP_T:
            *params = t->wrapT;
            return;
        case GL_TEXTURE_BASE_LEVEL:
            *params = t->baseLevel;
            return;
        case GL_TEXTURE_MAX_LEVEL:
            *params = t->maxLevel;
            return;
        default:
            setError(GL_INVALID_ENUM);
            return;
    }
}

void apiGetTexLevelParameteriv(GLenum target, GLint level, GLenum pname, GLint* params) {
    if (!state) {
        return;
    }
    if (target != GL_TEXTURE_2D || !params) {
        setError(GL_INVALID_ENUM);
        return;
    }
    if (level < 0 || level >= kMaxLevels) {
        setError(GL_INVALID_VALUE);
        return;
    }
    const Texture* t = boundTexture();
    const Texture::Level empty;
    const Texture::Level& l = t ? t->levels[level] : empty;
    switch (pname) {
        case GL_TEXTURE_WIDTH:
            *params = l.width;
            return;
        case GL_TEXTURE_HEIGHT:
            *params = l.height;
            return;
        default:
            setError(GL_INVALID_ENUM);
            return;
    }
}

// ---- GLU -----------------------------------------------------------------

void apiPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    if (!state) {
        return;
    }
    // As libGLU computes it, in double, handed over as glMultMatrixd does.
    const double radians = fovy / 2 * 3.14159265358979323846 / 180;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0) {
        return;
    }
    const double cotangent = std::cos(radians) / sine;
    double m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    m[0] = cotangent / aspect;
    m[5] = cotangent;
    m[10] = -(zFar + zNear) / deltaZ;
    m[11] = -1;
    m[14] = -2 * zNear * zFar / deltaZ;
    m[15] = 0;
    float f[16];
    for (int i = 0; i < 16; ++i) {
        f[i] = static_cast<float>(m[i]);
    }
    multMatrix(f);
}

GLint apiBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width, GLsizei height,
                        GLenum format, GLenum type, const void* data) {
    // GLU's own error codes.
    constexpr GLint kGluInvalidEnum = 100900;
    constexpr GLint kGluInvalidValue = 100901;
    if (!state) {
        return kGluInvalidValue;
    }
    if (width < 1 || height < 1) {
        return kGluInvalidValue;
    }
    if (type != GL_UNSIGNED_BYTE || components(format) == 0) {
        return kGluInvalidEnum;
    }
    const std::vector<MipLevel> levels =
        gluMipmapLevels(components(format), width, height, static_cast<const uint8_t*>(data),
                        state->unpackAlignment, state->maxTextureSize);
    if (levels.empty()) {
        return kGluInvalidValue;
    }
    // Each level as GL stores it, rows packed: uploaded with an alignment of
    // 1, the caller's restored after.
    const GLint alignment = state->unpackAlignment;
    state->unpackAlignment = 1;
    for (size_t level = 0; level < levels.size(); ++level) {
        apiTexImage2D(target, static_cast<GLint>(level), internalFormat, levels[level].width,
                      levels[level].height, 0, format, type, levels[level].pixels.data());
    }
    state->unpackAlignment = alignment;
    return 0;
}

// ---- GL_ARB_multitexture -------------------------------------------------

void apiActiveTexture(GLenum unit) {
    if (state && record(cmdE(Op::ActiveTexture, unit))) {
        doActiveTexture(unit);
    }
}
void apiClientActiveTexture(GLenum unit) {
    if (!state) {
        return;
    }
    if (!validTextureUnit(unit)) {
        setError(GL_INVALID_ENUM);
        return;
    }
    state->clientActiveTexture = unit;
}
void apiMultiTexCoord2f(GLenum unit, GLfloat s, GLfloat t) {
    Command c = cmdF(Op::MultiTexCoord, s, t);
    c.e[0] = unit;
    if (state && record(c)) {
        doMultiTexCoord(unit, s, t);
    }
}
void apiMultiTexCoord2fv(GLenum unit, const GLfloat* v) {
    if (!v) {
        if (state) {
            setError(GL_INVALID_VALUE);
        }
        return;
    }
    apiMultiTexCoord2f(unit, v[0], v[1]);
}

void* apiProcAddress(const char* name) {
    if (!name) {
        return nullptr;
    }
    const std::pair<const char*, void*> known[] = {
        {"glActiveTextureARB", reinterpret_cast<void*>(&apiActiveTexture)},
        {"glClientActiveTextureARB", reinterpret_cast<void*>(&apiClientActiveTexture)},
        {"glMultiTexCoord2fARB", reinterpret_cast<void*>(&apiMultiTexCoord2f)},
        {"glMultiTexCoord2fvARB", reinterpret_cast<void*>(&apiMultiTexCoord2fv)},
    };
    for (const auto& [known_name, function] : known) {
        if (std::strcmp(name, known_name) == 0) {
            return function;
        }
    }
    return nullptr;
}

const Entries kTable = {
    apiBegin,
    apiEnd,
    apiVertex2f,
    apiVertex3f,
    apiNormal3f,
    apiColor4f,
    apiTexCoord2f,
    apiNewList,
    apiEndList,
    apiCallList,
    apiCallLists,
    apiListBase,
    apiGenLists,
    apiDeleteLists,
    apiMatrixMode,
    apiLoadIdentity,
    apiPushMatrix,
    apiPopMatrix,
    apiTranslatef,
    apiRotatef,
    apiScalef,
    apiOrtho,
    apiViewport,
    apiEnable,
    apiDisable,
    apiIsEnabled,
    apiHint,
    apiShadeModel,
    apiFrontFace,
    apiCullFace,
    apiDepthFunc,
    apiDepthMask,
    apiClearDepth,
    apiBlendFunc,
    apiScissor,
    apiClearColor,
    apiClear,
    apiFlush,
    apiFogf,
    apiFogfv,
    apiLightfv,
    apiLightModelf,
    apiLightModeli,
    apiLightModelfv,
    apiMaterialf,
    apiMaterialfv,
    apiColorMaterial,
    apiGenTextures,
    apiBindTexture,
    apiTexImage2D,
    apiTexParameteri,
    apiTexEnvf,
    apiPixelStorei,
    apiGetFloatv,
    apiGetIntegerv,
    apiGetTexParameteriv,
    apiGetTexLevelParameteriv,
    apiPerspective,
    apiBuild2DMipmaps,
    apiProcAddress,
};

void deleteObjects(State& s) {
    for (auto& [k, p] : s.programs) {
        glDeleteProgram(p.id);
    }
    s.programs.clear();
    for (auto& [name, t] : s.textures) {
        if (t.real) {
            glDeleteTextures(1, &t.real);
        }
    }
    s.textures.clear();
    if (s.buffer) {
        glDeleteBuffers(1, &s.buffer);
    }
    if (s.destination) {
        glDeleteTextures(1, &s.destination);
    }
    if (s.vertexArray) {
        glDeleteVertexArrays(1, &s.vertexArray);
    }
}

}  // namespace

bool attachSubset(const SubsetOptions& options, std::string* error) {
    detachSubset();
    auto s = std::make_unique<State>();
    s->options = options;
    if (options.colourBits != 16 && options.colourBits != 32) {
        if (error) {
            *error = "colour bits must be 16 or 32";
        }
        return false;
    }
    state = s.get();
    FixedMatrix identity;
    loadIdentity(identity);
    s->modelview.assign(1, identity);
    s->projection.assign(1, identity);
    s->texture.assign(1, identity);
    s->lights[0].diffuse[0] = s->lights[0].diffuse[1] = s->lights[0].diffuse[2] = 1;
    s->lights[0].specular[0] = s->lights[0].specular[1] = s->lights[0].specular[2] = 1;
    // Every variant the show draws with must build: the plain one proves
    // the context can run the subset at all.
    std::string reason;
    if (!program(0, &reason) ||
        !program(key::kLighting | key::kTexture | (1u << key::kFogShift), &reason)) {
        deleteObjects(*s);
        state = nullptr;
        if (error) {
            *error = reason;
        }
        return false;
    }
    GLint redBits = 8;
    glGetIntegerv(GL_RED_BITS, &redBits);
    s->emulate565 = options.colourBits == 16 && redBits > 5;
    // llvmpipe never dithers; GL's default lets others dither a 5-6-5
    // buffer.
    glDisable(GL_DITHER);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &s->maxTextureSize);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, s->maxViewport);
    glGetIntegerv(GL_VIEWPORT, s->viewport);
    s->surface[0] = s->viewport[2];
    s->surface[1] = s->viewport[3];
    glGetIntegerv(GL_SCISSOR_BOX, s->scissor);
    glGenVertexArrays(1, &s->vertexArray);
    glGenBuffers(1, &s->buffer);
    glBindVertexArray(s->vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, s->buffer);
    const auto stride = static_cast<GLsizei>(sizeof(Vertex));
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(Vertex, position)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(Vertex, color)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 3, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(Vertex, normal)));
    glEnableVertexAttribArray(3);
    glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(Vertex, texCoord)));
    glEnableVertexAttribArray(4);
    glVertexAttribPointer(4, 1, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(Vertex, matrices)));
    // GL 1.1's initial state in the real context.
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_SCISSOR_TEST);
    glEnable(GL_DITHER);
    glBlendFunc(GL_ONE, GL_ZERO);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glClearDepthf(1.0f);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    applyClearColor(true);
    // Texture 0 exists from the start, as in GL.
    textureObject(0);
    glBindTexture(GL_TEXTURE_2D, s->textures[0].real);
    s->maxTextureName = 0;
    s.release();
    entries = kTable;
    return true;
}

void detachSubset() {
    if (!state) {
        return;
    }
    std::unique_ptr<State> s(state);
    state = nullptr;
    deleteObjects(*s);
}

const Entries& subsetEntries() {
    return kTable;
}

GLenum subsetError() {
    if (!state) {
        return GL_NO_ERROR;
    }
    const GLenum error = state->error;
    state->error = GL_NO_ERROR;
    return error;
}

}  // namespace tev::gl11

#include "gl11/subset_shaders.h"

namespace tev::gl11 {

// The fixed-function vertex stage as Mesa's generated vertex program
// computes it: position by the product of projection and modelview, the
// normal by the rows of the modelview's inverse-transpose (not normalised),
// one light with LIT's clamps, colours clamped, fog coordinate |z eye|.
const char* const kSubsetVertexShader = R"(
precision highp float;
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec4 aColor;
layout(location = 2) in vec3 aNormal;
layout(location = 3) in vec2 aTexCoord;
layout(location = 4) in float aMatrices;
uniform mat4 uMvp[MATRICES];
uniform mat4 uModelview[MATRICES];
uniform vec3 uNormalRows[3 * MATRICES];
uniform mat4 uTextureMatrix;
uniform vec4 uSceneColor;     // emission + model ambient * material ambient, diffuse alpha
uniform vec4 uModelAmbient;
uniform vec4 uMaterialAmbient;
uniform vec4 uEmission;
uniform vec4 uAmbient;        // material values (or light products, see below)
uniform vec4 uDiffuse;
uniform vec4 uSpecular;
uniform float uShininess;
uniform vec4 uLightAmbient;   // light values, multiplied by tracked colours
uniform vec4 uLightDiffuse;
uniform vec4 uLightSpecular;
uniform vec4 uLightPosition;  // eye space; normalised direction when directional
uniform vec4 uLightHalf;      // directional, infinite viewer
uniform vec3 uAttenuation;
out vec4 vColor;
out vec3 vSpecular;
out vec4 vTexCoord;
out float vFog;

// Long normals under a high exponent overflow the specular factor to
// infinity, and infinity times a zero specular colour is NaN. Mesa's clamp
// of the vertex colours turns NaN into 1 (a white vertex); GLSL's clamp
// would make it 0.
vec4 clampNanToOne(vec4 c) {
    return mix(clamp(c, 0.0, 1.0), vec4(1.0), isnan(c));
}

vec3 normalised(vec3 v) {
    return v * inversesqrt(abs(dot(v, v)));
}

void main() {
    vec4 p = vec4(aPosition, 1.0);
    int m = int(aMatrices);
    mat4 mvp = uMvp[m];
    gl_Position = mvp[0] * p.x + mvp[1] * p.y + mvp[2] * p.z + mvp[3] * p.w;
#if defined(LIGHTING) || defined(FOG)
    mat4 modelview = uModelview[m];
    vec4 eye = modelview[0] * p.x + modelview[1] * p.y + modelview[2] * p.z + modelview[3] * p.w;
#endif
#ifdef LIGHTING
    vec3 n = vec3(dot(aNormal, uNormalRows[3 * m]), dot(aNormal, uNormalRows[3 * m + 1]),
                  dot(aNormal, uNormalRows[3 * m + 2]));
#ifdef NORMALIZE
    n = normalised(n);
#endif
#ifdef CM_AMBIENT
    vec4 matAmbient = aColor;
#else
    vec4 matAmbient = uMaterialAmbient;
#endif
#ifdef CM_DIFFUSE
    vec4 matDiffuse = aColor;
#else
    vec4 matDiffuse = uDiffuse;
#endif
#ifdef CM_SPECULAR
    vec4 matSpecular = aColor;
#else
    vec4 matSpecular = uSpecular;
#endif
#ifdef CM_EMISSION
    vec4 matEmission = aColor;
#else
    vec4 matEmission = uEmission;
#endif
#if defined(CM_AMBIENT) || defined(CM_EMISSION)
    vec3 col0 = uModelAmbient.rgb * matAmbient.rgb + matEmission.rgb;
#else
    vec3 col0 = uSceneColor.rgb;
#endif
#ifdef CM_AMBIENT
    vec3 ambient = uLightAmbient.rgb * matAmbient.rgb;
#else
    vec3 ambient = uAmbient.rgb;
#endif
#ifdef CM_DIFFUSE
    vec3 diffuse = uLightDiffuse.rgb * matDiffuse.rgb;
#else
    vec3 diffuse = uDiffuse.rgb;
#endif
#ifdef CM_SPECULAR
    vec3 specular = uLightSpecular.rgb * matSpecular.rgb;
#else
    vec3 specular = uSpecular.rgb;
#endif
#ifdef POSITIONAL
    vec3 vp = uLightPosition.xyz - eye.xyz;
    float inverseDistance = inversesqrt(abs(dot(vp, vp)));
    vp = vp * inverseDistance;
#else
    vec3 vp = uLightPosition.xyz;
#endif
#ifdef LOCAL_VIEWER
    vec3 halfVector = normalised(vp - normalised(eye.xyz));
#elif defined(POSITIONAL)
    vec3 halfVector = normalised(vp + vec3(0.0, 0.0, 1.0));
#else
    vec3 halfVector = uLightHalf.xyz;
#endif
    float nDotVp = dot(n, vp);
    float lit = max(nDotVp, 0.0);
#ifdef SHININESS_ZERO
    float highlight = nDotVp <= 0.0 ? 0.0 : 1.0;
#else
    float nDotHalf = dot(n, halfVector);
    float highlight = nDotVp <= 0.0 ? 0.0
                               : pow(max(nDotHalf, 0.0), clamp(uShininess, -128.0, 128.0));
#endif
#if defined(POSITIONAL) && defined(ATTENUATED)
    float d = 1.0 / inverseDistance;
    float att = 1.0 / (uAttenuation.x * (inverseDistance * d) + uAttenuation.y * d +
                       uAttenuation.z * (d * d));
    col0 = att * ambient + col0;
    lit = lit * att;
    highlight = highlight * att;
#else
    col0 = ambient + col0;
#endif
    col0 = lit * diffuse + col0;
#ifdef SEPARATE
    vColor = clampNanToOne(vec4(col0, matDiffuse.a));
    vSpecular = clampNanToOne(vec4(highlight * specular, 0.0)).rgb;
#else
    vColor = clampNanToOne(vec4(highlight * specular + col0, matDiffuse.a));
    vSpecular = vec3(0.0);
#endif
#else
    vColor = clamp(aColor, 0.0, 1.0);
    vSpecular = vec3(0.0);
#endif
#ifdef TEXTURE_MATRIX
    vTexCoord = uTextureMatrix[0] * aTexCoord.x + uTextureMatrix[1] * aTexCoord.y +
                uTextureMatrix[3];
#else
    vTexCoord = vec4(aTexCoord, 0.0, 1.0);
#endif
#ifdef FOG
    vFog = abs(eye.z);
#else
    vFog = 0.0;
#endif
}
)";

// MODULATE, the separate specular sum, fog as Mesa lowers it, then the
// conversion to 8 bits done here as llvmpipe does it (x * 255/256 + 2^15,
// rounding to even), so that the hardware's conversion sees exact k / 255.
const char* const kSubsetFragmentShader = R"(
precision highp float;
in vec4 vColor;
in vec3 vSpecular;
in vec4 vTexCoord;
in float vFog;
uniform highp sampler2D uTexture;  // lowp by default: Mesa then samples at half precision
uniform vec4 uFogColor;
uniform vec4 uFogParams;  // -1/(end-start), end/(end-start), density/ln 2, density/sqrt(ln 2)
uniform float uOne;  // 1, opaque to the compiler: keeps the rounding steps from folding
out vec4 fragColor;

#ifdef BLEND565
uniform sampler2D uDestination;  // the buffer before this draw
uniform ivec2 uBlendFactors;     // source, destination: see blendFactorCode()

// A blend factor in 8-bit integers (source s, destination d, its alpha 255
// as a 5-6-5 buffer has none).
vec3 factor(int code, vec4 s, vec3 d) {
    if (code == 0) return vec3(0.0);
    if (code == 1) return vec3(255.0);
    if (code == 2) return s.rgb;
    if (code == 3) return 255.0 - s.rgb;
    if (code == 4) return vec3(s.a);
    if (code == 5) return vec3(255.0 - s.a);
    if (code == 6) return vec3(255.0);
    if (code == 7) return vec3(0.0);
    if (code == 8) return d;
    if (code == 9) return 255.0 - d;
    return vec3(0.0);
}

// llvmpipe's product of two 8-bit values: (t + (t >> 8)) >> 8, t = x y + 128.
vec3 mul8(vec3 x, vec3 y) {
    vec3 t = x * y + 128.0;
    return floor((t + floor(t / 256.0)) / 256.0);
}
#endif

void main() {
    vec4 c = vColor;
#ifdef TEXTURE
#ifdef TEXTURE_MATRIX
    c = texture(uTexture, vTexCoord.xy * (1.0 / vTexCoord.w)) * c;
#else
    c = texture(uTexture, vTexCoord.xy) * c;
#endif
#endif
#ifdef SEPARATE
    c.rgb = c.rgb + vSpecular;
#endif
#ifdef FOG
#if FOG == 1
    float f = vFog * uFogParams.x + uFogParams.y;
#elif FOG == 2
    float f = exp2(-(vFog * uFogParams.z));
#else
    float f = vFog * uFogParams.w;
    f = exp2(-(f * f));
#endif
    f = clamp(f, 0.0, 1.0);
    c.rgb = mix(uFogColor.rgb, c.rgb, f);
#endif
    c = clamp(c, 0.0, 1.0);
    vec4 t = min(c * (255.0 / 256.0), vec4(uOne)) + 32768.0;
    vec4 k = (t - 32768.0 * uOne) * 256.0;
#if defined(BLEND565)
    // Blended as llvmpipe blends into a 5-6-5 buffer: in 8-bit integers
    // with the destination widened, then truncated; written widened.
    vec3 d = floor(texelFetch(uDestination, ivec2(gl_FragCoord.xy), 0).rgb * 255.0 + 0.5);
    vec3 blended = min(mul8(k.rgb, factor(uBlendFactors.x, k, d)) +
                           mul8(d, factor(uBlendFactors.y, k, d)),
                       vec3(255.0));
    vec3 q = floor(blended * vec3(0.125, 0.25, 0.125));
    vec3 wide = q * vec3(8.0, 4.0, 8.0) + floor(q * vec3(0.25, 0.0625, 0.25));
    fragColor = vec4(wide / 255.0, 1.0);
#elif defined(COLOUR16)
    // An 8-bit buffer standing in for a 5-6-5 one: the 8 bits truncated to
    // 5-6-5 as llvmpipe stores them, then widened as a 5-6-5 buffer reads
    // back (the bits repeated: q << 3 | q >> 2 for five).
    vec3 q = floor(k.rgb * vec3(0.125, 0.25, 0.125));
    vec3 wide = q * vec3(8.0, 4.0, 8.0) + floor(q * vec3(0.25, 0.0625, 0.25));
    fragColor = vec4(wide, k.a) / 255.0;
#else
    fragColor = k / 255.0;
#endif
}
)";

}  // namespace tev::gl11

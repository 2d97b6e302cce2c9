#pragma once
// The subset's shaders in GLSL ES 3.00, without their #version line: the
// length of the matrix arrays (MATRICES) and the variant's #defines come
// between (LIGHTING, POSITIONAL, LOCAL_VIEWER,
// SEPARATE, SHININESS_ZERO, ATTENUATED, CM_AMBIENT, CM_DIFFUSE, CM_SPECULAR,
// CM_EMISSION, TEXTURE, TEXTURE_MATRIX, FOG 1|2|3 for linear|exp|exp2,
// COLOUR16, NORMALIZE).

namespace tev::gl11 {

extern const char* const kSubsetVertexShader;
extern const char* const kSubsetFragmentShader;

}  // namespace tev::gl11

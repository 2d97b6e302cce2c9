#pragma once
// The OpenGL 1.1 (and GLU) that the show, its scenes and its assets speak,
// and nothing more. Every layer above the platform includes this header
// instead of <GL/gl.h> and <GL/glu.h>, so that a call outside this list does
// not compile.
//
// The calls go through `entries`, a table of the current implementation:
//  - natively, by default, Mesa's own fixed-function pipeline (the platform
//    fills the table with libGL's and libGLU's functions);
//  - the subset of our own (gl11/subset.h), which draws the same calls with
//    shaders over OpenGL ES 3.0 / WebGL 2: natively over Mesa's GLES 3 for
//    comparison (`--gl subset`), and in the browser.
// Whoever makes a GL context current chooses the table (gl11::use) before
// the first call; the layers never know which one answers.
//
// What a caller may rely on, whichever table answers:
//  - Primitives: GL_QUADS only, in glBegin/glEnd with glVertex2f/3f,
//    glNormal3f, glColor4f and glTexCoord2f (the current values persist
//    between primitives, as in GL).
//  - Display lists: glGenLists, glNewList with GL_COMPILE or
//    GL_COMPILE_AND_EXECUTE, glEndList, glCallList, glCallLists (GLuint,
//    GLubyte or GLint names, offset by glListBase), glDeleteLists. A list
//    holds primitives, current values and matrix, texture, enable, colour,
//    material and blend calls as they were made.
//  - Matrices: GL_MODELVIEW, GL_PROJECTION and GL_TEXTURE stacks,
//    glLoadIdentity, glPush/PopMatrix, glTranslatef, glRotatef, glScalef,
//    glOrtho, gluPerspective; read back with glGetFloatv.
//  - Textures: GL_TEXTURE_2D, GL_LUMINANCE or GL_RGBA of GL_UNSIGNED_BYTE,
//    gluBuild2DMipmaps (levels halved as GLU halves them), GL_REPEAT,
//    GL_LINEAR or GL_NEAREST magnification, any minification filter of GL
//    1.1, GL_TEXTURE_BASE_LEVEL / MAX_LEVEL, the environment GL_MODULATE.
//  - Per-vertex lighting with GL_LIGHT0 (positional or directional),
//    GL_LIGHT_MODEL_AMBIENT, a local viewer, GL_SEPARATE_SPECULAR_COLOR,
//    front-and-back materials and glColorMaterial; normals are used as
//    given (not renormalised under scaling), as GL 1.1 does.
//  - Linear fog (GL_FOG_START, GL_FOG_END, GL_FOG_COLOR), blending,
//    the depth test (16 depth bits), culling, the scissor test, glClear,
//    glViewport, hints (accepted, as GL may ignore them).
//  - The queries the program makes: glGetFloatv / glGetIntegerv of the
//    matrices, the viewport, the scissor box, the clear colour and
//    GL_MAX_TEXTURE_SIZE; glGetTexParameteriv and glGetTexLevelParameteriv
//    of the bound texture; glIsEnabled.
//  - ProcAddress: the entry-point lookup behind the extension probe, which
//    asks only for GL_ARB_multitexture's four entry points.

#include "gl11/entries.h"

// The layers are compiled with TEV_GL11_STRICT: the names below are all the
// GL they have. Tests and tools may use the rest of the system's GL beside
// them (reading pixels, say), which answers the context directly.
#if !defined(TEV_GL11_STRICT) && __has_include(<GL/gl.h>)
#include <GL/gl.h>
#include <GL/glu.h>
#endif

// The values, spelt as <GL/gl.h> spells them (a macro may be defined twice
// only with the same spelling).
#define GL_AMBIENT 0x1200
#define GL_AMBIENT_AND_DIFFUSE 0x1602
#define GL_BACK 0x0405
#define GL_BLEND 0x0BE2
#define GL_CCW 0x0901
#define GL_COLOR_BUFFER_BIT 0x00004000
#define GL_COLOR_CLEAR_VALUE 0x0C22
#define GL_COLOR_MATERIAL 0x0B57
#define GL_COMPILE 0x1300
#define GL_COMPILE_AND_EXECUTE 0x1301
#define GL_CULL_FACE 0x0B44
#define GL_CW 0x0900
#define GL_DEPTH_BUFFER_BIT 0x00000100
#define GL_DEPTH_TEST 0x0B71
#define GL_DIFFUSE 0x1201
#define GL_DITHER 0x0BD0
#define GL_EMISSION 0x1600
#define GL_EXP 0x0800
#define GL_FALSE 0
#define GL_FLAT 0x1D00
#define GL_FLOAT 0x1406
#define GL_FOG 0x0B60
#define GL_FOG_COLOR 0x0B66
#define GL_FOG_DENSITY 0x0B62
#define GL_FOG_END 0x0B64
#define GL_FOG_HINT 0x0C54
#define GL_FOG_MODE 0x0B65
#define GL_FOG_START 0x0B63
#define GL_FRONT 0x0404
#define GL_FRONT_AND_BACK 0x0408
#define GL_LEQUAL 0x0203
#define GL_LESS 0x0201
#define GL_LIGHT0 0x4000
#define GL_LIGHTING 0x0B50
#define GL_LIGHT_MODEL_AMBIENT 0x0B53
#define GL_LIGHT_MODEL_COLOR_CONTROL 0x81F8
#define GL_LIGHT_MODEL_LOCAL_VIEWER 0x0B51
#define GL_LINEAR 0x2601
#define GL_LINEAR_MIPMAP_LINEAR 0x2703
#define GL_LINEAR_MIPMAP_NEAREST 0x2701
#define GL_LINE_SMOOTH_HINT 0x0C52
#define GL_LUMINANCE 0x1909
#define GL_MAX_TEXTURE_SIZE 0x0D33
#define GL_MODELVIEW 0x1700
#define GL_MODELVIEW_MATRIX 0x0BA6
#define GL_MODULATE 0x2100
#define GL_NEAREST 0x2600
#define GL_NEAREST_MIPMAP_LINEAR 0x2702
#define GL_NEAREST_MIPMAP_NEAREST 0x2700
#define GL_NICEST 0x1102
#define GL_NO_ERROR 0
#define GL_ONE 1
#define GL_ONE_MINUS_SRC_ALPHA 0x0303
#define GL_PERSPECTIVE_CORRECTION_HINT 0x0C50
#define GL_POLYGON_SMOOTH_HINT 0x0C53
#define GL_POSITION 0x1203
#define GL_PROJECTION 0x1701
#define GL_PROJECTION_MATRIX 0x0BA7
#define GL_QUADS 0x0007
#define GL_REPEAT 0x2901
#define GL_RGB 0x1907
#define GL_RGBA 0x1908
#define GL_SCISSOR_BOX 0x0C10
#define GL_SCISSOR_TEST 0x0C11
#define GL_SEPARATE_SPECULAR_COLOR 0x81FA
#define GL_SHININESS 0x1601
#define GL_SINGLE_COLOR 0x81F9
#define GL_SMOOTH 0x1D01
#define GL_SPECULAR 0x1202
#define GL_SRC_ALPHA 0x0302
#define GL_TEXTURE 0x1702
#define GL_TEXTURE0_ARB 0x84C0
#define GL_TEXTURE1_ARB 0x84C1
#define GL_TEXTURE_2D 0x0DE1
#define GL_TEXTURE_BASE_LEVEL 0x813C
#define GL_TEXTURE_ENV 0x2300
#define GL_TEXTURE_ENV_MODE 0x2200
#define GL_TEXTURE_HEIGHT 0x1001
#define GL_TEXTURE_MAG_FILTER 0x2800
#define GL_TEXTURE_MATRIX 0x0BA8
#define GL_TEXTURE_MAX_LEVEL 0x813D
#define GL_TEXTURE_MIN_FILTER 0x2801
#define GL_TEXTURE_WIDTH 0x1000
#define GL_TEXTURE_WRAP_S 0x2802
#define GL_TEXTURE_WRAP_T 0x2803
#define GL_TRUE 1
#define GL_UNPACK_ALIGNMENT 0x0CF5
#define GL_UNSIGNED_BYTE 0x1401
#define GL_UNSIGNED_INT 0x1405
#define GL_VIEWPORT 0x0BA2
#define GL_ZERO 0

// Every entry point by its GL name, through the table.
#define glBegin ::tev::gl11::entries.Begin
#define glEnd ::tev::gl11::entries.End
#define glVertex2f ::tev::gl11::entries.Vertex2f
#define glVertex3f ::tev::gl11::entries.Vertex3f
#define glNormal3f ::tev::gl11::entries.Normal3f
#define glColor4f ::tev::gl11::entries.Color4f
#define glTexCoord2f ::tev::gl11::entries.TexCoord2f
#define glNewList ::tev::gl11::entries.NewList
#define glEndList ::tev::gl11::entries.EndList
#define glCallList ::tev::gl11::entries.CallList
#define glCallLists ::tev::gl11::entries.CallLists
#define glListBase ::tev::gl11::entries.ListBase
#define glGenLists ::tev::gl11::entries.GenLists
#define glDeleteLists ::tev::gl11::entries.DeleteLists
#define glMatrixMode ::tev::gl11::entries.MatrixMode
#define glLoadIdentity ::tev::gl11::entries.LoadIdentity
#define glPushMatrix ::tev::gl11::entries.PushMatrix
#define glPopMatrix ::tev::gl11::entries.PopMatrix
#define glTranslatef ::tev::gl11::entries.Translatef
#define glRotatef ::tev::gl11::entries.Rotatef
#define glScalef ::tev::gl11::entries.Scalef
#define glOrtho ::tev::gl11::entries.Ortho
#define glViewport ::tev::gl11::entries.Viewport
#define glEnable ::tev::gl11::entries.Enable
#define glDisable ::tev::gl11::entries.Disable
#define glIsEnabled ::tev::gl11::entries.IsEnabled
#define glHint ::tev::gl11::entries.Hint
#define glShadeModel ::tev::gl11::entries.ShadeModel
#define glFrontFace ::tev::gl11::entries.FrontFace
#define glCullFace ::tev::gl11::entries.CullFace
#define glDepthFunc ::tev::gl11::entries.DepthFunc
#define glDepthMask ::tev::gl11::entries.DepthMask
#define glClearDepth ::tev::gl11::entries.ClearDepth
#define glBlendFunc ::tev::gl11::entries.BlendFunc
#define glScissor ::tev::gl11::entries.Scissor
#define glClearColor ::tev::gl11::entries.ClearColor
#define glClear ::tev::gl11::entries.Clear
#define glFlush ::tev::gl11::entries.Flush
#define glFogf ::tev::gl11::entries.Fogf
#define glFogfv ::tev::gl11::entries.Fogfv
#define glLightfv ::tev::gl11::entries.Lightfv
#define glLightModelf ::tev::gl11::entries.LightModelf
#define glLightModeli ::tev::gl11::entries.LightModeli
#define glLightModelfv ::tev::gl11::entries.LightModelfv
#define glMaterialf ::tev::gl11::entries.Materialf
#define glMaterialfv ::tev::gl11::entries.Materialfv
#define glColorMaterial ::tev::gl11::entries.ColorMaterial
#define glGenTextures ::tev::gl11::entries.GenTextures
#define glBindTexture ::tev::gl11::entries.BindTexture
#define glTexImage2D ::tev::gl11::entries.TexImage2D
#define glTexParameteri ::tev::gl11::entries.TexParameteri
#define glTexEnvf ::tev::gl11::entries.TexEnvf
#define glPixelStorei ::tev::gl11::entries.PixelStorei
#define glGetFloatv ::tev::gl11::entries.GetFloatv
#define glGetIntegerv ::tev::gl11::entries.GetIntegerv
#define glGetTexParameteriv ::tev::gl11::entries.GetTexParameteriv
#define glGetTexLevelParameteriv ::tev::gl11::entries.GetTexLevelParameteriv
#define gluPerspective ::tev::gl11::entries.gluPerspective
#define gluBuild2DMipmaps ::tev::gl11::entries.gluBuild2DMipmaps

// <GL/gl.h> and <GL/glu.h> included after this header would declare the
// names above again: make them empty.
#ifndef __gl_h_
#define __gl_h_
#endif
#ifndef __glu_h__
#define __glu_h__
#endif

#include "scenes/waving_sheet.h"

#include <algorithm>
#include <cmath>

#include "assets/pack_file.h"
#include "draw/draw_context.h"
#include "draw/magnified_draw.h"
#include "draw/projection.h"
#include "gl11/gl11.h"
#include "platform/extension_probe.h"
#include "proc/exact_math.h"

namespace tev {

Texture sheetTexture;
float sheetPoints[64][3] = {};
float sheetCoords[64][2] = {};

WavingSheet::WavingSheet(const char* packPath) {
    requireExtension("GL_ARB_multitexture");
    char name[] = "DESTRUCT";
    readEntry(packPath, name, sheetTexture);
    sheetTexture.uploadMipmapped();
    for (int a = 0; a < 8; ++a) {
        for (int b = 0; b < 8; ++b) {
            float* point = sheetPoints[a * 8 + b];
            point[0] = static_cast<float>(a - 4);
            point[1] = static_cast<float>(b - 4);
            point[2] = 0.0f;
        }
    }
}

void computeSheetCoords(float T) {
    const float k = 1.0f / 7.0f;
    float tAcc = 0.0f;
    for (int b = 0; b < 8; ++b) {
        float sAcc = 0.0f;
        for (int a = 0; a < 8; ++a) {
            const double theta = 0.31 * a + 0.5 * T + 0.32 * b;
            const double phi = 0.931 * a + T + 0.32 * b;
            const double psi = 0.213 * a + T + 1.32 * b;
            float* st = sheetCoords[a * 8 + b];
            st[0] = static_cast<float>((0.3135 * cCos(theta) + 0.535 * cSin(phi)) * k + sAcc);
            st[1] = static_cast<float>((0.5125 * cSin(theta) + 0.323 * cCos(psi)) * k + tAcc);
            sAcc += k;
        }
        tAcc += k;
    }
}

void WavingSheet::drawSheet(DrawContext& context, float now, float start) {
    const float T = now - start;
    glClearColor(0.35f, 0.3f, 0.25f, 1.0f);
    loadPerspective(45.0, 1.0, 1.0, 100.0);
    glTranslatef(0.0f, 0.0f, -3.0f);
    glRotatef(-45.0f, 1.0f, 0.0f, 0.0f);
    glDisable(GL_FOG);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    sheetTexture.bind();
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    computeSheetCoords(T);
    glColor4f(1.0f, 1.0f, 1.0f, 0.45f);
    if (!context.sendsGeometry(0.45f)) {
        const float* last = sheetCoords[6 * 8 + 7];  // point (6, 7) ends the last quad
        glTexCoord2f(last[0], last[1]);
        return;
    }
    // The near rows magnify the picture everywhere; in the built show they
    // go with linear minification, which samples them as the mipmaps would.
    TexturedQuad quads[49];
    for (int b = 0; b < 7; ++b) {
        for (int a = 0; a < 7; ++a) {
            const int corners[4] = {a * 8 + b, (a + 1) * 8 + b, (a + 1) * 8 + b + 1, a * 8 + b + 1};
            TexturedQuad& quad = quads[b * 7 + a];
            for (int k = 0; k < 4; ++k) {
                std::copy(sheetCoords[corners[k]], sheetCoords[corners[k]] + 2, quad.st[k]);
                std::copy(sheetPoints[corners[k]], sheetPoints[corners[k]] + 3, quad.xyz[k]);
            }
        }
    }
    sendTexturedQuads(context, quads, 49);
}

}  // namespace tev

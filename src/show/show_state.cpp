#include "show/show_state.h"

#include "gl11/gl11.h"
#include "proc/crt_random.h"

namespace tev {

char packPath[64] = {};
std::unique_ptr<Texture[]> layerTextures;
Texture logoTexture;
Texture discTexture;
Texture pictures[16];
Texture noiseTexture;
std::unique_ptr<SpriteRing> spriteRing;
std::unique_ptr<ParticleScene> particleScene;
std::unique_ptr<WavingSheet> wavingSheet;
float showStartSeconds = 0.0f;
bool showMusicEnabled = true;
DrawContext drawContext;

KeptValues::KeptValues() {
    for (auto& pair : wobbleGrid)
        pair[0] = pair[1] = 1.0f;
}
KeptValues kept;

ShowStateSnapshot ShowStateSnapshot::take() {
    ShowStateSnapshot s{tev::kept, tev::randState(), tev::frameTimer()};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, s.clearColour);
    return s;
}

void ShowStateSnapshot::restore() const {
    tev::kept = kept;
    srand(randState);
    tev::frameTimer() = frameTimer;
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
}

}  // namespace tev

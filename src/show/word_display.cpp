// Eight short words spelled out letter by letter, large and additive, each
// fading in and out over a few seconds. One letter counter and one timer are
// shared by all words, which decides how much of each word shows once
// several are active.

#include <algorithm>
#include <cstring>

#include "assets/bitmap_font.h"
#include "draw/projection.h"
#include "gl11/gl11.h"
#include "show/blocks.h"
#include "show/frame_timer.h"
#include "show/show.h"

namespace tev {

const WordCue wordCues[8] = {
    {"countdown", 20.0f, 10.0f, -40.0f, -40.0f, 4.0f},
    {"cubics", 28.0f, 0.0f, -10.0f, -20.0f, 4.0f},
    {"concern", 40.0f, 10.0f, -40.0f, -40.0f, 5.0f},
    {"face", 60.0f, 10.0f, -40.0f, -40.0f, 4.0f},
    {"insane", 75.0f, 10.0f, -40.0f, -40.0f, 4.0f},
    {"name", 80.0f, 0.0f, -10.0f, -20.0f, 4.0f},
    {"you", 90.0f, 0.0f, -10.0f, -20.0f, 4.0f},
    {"mirror", 101.0f, 0.0f, -10.0f, -20.0f, 4.0f},
};

void letterStep(int32_t& counter, float& timer, double delta, float interval, int32_t wordLength) {
    const double sum = timer + delta;
    timer = static_cast<float>(sum);
    if (sum > interval) {
        counter = counter < INT32_MAX ? counter + 1 : counter;
        if (counter < 0) counter = 0;
        if (counter > wordLength) counter = wordLength;
        timer = timer - interval;
    }
}

float wordOpacity(float elapsed, float duration) {
    const float half = duration * 0.5f;
    double a = 1.0;
    if (elapsed < half) a = elapsed * (1.2 / duration);
    if (elapsed > half) a = 1.0 - (elapsed - half) * (1.3 / duration);
    return static_cast<float>(std::clamp(a, 0.0, 1.0));
}

void drawWord(DrawContext& context, const char* word, float x, float y, float z,
              float letterInterval, int32_t& counter, float now, float start, float duration) {
    char buffer[64] = {};
    const float e = now - start;
    glDisable(GL_FOG);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    // The projection is left in place for later blocks.
    loadPerspective(90.0, 1.0, 0.1, 100.0, Pushed::Modelview);

    const auto length = static_cast<int32_t>(std::strlen(word));
    letterStep(counter, kept.letterTimer, frameTimer().delta, letterInterval, length);
    const int32_t shown = std::clamp(counter, 0, std::min<int32_t>(length, sizeof buffer - 1));
    std::memcpy(buffer, word, static_cast<size_t>(shown));

    glTranslatef(x, y, z);
    bitmapFont().draw(context, true, 0, 0, buffer, 1.0f, 1.0f, wordOpacity(e, duration));
    glPopMatrix();
    glDepthMask(GL_TRUE);
}

void drawWords(DrawContext& context, float t) {
    // A word's call goes on after its fade, so its letter step still runs.
    for (const WordCue& cue : wordCues) {
        if (t > cue.start) {
            drawWord(context, cue.word, cue.x, cue.y, cue.z, 0.125f, kept.letterCount, t, cue.start,
                     cue.duration);
        }
    }
}

}  // namespace tev

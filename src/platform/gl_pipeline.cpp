#include <cstring>

#include "platform/display.h"

namespace tev::platform {
namespace {
GlPipeline chosen = GlPipeline::Native;
}

void chooseGlPipeline(GlPipeline pipeline) {
    chosen = pipeline;
}

GlPipeline chosenGlPipeline() {
    return chosen;
}

bool glPipelineNamed(const char* name, GlPipeline* pipeline) {
    if (name == nullptr) return false;
    if (std::strcmp(name, "native") == 0) {
        *pipeline = GlPipeline::Native;
    } else if (std::strcmp(name, "subset") == 0) {
        *pipeline = GlPipeline::Subset;
    } else {
        return false;
    }
    return true;
}

}  // namespace tev::platform

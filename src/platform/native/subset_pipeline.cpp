#include "platform/native/subset_pipeline.h"

#include "gl11/subset.h"
#include "platform/native/gl_entries.h"

namespace tev::platform {
namespace {
bool started = false;
}

bool startSubsetPipeline(int bitsPerPixel, std::string* error) {
    stopSubsetPipeline();
    gl11::SubsetOptions options;
    options.colourBits = bitsPerPixel == 16 ? 16 : 32;
    if (!gl11::attachSubset(options, error)) {
        gl11::use(mesaGlEntries());
        return false;
    }
    started = true;
    return true;
}

void stopSubsetPipeline() {
    if (started) gl11::detachSubset();
    started = false;
    gl11::use(mesaGlEntries());
}

}  // namespace tev::platform

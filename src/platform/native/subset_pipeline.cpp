#include "platform/native/subset_pipeline.h"

#include "gl11/subset.h"
#include "platform/native/gl_entries.h"

namespace tev::platform {
namespace {
bool started = false;
}

bool startSubsetPipeline(std::string* error) {
    stopSubsetPipeline();
    // Natively a 16-bit show draws into a real 5-6-5 buffer, which Mesa
    // fills as it does for its own pipeline: the subset's own 5-6-5 (for an
    // 8-bit canvas that stands in for one) would round twice.
    gl11::SubsetOptions options;
    options.colourBits = 32;
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

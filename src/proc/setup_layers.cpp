#include "proc/setup_layers.h"

#include <new>
#include <utility>

#include "proc/layer_stack.h"

namespace tev {

std::optional<SetupLayers> composeSetupLayers() {
    return composeSetupLayers(nullptr);
}

std::optional<SetupLayers> composeSetupLayers(LayerStack::Allocator allocator) {
    LayerStack stack(std::move(allocator));
    if (stack.count() != 8) return std::nullopt;

    stack.sinePlasma(0, 0, 2, 2, 0, 0);
    stack.cellDistance(0, 1, 24, 80, 0);
    stack.adjustHsv(0, 122, 255, 0, 256, 0, 256);
    stack.warpCopy(0, 1, 0, 0.0, 1, 0, 0.0, 1);
    stack.adjustHsv(1, 95, 255, 0, 256, 0, 256);
    stack.sineRemap(1, 1, 155, 182);
    stack.sinePlasma(2, 0, 2, 2, 0, 0);
    stack.cellDistance(2, 1, 24, 80, 0);
    stack.adjustHsv(2, 122, 255, 0, 256, 0, 256);
    stack.adjustHsv(2, 159, 255, 0, 256, 0, 256);
    stack.sineRemap(2, 1, 155, 182);

    SetupLayers layers;
    try {
        for (auto& layer : layers)
            layer.resize(LayerStack::kLayerBytes);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    for (int k = 0; k < kSetupLayerCount; ++k) {
        const uint8_t* source = stack.layer(k);
        uint8_t* out = layers[k].data();
        for (size_t i = 0; i < LayerStack::kLayerBytes; i += 4) {
            out[i] = source[i];
            out[i + 1] = source[i + 1];
            out[i + 2] = source[i + 2];
            out[i + 3] = 255;
        }
    }
    return layers;
}

}  // namespace tev

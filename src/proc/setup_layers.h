#pragma once
// The three textures that set-up composes on a layer stack, exactly as they
// are uploaded: 256 x 256 RGBA, red, green and blue from the layers and
// alpha 255.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "proc/layer_stack.h"

namespace tev {

inline constexpr int kSetupLayerSide = 256;
inline constexpr int kSetupLayerCount = 3;

using SetupLayers = std::array<std::vector<uint8_t>, kSetupLayerCount>;

// Runs the fixed recipe on a fresh stack of 8 layers. Nothing when memory
// runs out. Tests pass an allocator to make the stack's memory run out.
std::optional<SetupLayers> composeSetupLayers();
std::optional<SetupLayers> composeSetupLayers(LayerStack::Allocator allocator);

}  // namespace tev

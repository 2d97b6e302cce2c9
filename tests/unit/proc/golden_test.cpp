#include <gtest/gtest.h>

#include <cstdio>
#include <span>

#include "proc/setup_layers.h"
#include "proc/texture_kinds.h"

namespace tev {
namespace {

// 64-bit FNV-1a: pins every byte, so a faster implementation cannot drift.
uint64_t fnv1a(std::span<const uint8_t> bytes) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (uint8_t b : bytes) {
        hash ^= b;
        hash *= 0x100000001b3ull;
    }
    return hash;
}

TEST(Golden, TextureKinds) {
    const uint64_t expected[] = {
        0x85a999907ac29b96ull, 0x5882007493fb8922ull, 0x0f809c7ac29600a4ull,
        0xbbcc3d99995a19f3ull, 0x21a47a6938c54b60ull,
    };
    for (int number = 1; number <= 5; ++number) {
        const auto pixels = fillTextureKind(*textureKindFromNumber(number));
        EXPECT_EQ(fnv1a(pixels), expected[number - 1])
            << "kind " << number << std::hex << " 0x" << fnv1a(pixels);
    }
}

TEST(Golden, SetupLayers) {
    const auto layers = composeSetupLayers();
    ASSERT_TRUE(layers);
    const uint64_t expected[] = {
        0x3ae2aed6caed9929ull,
        0xedde62b9dae65441ull,
        0x70f03720da677f8aull,
    };
    for (int k = 0; k < kSetupLayerCount; ++k) {
        const auto& layer = (*layers)[k];
        ASSERT_EQ(layer.size(), size_t{kSetupLayerSide} * kSetupLayerSide * 4);
        for (size_t i = 3; i < layer.size(); i += 4)
            ASSERT_EQ(layer[i], 255);
        EXPECT_EQ(fnv1a(layer), expected[k]) << "layer " << k << std::hex << " 0x" << fnv1a(layer);
    }
}

TEST(SetupLayers, ReportsAStackThatCannotBeMade) {
    int calls = 0;
    const auto layers = composeSetupLayers([&calls]() -> std::unique_ptr<uint8_t[]> {
        if (++calls == 5) return nullptr;
        return std::unique_ptr<uint8_t[]>(new uint8_t[LayerStack::kLayerBytes]);
    });
    EXPECT_FALSE(layers);
    EXPECT_EQ(calls, 5);  // creation stopped at the failed slot
}

}  // namespace
}  // namespace tev

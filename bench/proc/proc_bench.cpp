// What set-up spends on computed textures: the layer recipe plus the disc
// (target under 15 ms together), and each generator kind (kind 5 under
// 40 ms). The single operations show where the recipe's time goes.

#include <benchmark/benchmark.h>

#include <optional>

#include "portable/standard_output.h"
#include "proc/layer_stack.h"
#include "proc/setup_layers.h"
#include "proc/texture_kinds.h"

namespace {

void BM_SetupRecipe(benchmark::State& state) {
    for (auto _ : state) {
        auto layers = tev::composeSetupLayers();
        benchmark::DoNotOptimize(layers);
    }
}
BENCHMARK(BM_SetupRecipe)->Unit(benchmark::kMillisecond);

void BM_SetupRecipeAndDisc(benchmark::State& state) {
    for (auto _ : state) {
        auto layers = tev::composeSetupLayers();
        auto disc = tev::fillTextureKind(tev::TextureKind::RadialFalloff);
        benchmark::DoNotOptimize(layers);
        benchmark::DoNotOptimize(disc.data());
    }
}
BENCHMARK(BM_SetupRecipeAndDisc)->Unit(benchmark::kMillisecond);

void BM_TextureKind(benchmark::State& state) {
    const auto kind = *tev::textureKindFromNumber(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto pixels = tev::fillTextureKind(kind);
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(BM_TextureKind)->DenseRange(1, 5)->ArgName("kind")->Unit(benchmark::kMillisecond);

// A stack whose layer 0 holds the recipe's input to its first colour step.
struct RecipeInput {
    tev::LayerStack stack;
    RecipeInput() {
        stack.sinePlasma(0, 0, 2, 2, 0, 0);
        stack.cellDistance(0, 1, 24, 80, 0);
    }
};

void BM_SinePlasma(benchmark::State& state) {
    RecipeInput input;
    for (auto _ : state)
        input.stack.sinePlasma(2, 0, 2, 2, 0, 0);
}
BENCHMARK(BM_SinePlasma)->Unit(benchmark::kMicrosecond);

void BM_CellDistance(benchmark::State& state) {
    RecipeInput input;
    for (auto _ : state)
        input.stack.cellDistance(2, 1, 24, 80, 0);
}
BENCHMARK(BM_CellDistance)->Unit(benchmark::kMicrosecond);

void BM_WarpCopy(benchmark::State& state) {
    RecipeInput input;
    const double amplitude = state.range(0) ? 0.01 : 0.0;
    for (auto _ : state)
        input.stack.warpCopy(0, 1, 0, amplitude, 1, 0, amplitude, 1);
}
BENCHMARK(BM_WarpCopy)->Arg(0)->Arg(1)->ArgName("warped")->Unit(benchmark::kMicrosecond);

void BM_AdjustHsv(benchmark::State& state) {
    RecipeInput input;
    for (auto _ : state) {
        state.PauseTiming();
        input.stack.warpCopy(0, 1, 0, 0.0, 1, 0, 0.0, 1);
        state.ResumeTiming();
        input.stack.adjustHsv(1, 122, 255, 0, 256, 0, 256);
    }
}
BENCHMARK(BM_AdjustHsv)->Unit(benchmark::kMicrosecond);

void BM_SineRemap(benchmark::State& state) {
    RecipeInput input;
    for (auto _ : state)
        input.stack.sineRemap(0, 1, 155, 182);
}
BENCHMARK(BM_SineRemap)->Unit(benchmark::kMicrosecond);

}  // namespace

// The library prints --help and ends the process by itself.
[[maybe_unused]] const bool outputChecked = tev::checkStandardOutputAtExit("tev-bench-proc");

BENCHMARK_MAIN();

// One palette-animation tick, intensity dimming on, for the largest and the
// smallest table count, and one turn of the whole palette without orientation.
#include <benchmark/benchmark.h>

#include <memory>

#include "palette/color_tables.h"
#include "palette/palette_animation.h"

namespace {

std::unique_ptr<vortan::VortanFrameState> OrientedWindow(int tables) {
    auto s = std::make_unique<vortan::VortanFrameState>();
    s->m_withOrientation = 1;
    s->m_colortableCount = tables;
    s->m_intensityDimming = 1;
    s->m_colortableShift = 1;
    vortan::BuildWindowPalette(*s);
    return s;
}

void BM_TickSevenTables(benchmark::State& st) {
    auto s = OrientedWindow(7);
    for (auto _ : st) {
        vortan::AnimationTick(*s);
        benchmark::DoNotOptimize(s->m_palette.Entries().data());
    }
}
BENCHMARK(BM_TickSevenTables);

void BM_TickOneTable(benchmark::State& st) {
    auto s = OrientedWindow(1);
    for (auto _ : st) {
        vortan::AnimationTick(*s);
        benchmark::DoNotOptimize(s->m_palette.Entries().data());
    }
}
BENCHMARK(BM_TickOneTable);

void BM_TickWithoutOrientation(benchmark::State& st) {
    auto s = std::make_unique<vortan::VortanFrameState>();
    s->m_withoutOrientation = 1;
    s->m_colors32 = 1;
    s->m_colortableShift = 1;
    vortan::BuildWindowPalette(*s);
    for (auto _ : st) {
        vortan::AnimationTick(*s);
        benchmark::DoNotOptimize(s->m_palette.Entries().data());
    }
}
BENCHMARK(BM_TickWithoutOrientation);

}  // namespace

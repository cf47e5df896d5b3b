// Parse time of the markup parser: the game's font description, and generated documents of
// 100 KB and 1 MB in three shapes. Linear parsing shows as a 1 MB time about ten times the
// 100 KB time in each shape.
#include <benchmark/benchmark.h>

#include <string>

#include "fonts/config.h"
#include "tests/support/test_program.h"

namespace {

// Parses `text` once per iteration; each tree is garbage for the collector step between them.
void ParseRepeatedly(benchmark::State& state, const String& text) {
    reset_runtime();
    int nodes = 0;
    for (auto _ : state) {
        c_Config* config = LoadConfig(text);
        if (config->error) {
            state.SkipWithError(config->error->message.ToUtf8().c_str());
            return;
        }
        c_ConfigNode* font = config->children->Last();
        nodes = font->children ? font->children->Count() : 0;
        state.PauseTiming();
        gc_step();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * int64_t(text.Length()));
    state.counters["characters"] = text.Length();
    state.counters["children"] = nodes;
}

void BM_GameFontDescription(benchmark::State& state) {
    String text = String::LoadFile("data/font.fnt");
    if (text.IsEmpty()) {
        state.SkipWithError("run from the repository folder: data/font.fnt not found");
        return;
    }
    ParseRepeatedly(state, text.Slice(text.Find(String("\n")) + 1));  // without the declaration line
}
BENCHMARK(BM_GameFontDescription)->Unit(benchmark::kMicrosecond);

// Shape 0: char lines as a font description has them; 1: one element holding one long text;
// 2: one attribute of many segments joined by operators; 3: the same under a name a tenth of the
// document long.
std::string Generated(int shape, size_t bytes) {
    std::string text = "<font>\n";
    if (shape == 1) text = "<font>";
    if (shape == 2) text = "<font><char v=0";
    if (shape == 3) text = "<font><char " + std::string(bytes / 10, 'v') + "=0";
    for (int i = 0; text.size() < bytes; ++i) {
        std::string n = std::to_string(i % 1000);
        if (shape == 0) {
            text += "  <char id=\"" + n + "\" x=\"" + n + "\" y=\"4\" width=\"18\" height=\"43\" xoffset=\"2\" yoffset=\"-6\" "
                    "xadvance=\"22\" page=\"0\"/>\n";
        } else if (shape == 1) {
            text += "some text, and " + n + " more; ";
        } else {
            text += "+" + n;
        }
    }
    return text + (shape >= 2 ? "/></font>" : "</font>");
}

void BM_Generated(benchmark::State& state) {
    ParseRepeatedly(state, String(Generated(int(state.range(0)), size_t(state.range(1))).c_str()));
}
BENCHMARK(BM_Generated)
    ->ArgNames({"shape", "bytes"})
    ->ArgsProduct({{0, 1, 2, 3}, {100 << 10, 1 << 20}})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();

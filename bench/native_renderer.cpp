// Renderer frame times: one 640 x 480 frame per iteration, finished with glFinish so that the
// rasterisation is counted too. Needs an X display (xvfb-run -a bench_native_renderer); under
// Xvfb the OpenGL is Mesa's software rasteriser, so the figures measure the CPU, not a GPU.
// Times are wall-clock (the rasteriser runs on its own threads); each benchmark reports the median
// of 5 runs and the draw calls of one frame.
#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <GLFW/glfw3.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "native/game.h"
#include "native/gxtk_graphics.h"
#include "tests/support/test_program.h"

namespace {

class BenchGame : public ZVGame {
public:
    int GetDeviceWidth() override { return 640; }
    int GetDeviceHeight() override { return 480; }
};

gxtkGraphics* graphics;
gxtkSurface* sprites[2];

// A 32 x 32 surface of one colour, half transparent at the edges.
gxtkSurface* MakeSprite(uint32_t argb) {
    gxtkSurface* surface = graphics->CreateSurface(32, 32);
    Array<int> pixels(32 * 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            bool edge = x < 4 || y < 4 || x >= 28 || y >= 28;
            pixels[y * 32 + x] = int(edge ? (argb & 0x00FFFFFFu) | 0x80000000u : argb);
        }
    }
    graphics->WriteSurfacePixels(surface, pixels, 0, 0, 32, 32, 0, 32);
    return surface;
}

void BeginFrame() {
    graphics->BeginRender();
    graphics->SetMatrix(1, 0, 0, 1, 0, 0);
    graphics->SetAlpha(1);
    graphics->SetColor(255, 255, 255);
    graphics->SetBlend(0);
    graphics->SetScissor(0, 0, 640, 480);
    graphics->Cls(0, 40, 80);
}

void EndFrame(benchmark::State& state) {
    graphics->EndRender();
    glFinish();
    state.counters["draw_calls"] = graphics->drawCalls;
}

// Sprites from one surface, each with its own colour and matrix, as the game draws its sea.
void BM_SpritesOneSurface(benchmark::State& state) {
    int count = int(state.range(0));
    for (auto _ : state) {
        BeginFrame();
        for (int i = 0; i < count; ++i) {
            float angle = float(i) * 0.01f;
            graphics->SetColor(255, float(i % 256), 128);
            graphics->SetMatrix(std::cos(angle), std::sin(angle), -std::sin(angle), std::cos(angle),
                                float(i * 37 % 640), float(i * 53 % 480));
            graphics->DrawSurface(sprites[0], -16, -16);
        }
        EndFrame(state);
    }
    state.counters["sprites"] = count;
}
BENCHMARK(BM_SpritesOneSurface)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly();

// Runs of mixed primitives: each run batches, each change of kind or surface costs a draw call.
void BM_MixedPrimitives(benchmark::State& state) {
    for (auto _ : state) {
        BeginFrame();
        for (int run = 0; run < 10; ++run) {
            float y = float(run * 48);
            for (int i = 0; i < 50; ++i) graphics->DrawRect(float(i * 12), y, 10, 10);
            for (int i = 0; i < 50; ++i) graphics->DrawSurface(sprites[0], float(i * 12), y + 12);
            for (int i = 0; i < 50; ++i) graphics->DrawSurface(sprites[1], float(i * 12 + 6), y + 12);
            for (int i = 0; i < 20; ++i) graphics->DrawOval(float(i * 32), y + 24, 24, 16);
            for (int i = 0; i < 50; ++i) graphics->DrawLine(float(i * 12), y + 40, float(i * 12 + 10), y + 46);
            for (int i = 0; i < 50; ++i) graphics->DrawPoint(float(i * 12), y + 47);
        }
        EndFrame(state);
    }
}
BENCHMARK(BM_MixedPrimitives)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly();

// The worst case for the batch: every sprite changes the texture, so every sprite is a draw.
void BM_AlternatingSurfaces(benchmark::State& state) {
    int count = int(state.range(0));
    for (auto _ : state) {
        BeginFrame();
        for (int i = 0; i < count; ++i) {
            graphics->DrawSurface(sprites[i % 2], float(i * 37 % 640), float(i * 53 % 480));
        }
        EndFrame(state);
    }
}
BENCHMARK(BM_AlternatingSurfaces)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (!glfwInit()) {
        std::printf("no X display: run under xvfb-run -a\n");
        return 1;
    }
    glfwWindowHint(GLFW_ALPHA_BITS, 0);
    GLFWwindow* window = glfwCreateWindow(640, 480, "Spraywick", nullptr, nullptr);
    if (!window) {
        std::printf("no OpenGL window\n");
        return 1;
    }
    glfwMakeContextCurrent(window);
    ++graphicsSeq;

    std::string renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    benchmark::AddCustomContext("gl_renderer", renderer);
    if (renderer.find("llvmpipe") != std::string::npos || renderer.find("softpipe") != std::string::npos) {
        benchmark::AddCustomContext("note", "software OpenGL: times are the CPU rasteriser's, not a GPU's");
    }

    reset_runtime();
    BenchGame game;
    graphics = new gxtkGraphics();
    sprites[0] = MakeSprite(0xFFFFC040u);
    sprites[1] = MakeSprite(0xFF40C0FFu);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    glfwTerminate();
    return 0;
}

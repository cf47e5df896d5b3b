// A small app drawn through the whole stack: framework graphics, delegate, real host and OpenGL
// renderer. The child writes its third frame as a PNG next to the test output; the test reads the
// pixels back from that file, so a failing frame can be looked at.
#include <gtest/gtest.h>
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/process.h"
#include "tests/support/sound_capture.h"

namespace {

struct Rgb {
    int r, g, b;
};

const Rgb background{0, 0, 64};
const Rgb red{255, 0, 0};
// Half-transparent green over the background, premultiplied: (0, 128, 64 * 127 / 255).
const Rgb green{0, 128, 32};

class DrawnFrame {
public:
    explicit DrawnFrame(const std::string& path) { pixels = stbi_load(path.c_str(), &width, &height, &depth, 3); }
    ~DrawnFrame() { stbi_image_free(pixels); }
    DrawnFrame(const DrawnFrame&) = delete;
    DrawnFrame& operator=(const DrawnFrame&) = delete;

    bool Loaded() const { return pixels != nullptr; }
    int width = 0, height = 0, depth = 0;

    ::testing::AssertionResult Is(int x, int y, Rgb want) const {
        const unsigned char* p = pixels + (size_t(y) * size_t(width) + size_t(x)) * 3;
        Rgb got{p[0], p[1], p[2]};
        if (std::abs(got.r - want.r) <= 3 && std::abs(got.g - want.g) <= 3 && std::abs(got.b - want.b) <= 3) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << got.r << "," << got.g << ","
                                             << got.b << ", want " << want.r << "," << want.g << "," << want.b;
    }

private:
    unsigned char* pixels = nullptr;
};

// data/sprite.png in a fresh folder: an opaque red 8 x 8 frame, then a half-transparent green one.
std::string MakeGameFolder() {
    char folder[] = "/tmp/framework-draw-XXXXXX";
    if (!mkdtemp(folder)) return "";
    std::string data = std::string(folder) + "/data";
    if (mkdir(data.c_str(), 0755) != 0) return "";
    unsigned char sprite[8][16][4];
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 16; ++x) {
            unsigned char* p = sprite[y][x];
            bool first = x < 8;
            p[0] = first ? 255 : 0;
            p[1] = first ? 0 : 255;
            p[2] = 0;
            p[3] = first ? 255 : 128;
        }
    }
    if (!stbi_write_png((data + "/sprite.png").c_str(), 16, 8, 4, sprite, 16 * 4)) return "";
    return folder;
}

TEST(AppWindowTest, ImagesAreDrawnCutPlacedTurnedAndScaledOnTheRealHost) {
    std::string folder = MakeGameFolder();
    ASSERT_FALSE(folder.empty());
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    std::string framePath = std::string(cwd) + "/framework_app_window_frame.png";
    std::remove(framePath.c_str());

    UseOpenAlConfig(OpenAlConfig("silent"));  // a sound device, so the audio engine has nothing to say
    ProcessResult result = run_process(test_program_path("framework", "app_probe"), {"draw", framePath}, "", folder);
    std::filesystem::remove_all(folder);
    ASSERT_EQ(result.exit_status, 0) << result.out << result.err;
    EXPECT_EQ(result.out, "frame written\n");

    DrawnFrame frame(framePath);
    ASSERT_TRUE(frame.Loaded()) << framePath;
    ASSERT_EQ(frame.width, 640);
    ASSERT_EQ(frame.height, 480);

    // Frame 0 at (100, 100); the sheet's other frame stays out of it.
    EXPECT_TRUE(frame.Is(104, 104, red));
    EXPECT_TRUE(frame.Is(110, 104, background));
    // Frame 1 at (200, 100), blended over the background.
    EXPECT_TRUE(frame.Is(204, 104, green));
    EXPECT_TRUE(frame.Is(198, 104, background));
    // The whole sheet as one frame at (100, 200): both halves.
    EXPECT_TRUE(frame.Is(104, 204, red));
    EXPECT_TRUE(frame.Is(112, 204, green));
    EXPECT_TRUE(frame.Is(118, 204, background));
    // Scaled by 4 about its centre handle at (300, 100): 284..316 both ways.
    EXPECT_TRUE(frame.Is(286, 86, red));
    EXPECT_TRUE(frame.Is(313, 113, red));
    EXPECT_TRUE(frame.Is(281, 100, background));
    EXPECT_TRUE(frame.Is(318, 100, background));
    // An 8 x 4 rectangle doubled and turned 90 degrees counter-clockwise about (400, 100): it
    // stands above the point, 8 wide and 16 high.
    EXPECT_TRUE(frame.Is(404, 86, red));
    EXPECT_TRUE(frame.Is(404, 98, red));
    EXPECT_TRUE(frame.Is(404, 103, background));
    EXPECT_TRUE(frame.Is(411, 92, background));
    // A 4 x 4 piece of frame 1 at (500, 100).
    EXPECT_TRUE(frame.Is(502, 102, green));
    EXPECT_TRUE(frame.Is(505, 102, background));
    EXPECT_TRUE(frame.Is(20, 400, background));
}

}  // namespace

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/process.h"
#include "tests/support/sound_capture.h"

namespace {

const std::string program = test_program_path("framework", "app_probe");
const std::string programSource = "tests/framework/programs/app_probe.cpp";

// The position of the line of the program's source that carries `marker`.
std::string PositionOf(const std::string& marker) {
    std::ifstream source(std::string(ZV_SOURCE_DIR) + "/" + programSource);
    std::string line;
    for (int number = 1; std::getline(source, line); ++number) {
        if (line.find(marker) != std::string::npos) return programSource + "<" + std::to_string(number) + ">";
    }
    return "no line with " + marker;
}

TEST(AppProcessTest, ASecondAppIsARuntimeErrorAtItsConstruction) {
    ProcessResult result = run_process(program, {"twice"});
    EXPECT_EQ(result.exit_status, 255);
    EXPECT_EQ(result.out.rfind("Zorvex Runtime Error : App has already been created\n", 0), 0u) << result.out;
    // The trace names the App constructor's statement, then the line in Main that called it.
    EXPECT_NE(result.out.find("framework/app.cpp<"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find(PositionOf("@second-app")), std::string::npos) << result.out;
}

TEST(AppProcessTest, TheCloseKeyEndsAnAppWithStatusZeroOnItsPress) {
    UseOpenAlConfig(OpenAlConfig("silent"));  // a sound device, so the audio engine has nothing to say
    ProcessResult result = run_process(program, {"close"});
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out, "still running\n");
}

}  // namespace

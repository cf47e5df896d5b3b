// What the spraywick binary answers before it opens a window: its version and usage, and a
// clear refusal when it has no data to play with.
#include <gtest/gtest.h>

#include <regex>

#include "tests/game/running_game.h"
#include "tests/support/process.h"
#include "tests/support/temp_folder.h"

namespace {

// Without a display, so an answer that needed a window would fail.
ProcessResult RunWithoutDisplay(const std::string& binary, const std::vector<std::string>& args,
                                const std::string& folder) {
    std::vector<std::string> command{"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", binary};
    command.insert(command.end(), args.begin(), args.end());
    return run_process("/usr/bin/env", command, "", folder);
}

TEST(CommandLine, VersionAndHelpAnswerInALineOrTwoWithoutAWindow) {
    TempFolder empty("spraywick-args");
    ProcessResult version = RunWithoutDisplay(BuiltGame(), {"--version"}, empty.path());
    EXPECT_EQ(version.exit_status, 0);
    EXPECT_TRUE(std::regex_match(version.out, std::regex("Spraywick [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << version.out;

    // Other arguments are ignored, before and after.
    for (auto args : {std::vector<std::string>{"--help"}, {"-x", "--help", "--version"}}) {
        ProcessResult help = RunWithoutDisplay(BuiltGame(), args, empty.path());
        EXPECT_EQ(help.exit_status, 0);
        EXPECT_TRUE(std::regex_match(help.out, std::regex("Usage: spraywick .*\n[^\n]+\n"))) << help.out;
    }
    EXPECT_EQ(Shell("ls -A '" + empty.path() + "'"), "") << "answering wrote files";
}

TEST(CommandLine, WithoutDataItSaysWhereItLookedAndExits) {
    // A copy of the game with no installation around it, started from a folder whose data/
    // is not the game's.
    TempFolder tree("spraywick-alone");
    Shell("mkdir -p '" + tree.path() + "/games' '" + tree.path() + "/start/data' && cp '" + BuiltGame() + "' '" +
          tree.path() + "/games/'");
    ProcessResult result = RunWithoutDisplay(tree.path() + "/games/spraywick", {}, tree.path() + "/start");
    EXPECT_EQ(result.exit_status, 255);
    EXPECT_EQ(result.out, "spraywick: cannot find the game's data, neither in ./data nor in " + tree.path() +
                              "/share/spraywick/data\n");
}

}  // namespace

// The game installed the way a player installs it, with cmake --install into a temporary prefix
// under DESTDIR, and started from somewhere else: the data comes from the installation, the best
// score goes to the player's XDG data folder, and the folder it started from stays untouched.
#include <gtest/gtest.h>
#include <stb/stb_image.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "tests/game/running_game.h"
#include "tests/support/process.h"
#include "tests/support/temp_folder.h"

namespace {

// Runs a command found on PATH.
ProcessResult RunTool(const std::vector<std::string>& command) { return run_process("/usr/bin/env", command); }

class InstalledGame : public testing::Test {
protected:
    static void SetUpTestSuite() {
        root = new TempFolder("spraywick-install");
        ProcessResult install =
            RunTool({"DESTDIR=" + root->path(), "cmake", "--install", ZV_BINARY_DIR, "--prefix", "/usr"});
        ASSERT_EQ(install.exit_status, 0) << install.out << install.err;
    }
    static void TearDownTestSuite() { delete root; }
    static std::string Installed(const std::string& path) { return root->path() + "/usr/" + path; }

    static TempFolder* root;
};

TempFolder* InstalledGame::root = nullptr;

TEST_F(InstalledGame, PlaysFromAnyFolderAndKeepsTheBestScoreInTheUsersDataFolder) {
    TempFolder start("spraywick-start"), xdg("spraywick-xdg");
    RunningGame game(Installed("games/spraywick"), start.path(), {"XDG_DATA_HOME=" + xdg.path()});
    ASSERT_FALSE(game.window.empty());

    // An idle run ends when something rises under the skier; space starts one from the title.
    std::string state;
    for (int i = 0; i < 240 && state.empty(); ++i) {
        if (i % 10 == 3) game.Key("key", "space");
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        state = xdg.Read("spraywick/.zorvexstate", "");
    }
    EXPECT_GT(std::atoi(state.c_str()), 0) << "no crash wrote a best score within two minutes";
    EXPECT_EQ(Shell("ls -A '" + xdg.path() + "/spraywick'"), ".zorvexstate");
    EXPECT_EQ(Shell("ls -A '" + start.path() + "'"), "") << "the game wrote into the folder it started in";
}

TEST_F(InstalledGame, TheMenuEntryIconsManualAndSoftwareCentreEntryAreInPlace) {
    std::string entry = Installed("share/applications/spraywick.desktop");
    ProcessResult desktop = RunTool({"desktop-file-validate", entry});
    EXPECT_EQ(desktop.exit_status, 0) << desktop.out << desktop.err;
    // The menu's command is the executable's full path under the prefix, without DESTDIR.
    std::string command = Shell("sed -n 's/^Exec=//p' '" + entry + "'");
    EXPECT_EQ(command, "/usr/games/spraywick");
    EXPECT_EQ(access((root->path() + command).c_str(), X_OK), 0) << command;

    std::string metainfo = Shell("ls '" + Installed("share/metainfo") + "'/*.metainfo.xml");
    ProcessResult appstream = RunTool({"appstreamcli", "validate", "--no-net", metainfo});
    EXPECT_EQ(appstream.exit_status, 0) << appstream.out << appstream.err;

    for (int size : {48, 64, 128, 256}) {
        std::string pixels = std::to_string(size);
        std::string icon = Installed("share/icons/hicolor/" + pixels + "x" + pixels + "/apps/spraywick.png");
        int width = 0, height = 0, channels = 0;
        EXPECT_TRUE(stbi_info(icon.c_str(), &width, &height, &channels)) << icon;
        EXPECT_EQ(width, size);
        EXPECT_EQ(height, size);
    }

    ProcessResult manual = RunTool({"MANWIDTH=80", "man", "-l", Installed("share/man/man6/spraywick.6.gz")});
    EXPECT_EQ(manual.exit_status, 0) << manual.err;
    EXPECT_NE(manual.out.find("spraywick - endless water-ski run seen from above"), std::string::npos) << manual.out;
    EXPECT_EQ(manual.err, "");
}

}  // namespace

// Where the game finds its data and keeps its best score: the source folder or an installation
// found from the executable (the process tests cover neither). Each test runs in its own empty
// working directory.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "native/glfwgame.h"
#include "native/install_paths.h"
#include "tests/native/native_test_folder.h"
#include "tests/support/test_program.h"

namespace {

class InstallPaths : public NativeTestFolder {
protected:
    void SetUp() override {
        NativeTestFolder::SetUp();
        reset_runtime();
        saved = installPaths;
    }
    void TearDown() override {
        installPaths = saved;
        NativeTestFolder::TearDown();
    }
    // An installation under `prefix`: the executable in games/, the data in share/.
    void Install(const std::string& prefix) {
        ASSERT_EQ(std::system(("mkdir -p " + prefix + "/games " + prefix + "/share/spraywick/data").c_str()), 0);
        WriteFile(prefix + "/games/spraywick", "");
        WriteFile(prefix + "/share/spraywick/data/title.png", "");
    }
    bool Choose(const ZVInstallClues& clues) { return ZVChooseInstallPaths(clues, paths, error); }

    ZVInstallPaths saved;
    ZVInstallPaths paths;
    std::string error;
};

TEST_F(InstallPaths, TheSourceFolderWinsElseTheInstallationBesideTheExecutable) {
    Install(dir + "/usr");
    mkdir("here", 0777);
    ZVInstallClues clues{dir + "/here", dir + "/usr/games/../games/spraywick", "/xdg", "/home/p"};
    ASSERT_TRUE(Choose(clues)) << error;
    EXPECT_EQ(paths.dataFolder, dir + "/usr/share/spraywick/data/");
    EXPECT_EQ(paths.stateFile, "/xdg/spraywick/.zorvexstate");

    // Without XDG_DATA_HOME, or with a relative one, which is invalid, the home folder's default.
    for (const char* xdg : {"", "relative/data"}) {
        clues.xdgDataHome = xdg;
        ASSERT_TRUE(Choose(clues)) << error;
        EXPECT_EQ(paths.stateFile, "/home/p/.local/share/spraywick/.zorvexstate") << xdg;
    }
    clues.home = "";
    EXPECT_FALSE(Choose(clues));
    EXPECT_NE(error.find("HOME"), std::string::npos) << error;

    // A stray data/ folder, as many home folders have, is not the game's.
    mkdir("here/data", 0777);
    clues.home = "/home/p";
    ASSERT_TRUE(Choose(clues)) << error;
    EXPECT_EQ(paths.dataFolder, dir + "/usr/share/spraywick/data/");

    // The game's own data/ keeps everything in the folder, as it always was.
    WriteFile("here/data/title.png", "");
    ASSERT_TRUE(Choose(clues)) << error;
    EXPECT_EQ(paths.dataFolder, "./data/");
    EXPECT_EQ(paths.stateFile, "./.zorvexstate");
}

TEST_F(InstallPaths, TheStateFolderIsMadeAndSavesAreReplacedThere) {
    std::string folder = dir + "/home/.local/share/spraywick";
    ASSERT_TRUE(ZVMakeFolders(folder, error)) << error;
    struct stat info;
    ASSERT_EQ(stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_TRUE(ZVMakeFolders(folder, error)) << "an existing folder is fine: " << error;
    WriteFile("file", "");
    EXPECT_FALSE(ZVMakeFolders(dir + "/file/sub", error));
    EXPECT_EQ(error.rfind("cannot create " + dir + "/file/sub: ", 0), 0u) << error;

    // The host reads the data and keeps the state where the choice says; the working folder
    // sees nothing.
    mkdir("elsewhere", 0777);
    WriteFile("elsewhere/x.txt", "data");
    installPaths = {dir + "/elsewhere/", folder + "/.zorvexstate"};
    ZVGlfwGame host;
    EXPECT_EQ(host.LoadString(String("zorvex://data/x.txt")), String("data"));
    EXPECT_EQ(host.SaveState(String("1234")), 0);
    EXPECT_EQ(host.SaveState(String("5678")), 0);
    EXPECT_EQ(ReadFile(folder + "/.zorvexstate"), "5678");
    EXPECT_EQ(host.LoadState(), String("5678"));
    EXPECT_FALSE(Exists(folder + "/.zorvexstate.new"));
    EXPECT_FALSE(Exists(".zorvexstate"));
}

}  // namespace

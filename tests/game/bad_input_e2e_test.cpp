// The real spraywick binary given broken files: each case ends in a clear outcome, never a crash
// or a hang. Damaged images end the game with a report that names the file; a state file that
// holds no usable number, or a folder where nothing can be saved, leaves the game playing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/game/running_game.h"
#include "tests/support/hostile_images.h"
#include "tests/support/process.h"
#include "tests/support/sound_capture.h"
#include "tests/support/temp_folder.h"

namespace {

void Sleep(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

// Damage done to a file of a folder of links into the repository's data: the link is replaced,
// never written through.
void Truncate(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(path.c_str());
    std::ofstream(path, std::ios::binary) << bytes.substr(0, bytes.size() / 2);
}

void Garble(const std::string& path) {
    std::string bytes;
    for (int i = 0; i < 3000; ++i) bytes += char(i * 7919 % 251);
    std::remove(path.c_str());
    std::ofstream(path, std::ios::binary) << bytes;
}

void Remove(const std::string& path) { std::remove(path.c_str()); }

// Starts a run and holds the skier to one side until the crash banner shows.
bool PlayUntilCrash(RunningGame& game) {
    game.Key("key", "space");
    game.Key("keydown", "Left");
    bool crashed = WaitForCrash(game, 90);
    game.Key("keyup", "Left");
    return crashed;
}

// A live sound device on every machine, so that sounds are really loaded.
class BadInputEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { UseOpenAlConfig(OpenAlConfig("silent")); }
};

TEST_F(BadInputEndToEnd, ADamagedImageEndsTheGameWithAReportThatNamesIt) {
    for (auto damage : {Truncate, Garble}) {
        TempFolder dir("spraywick-bad-image");
        damage(dir.LinkGameDataFiles() + "/squid.png");
        ProcessResult result = run_process(BuiltGame(), {}, "", dir.path());
        EXPECT_EQ(result.exit_status, 255);
        EXPECT_NE(result.out.find("Zorvex Runtime Error : Unable to load image \"squid.png\"\n"), std::string::npos)
            << result.out;
    }
}

// An image whose header claims more than its file could hold is refused before a byte of it is
// decoded: at once, and without the game's memory growing.
TEST_F(BadInputEndToEnd, AnImageThatClaimsAHugeSizeIsRefusedAtOnce) {
    for (const HostileImage& image : ImagesClaimingTooMuch()) {
        SCOPED_TRACE(image.claim);
        TempFolder dir("spraywick-huge-image");
        std::string whale = dir.LinkGameDataFiles() + "/whale.png";
        std::remove(whale.c_str());
        std::ofstream(whale, std::ios::binary) << image.bytes;
        ProcessResult result = run_process(BuiltGame(), {}, "", dir.path());
        EXPECT_EQ(result.exit_status, 255);
        EXPECT_NE(result.out.find("Zorvex Runtime Error : Unable to load image \"whale.png\"\n"), std::string::npos)
            << result.out;
        EXPECT_LT(result.peak_memory_kib, 256 * 1024);
    }
}

// Text, nothing, or a number below any score: the first crash saves its score as the best.
TEST_F(BadInputEndToEnd, AStateWithoutAUsableBestScoreIsReplacedByTheFirstCrash) {
    for (std::string state : {"best score", "", "-25"}) {
        SCOPED_TRACE("state \"" + state + "\"");
        TempFolder dir("spraywick-bad-state");
        dir.LinkGameData();
        dir.Write(".zorvexstate", state);
        RunningGame game(BuiltGame(), dir.path());
        ASSERT_TRUE(PlayUntilCrash(game)) << "no crash within 90 seconds";
        Sleep(0.5);
        std::string saved = dir.Read(".zorvexstate");
        EXPECT_GT(std::atoi(saved.c_str()), 0) << saved;
        EXPECT_EQ(saved, std::to_string(std::atoi(saved.c_str()))) << "the state is the decimal score alone";
        EXPECT_EQ(game.Close(), 0);
    }
}

// A number beyond Int reads as the largest Int, which no run beats: the file stays as it was.
TEST_F(BadInputEndToEnd, AHugeBestScoreIsKept) {
    TempFolder dir("spraywick-huge-state");
    dir.LinkGameData();
    dir.Write(".zorvexstate", "99999999999999999999");
    RunningGame game(BuiltGame(), dir.path());
    ASSERT_TRUE(PlayUntilCrash(game)) << "no crash within 90 seconds";
    Sleep(0.5);
    EXPECT_EQ(dir.Read(".zorvexstate"), "99999999999999999999");
    EXPECT_EQ(game.Close(), 0);
}

// A read-only bind mount holds for root too; where mounts are not allowed the case is skipped.
TEST_F(BadInputEndToEnd, AFolderThatCannotBeWrittenLeavesTheGameRunning) {
    TempFolder dir("spraywick-read-only"), launcher("spraywick-launcher");
    dir.LinkGameData();
    std::string readOnly = "mount --bind '" + dir.path() + "' '" + dir.path() + "' && mount -o remount,bind,ro '" +
                           dir.path() + "' && cd '" + dir.path() + "'";
    if (std::system(("unshare -m sh -c \"" + readOnly + " && ! touch probe\" 2>/dev/null").c_str()) != 0) {
        GTEST_SKIP() << "no read-only mount here (unshare or mount not permitted), so no folder root cannot write";
    }
    // The game in a mount namespace of its own, where its folder is read-only.
    launcher.Write("spraywick", "#!/bin/sh\nexec unshare -m sh -c \"" + readOnly + " && exec '" + BuiltGame() + "'\"\n");
    chmod((launcher.path() + "/spraywick").c_str(), 0755);
    RunningGame game(launcher.path() + "/spraywick", dir.path());
    ASSERT_TRUE(PlayUntilCrash(game)) << "no crash within 90 seconds";
    Sleep(1);
    EXPECT_TRUE(game.Running()) << "the game ended when its best score could not be saved";
    EXPECT_EQ(dir.Read(".zorvexstate"), "<none>");
    EXPECT_EQ(game.Close(), 0);
}

// Broken text and sound files cost the game its text or its sound, never the game: each mix
// below plays a run through to its crash, saves the score and closes normally.
TEST_F(BadInputEndToEnd, BrokenFontsAndSoundsLeaveTheGamePlaying) {
    struct Damage {
        const char* file;
        void (*damage)(const std::string&);
    };
    const std::vector<std::vector<Damage>> mixes = {
        {{"font.fnt", Truncate}, {"engine.wav", Garble}, {"sea.ogg", Truncate}},
        {{"font.fnt", Garble}, {"engine.wav", Remove}, {"sea.ogg", Garble}},
        {{"font.png", Truncate}, {"sea.ogg", Remove}},
        {{"font.png", Garble}, {"engine.wav", Truncate}},
    };
    for (const std::vector<Damage>& mix : mixes) {
        std::string names;
        TempFolder dir("spraywick-bad-media");
        std::string data = dir.LinkGameDataFiles();
        for (const Damage& d : mix) {
            d.damage(data + "/" + d.file);
            names += std::string(d.file) + " ";
        }
        SCOPED_TRACE("damaged " + names);
        RunningGame game(BuiltGame(), dir.path());
        ASSERT_TRUE(PlayUntilCrash(game)) << "no crash within 90 seconds";
        Sleep(0.5);
        EXPECT_TRUE(game.Running());
        EXPECT_GT(std::atoi(dir.Read(".zorvexstate").c_str()), 0);
        EXPECT_EQ(game.Close(), 0);
    }
}

}  // namespace

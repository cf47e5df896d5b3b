// The game services: path mapping, file reading, the state file, image decoding, the date and
// URL opening. Each test runs in its own empty working directory.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <ctime>
#include <thread>
#include <vector>

#include <stb/stb_image_write.h>

#include "native/glfwgame.h"
#include "native/image_claims.h"
#include "tests/native/native_test_folder.h"
#include "tests/support/hostile_images.h"
#include "tests/support/test_program.h"

namespace {

class Services : public NativeTestFolder {
protected:
    void SetUp() override {
        NativeTestFolder::SetUp();
        reset_runtime();
    }
    ZVGlfwGame host;
};

TEST_F(Services, VirtualPathsMapToTheirFoldersAndUnknownRootsToNothing) {
    EXPECT_EQ(host.MapDataPath(String("zorvex://data/font.txt")), String("./data/font.txt"));
    EXPECT_EQ(host.MapDataPath(String("zorvex://internal/a/b")), String("./internal/a/b"));
    EXPECT_EQ(host.MapDataPath(String("zorvex://external/x")), String("./external/x"));
    EXPECT_EQ(host.MapDataPath(String("zorvex://other/x")), String());
    EXPECT_EQ(host.MapDataPath(String("zorvex:")), String());
    EXPECT_EQ(host.MapDataPath(String("zorvex://data")), String());
    // Plain paths and other schemes (the test is case-sensitive) pass unchanged.
    for (const char* plain : {"/tmp/x.png", "./x.png", "x.png", "Zorvex://data/x", "C:/x", ""}) {
        EXPECT_EQ(host.MapDataPath(String(plain)), String(plain)) << plain;
    }
    ZVGame base;
    EXPECT_EQ(base.MapDataPath(String("zorvex://data/x")), String("zorvex://data/x"));

    mkdir("data", 0777);
    WriteFile("data/x.txt", "hi");
    std::FILE* file = host.OpenDataFile(String("zorvex://data/x.txt"), String("rb"));
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    WriteFile("other", "not reachable through an unknown root");
    EXPECT_EQ(host.OpenDataFile(String("zorvex://other/x"), String("rb")), nullptr);
    int length = -7;
    EXPECT_EQ(host.ReadDataFile(String("zorvex://other/x"), length), nullptr);
    EXPECT_EQ(length, -7);
    EXPECT_EQ(host.LoadString(String("zorvex://other/x")), String());
}

TEST_F(Services, ReadDataFileReturnsEveryByteAndCountsThemAsNative) {
    std::string bytes;
    for (int i = 0; i < 3 * 4096 + 17; ++i) bytes += char(i * 7 + i / 4096);
    WriteFile("blob.bin", bytes);
    int before = gc.native_bytes;
    int length = 0;
    unsigned char* data = host.ReadDataFile(String("blob.bin"), length);
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(length, int(bytes.size()));
    EXPECT_EQ(std::memcmp(data, bytes.data(), bytes.size()), 0);
    EXPECT_EQ(gc.native_bytes - before, length);
    std::free(data);

    WriteFile("empty.bin", "");
    length = -1;
    data = host.ReadDataFile(String("empty.bin"), length);
    EXPECT_NE(data, nullptr);
    EXPECT_EQ(length, 0);
    std::free(data);

    length = -1;
    EXPECT_EQ(host.ReadDataFile(String("missing.bin"), length), nullptr);
    EXPECT_EQ(length, -1);
}

TEST_F(Services, LoadStringDecodesTextAndUsesTheLowByteOfEachPathCharacter) {
    WriteFile("utf8.txt", "caf\xc3\xa9\n");
    EXPECT_EQ(host.LoadString(String("utf8.txt")), String(U"caf\u00e9\n"));
    EXPECT_EQ(host.LoadString(String("missing.txt")), String());
    // U+0161 has the low byte 0x61, "a".
    WriteFile("a.txt", "low byte");
    EXPECT_EQ(host.LoadString(String(U"\u0161.txt")), String("low byte"));
}

TEST_F(Services, StateRoundTripsAsUtf8InOneFile) {
    EXPECT_EQ(host.LoadState(), String());
    EXPECT_EQ(host.SaveState(String(U"best=\u00e9 \u20ac")), 0);
    EXPECT_EQ(ReadFile(".zorvexstate"), "best=\xc3\xa9 \xe2\x82\xac");
    EXPECT_EQ(host.LoadState(), String(U"best=\u00e9 \u20ac"));
    EXPECT_EQ(host.SaveState(String("1234")), 0);
    EXPECT_EQ(ReadFile(".zorvexstate"), "1234");

    // The empty state is an empty file, and loads as the empty string.
    EXPECT_EQ(host.SaveState(String()), 0);
    struct stat info;
    ASSERT_EQ(stat(".zorvexstate", &info), 0);
    EXPECT_EQ(info.st_size, 0);
    EXPECT_EQ(host.LoadState(), String());

    // Nothing but the state file is left behind.
    EXPECT_EQ(std::system("test \"$(ls -A | tr '\\n' ' ')\" = '.zorvexstate '"), 0);
}

TEST_F(Services, AFailedSaveLeavesTheOldStateIntact) {
    ASSERT_EQ(host.SaveState(String("4321")), 0);

    // The new file cannot be created: its place is taken by a folder.
    ASSERT_EQ(mkdir(".zorvexstate.new", 0777), 0);
    EXPECT_EQ(host.SaveState(String("99")), -1);
    EXPECT_EQ(host.LoadState(), String("4321"));
    ASSERT_EQ(rmdir(".zorvexstate.new"), 0);

    // The disk fills up while writing: the file-size limit stops the write part way.
    std::string big(100000, '7');
    rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 1000;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    int status = host.SaveState(String(big.c_str()));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(status, -2);
    EXPECT_EQ(host.LoadState(), String("4321"));
    EXPECT_FALSE(Exists(".zorvexstate.new"));

    // The state file cannot be replaced: it has become a folder with something in it.
    ASSERT_EQ(std::remove(".zorvexstate"), 0);
    ASSERT_EQ(mkdir(".zorvexstate", 0777), 0);
    WriteFile(".zorvexstate/keep", "x");
    EXPECT_EQ(host.SaveState(String("5")), -1);
    EXPECT_EQ(ReadFile(".zorvexstate/keep"), "x");
    EXPECT_FALSE(Exists(".zorvexstate.new"));
}

TEST_F(Services, DecodeImageFileKeepsTheFilesComponents) {
    mkdir("data", 0777);
    const unsigned char rgba[] = {255, 0, 0, 255, 0, 0, 255, 128};
    ASSERT_NE(stbi_write_png("data/pair.png", 2, 1, 4, rgba, 8), 0);
    const unsigned char grey[] = {10, 20, 30, 40, 50, 60};
    ASSERT_NE(stbi_write_png("grey.png", 3, 2, 1, grey, 3), 0);

    int before = gc.native_bytes;
    int width = 0, height = 0, depth = 0;
    unsigned char* pixels = host.DecodeImageFile(String("zorvex://data/pair.png"), width, height, depth);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(width, 2);
    EXPECT_EQ(height, 1);
    EXPECT_EQ(depth, 4);
    EXPECT_EQ(std::memcmp(pixels, rgba, sizeof rgba), 0);
    EXPECT_EQ(gc.native_bytes - before, 8);
    std::free(pixels);

    pixels = host.DecodeImageFile(String("grey.png"), width, height, depth);
    EXPECT_EQ(depth, 1);
    std::free(pixels);

    WriteFile("junk.png", "\x89PNG\r\n\x1a\n but nothing after");
    width = -1;
    EXPECT_EQ(host.DecodeImageFile(String("junk.png"), width, height, depth), nullptr);
    EXPECT_EQ(host.DecodeImageFile(String("missing.png"), width, height, depth), nullptr);
    EXPECT_EQ(width, -1);
    EXPECT_EQ(ZVGame().DecodeImageFile(String("grey.png"), width, height, depth), nullptr);
}

TEST_F(Services, ImagesThatClaimMoreThanTheirFileHoldsAreRefusedBeforeDecoding) {
    for (const HostileImage& image : ImagesClaimingTooMuch()) {
        WriteFile("claim.png", image.bytes);
        std::FILE* file = std::fopen("claim.png", "rb");
        EXPECT_FALSE(ZVImageClaimFits(file)) << image.claim;
        std::fclose(file);
    }
    // Real pictures at the edges still load: the widest allowed, and a large flat one that
    // compresses to almost nothing.
    std::vector<unsigned char> grey(1000 * 1000, 200);
    ASSERT_NE(stbi_write_png("wide.png", MAX_IMAGE_SIDE, 1, 1, grey.data(), MAX_IMAGE_SIDE), 0);
    ASSERT_NE(stbi_write_png("flat.png", 1000, 1000, 1, grey.data(), 1000), 0);
    for (const char* name : {"wide.png", "flat.png"}) {
        int width = 0, height = 0, depth = 0;
        unsigned char* pixels = host.DecodeImageFile(String(name), width, height, depth);
        EXPECT_NE(pixels, nullptr) << name;
        std::free(pixels);
    }
}

TEST_F(Services, FillDateFillsAsFarAsTheArrayReaches) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);

    Array<int> three(3);
    host.FillDate(three);
    EXPECT_EQ(three[0], local.tm_year + 1900);
    EXPECT_EQ(three[1], local.tm_mon + 1);
    EXPECT_EQ(three[2], local.tm_mday);

    Array<int> eight(8);
    eight[6] = eight[7] = -5;
    host.FillDate(eight);
    EXPECT_EQ(eight[6], 0);   // no sub-second part
    EXPECT_EQ(eight[7], -5);  // beyond the date: untouched

    host.FillDate(Array<int>());  // nothing to fill, nothing happens
}

TEST_F(Services, OpenUrlPassesTheUrlAsOneArgumentWithoutAShell) {
    // A stand-in for the desktop's handler, found first on the PATH.
    std::string log = dir + "/opened";
    WriteFile("xdg-open", "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '" + log + ".part' && mv '" + log + ".part' '" +
                              log + "'\n");
    chmod("xdg-open", 0755);
    std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (dir + ":" + oldPath).c_str(), 1);

    const char* url = "http://example.com/a b?q=1;touch pwned&x=$(touch pwned2)";
    host.OpenUrl(String(url));
    setenv("PATH", oldPath.c_str(), 1);

    for (int i = 0; i < 500 && !Exists(log); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(ReadFile(log), std::string("1|") + url);
    EXPECT_FALSE(Exists("pwned"));
    EXPECT_FALSE(Exists("pwned2"));
}

}  // namespace

// A fresh temporary folder that is the working directory for the length of one test, since the
// data folders and the state file are relative to it.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

class NativeTestFolder : public ::testing::Test {
protected:
    void SetUp() override {
        char previous[4096];
        ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
        oldDir = previous;
        char name[] = "/tmp/zv_native_XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir = name;
        ASSERT_EQ(chdir(dir.c_str()), 0);
    }
    void TearDown() override {
        EXPECT_EQ(chdir(oldDir.c_str()), 0);
        std::system(("rm -rf '" + dir + "'").c_str());
    }

    static void WriteFile(const std::string& path, const std::string& bytes) {
        std::ofstream out(path, std::ios::binary);
        out << bytes;
    }
    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

    std::string dir;
    std::string oldDir;
};

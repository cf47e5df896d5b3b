#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

TempFolder::TempFolder(const std::string& prefix) {
    std::string pattern = "/tmp/" + prefix + "-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    EXPECT_NE(mkdtemp(name.data()), nullptr) << "cannot make " << pattern;
    path_ = name.data();
}

TempFolder::~TempFolder() { std::system(("rm -rf '" + path_ + "'").c_str()); }

void TempFolder::LinkGameData() const {
    std::string data = std::string(ZV_SOURCE_DIR) + "/data";
    EXPECT_EQ(symlink(data.c_str(), (path_ + "/data").c_str()), 0);
}

std::string TempFolder::LinkGameDataFiles() const {
    std::string data = path_ + "/data";
    std::string command = "mkdir '" + data + "' && ln -s '" + ZV_SOURCE_DIR + "/data'/* '" + data + "/'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return data;
}

void TempFolder::Write(const std::string& name, const std::string& text) const {
    std::ofstream(path_ + "/" + name, std::ios::binary) << text;
}

std::string TempFolder::Read(const std::string& name, const std::string& missing) const {
    std::ifstream file(path_ + "/" + name, std::ios::binary);
    if (!file) return missing;
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

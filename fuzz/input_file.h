// The fuzz input as a file, for readers that take a path. One file per process, in a folder of
// its own that is also the working directory (the state file is relative to it), rewritten for
// every input and removed at exit.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

class FuzzInputFolder {
public:
    FuzzInputFolder() {
        char name[] = "/tmp/zv_fuzz_XXXXXX";
        if (!mkdtemp(name) || chdir(name) != 0) std::abort();
        folder = name;
    }
    ~FuzzInputFolder() { std::system(("rm -rf '" + folder + "'").c_str()); }

    // Writes `data` to `name` in the folder and gives the file's path.
    std::string Write(const std::string& name, const uint8_t* data, size_t size) {
        std::string path = folder + "/" + name;
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) std::abort();
        return path;
    }

private:
    std::string folder;
};

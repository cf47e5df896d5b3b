// A fresh folder under /tmp for a test, removed with everything in it when the object goes.
#pragma once

#include <string>

class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "spraywick");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }

    // Links the repository's data folder in as ./data, where the game looks for it.
    void LinkGameData() const;
    // Makes ./data a folder of links to each of the game's data files, so a test can remove or
    // replace some of them; returns its path.
    std::string LinkGameDataFiles() const;
    void Write(const std::string& name, const std::string& text) const;
    // The file's bytes, or `missing` when there is no such file.
    std::string Read(const std::string& name, const std::string& missing = "<none>") const;

private:
    std::string path_;
};

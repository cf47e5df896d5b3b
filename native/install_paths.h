// Where the game's files are, decided once at start-up.
//
// Run from a folder that holds the game's data/ (its source folder), everything stays relative
// to that folder. Otherwise the game is installed: the data lies at ../share/spraywick/data from
// the executable's own folder, games/ or bin/ (found through /proc/self/exe, so a relocated or
// DESTDIR install works too), and the best score is kept under $XDG_DATA_HOME/spraywick/.
#pragma once

#include <string>

struct ZVInstallPaths {
    std::string dataFolder;  // ends with "/"
    std::string stateFile;
};

// The paths in use. They start as the source folder's, so that test programs and benchmarks,
// which never choose, read ./data and keep ./.zorvexstate.
extern ZVInstallPaths installPaths;

// What the choice depends on; ZVUseInstallPaths reads them from the process.
struct ZVInstallClues {
    std::string workingFolder;  // where a source folder's data/ would be
    std::string executable;     // the executable's own path
    std::string xdgDataHome;    // empty when unset
    std::string home;           // empty when unknown
};

// Chooses the paths; on failure returns false with one line saying why in `error`.
bool ZVChooseInstallPaths(const ZVInstallClues& clues, ZVInstallPaths& paths, std::string& error);

// Creates `folder` and any missing parents, private to the user. False with the reason in `error`.
bool ZVMakeFolders(const std::string& folder, std::string& error);

// Chooses from the working folder, /proc/self/exe and the environment and puts the choice in
// use, creating the state folder when missing. Prints one line and returns false when there is
// no data folder to play from; a state folder that cannot be made is reported but not fatal.
bool ZVUseInstallPaths();

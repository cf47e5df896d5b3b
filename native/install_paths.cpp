#include "native/install_paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

ZVInstallPaths installPaths{"./data/", "./.zorvexstate"};

namespace {

const char* const STATE_NAME = ".zorvexstate";
// Every data folder of the game holds its title image; a stray data/ in the player's home
// folder, where desktop menus start programs, is not the game's.
const char* const DATA_MARKER = "/title.png";

bool IsFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool HoldsGameData(const std::string& folder) {
    return IsFolder(folder) && access((folder + DATA_MARKER).c_str(), F_OK) == 0;
}

std::string Parent(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

// The install prefix is the folder above the executable's own (games/ or bin/).
std::string InstalledDataFolder(const std::string& executable) {
    std::string prefix = Parent(executable) + "/..";
    char resolved[PATH_MAX];
    if (realpath(prefix.c_str(), resolved)) prefix = resolved;
    return prefix + "/share/spraywick/data";
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    const passwd* user = getpwuid(getuid());
    return user && user->pw_dir ? user->pw_dir : "";
}

void PrintLine(const std::string& line) {
    std::puts(line.c_str());
    std::fflush(stdout);
}

}  // namespace

bool ZVChooseInstallPaths(const ZVInstallClues& clues, ZVInstallPaths& paths, std::string& error) {
    if (HoldsGameData(clues.workingFolder + "/data")) {
        paths = {"./data/", std::string("./") + STATE_NAME};
        return true;
    }
    if (clues.executable.empty()) {
        error = "the game's data is not in ./data, and the executable's own folder is unknown";
        return false;
    }
    std::string data = InstalledDataFolder(clues.executable);
    if (!HoldsGameData(data)) {
        error = "cannot find the game's data, neither in ./data nor in " + data;
        return false;
    }
    // A relative XDG_DATA_HOME is invalid and is ignored, as the XDG rules say.
    std::string dataHome = clues.xdgDataHome;
    if (dataHome.empty() || dataHome[0] != '/') {
        if (clues.home.empty()) {
            error = "neither XDG_DATA_HOME nor HOME names a folder to keep the best score in";
            return false;
        }
        dataHome = clues.home + "/.local/share";
    }
    paths = {data + "/", dataHome + "/spraywick/" + STATE_NAME};
    return true;
}

bool ZVMakeFolders(const std::string& folder, std::string& error) {
    for (size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
        std::string part = folder.substr(0, end);
        if (!IsFolder(part) && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            error = "cannot create " + part + ": " + std::strerror(errno);
            return false;
        }
        if (end == std::string::npos) break;
    }
    if (!IsFolder(folder)) {
        error = folder + " is not a folder";
        return false;
    }
    return true;
}

bool ZVUseInstallPaths() {
    ZVInstallClues clues{".", "", "", HomeFolder()};
    char executable[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", executable, sizeof executable - 1);
    if (length > 0) clues.executable.assign(executable, size_t(length));
    if (const char* xdg = std::getenv("XDG_DATA_HOME")) clues.xdgDataHome = xdg;

    ZVInstallPaths paths;
    std::string error;
    if (!ZVChooseInstallPaths(clues, paths, error)) {
        PrintLine("spraywick: " + error);
        return false;
    }
    installPaths = paths;
    if (!ZVMakeFolders(Parent(paths.stateFile), error)) {
        PrintLine("spraywick: " + error + "; the best score will not be kept");
    }
    return true;
}

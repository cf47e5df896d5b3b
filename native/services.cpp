// File, state and decoding services of the game object, and the desktop host's versions of them.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "native/glfwgame.h"
#include "native/image_claims.h"
#include "native/install_paths.h"
#include "native/ogg.h"
#include "native/wav.h"
#include "runtime/gc.h"

#include <stb/stb_image.h>

extern char** environ;

namespace {

constexpr size_t READ_PIECE = 4096;

std::vector<uint8_t> ReadAll(std::FILE* file) {
    std::vector<uint8_t> bytes;
    uint8_t piece[READ_PIECE];
    size_t n;
    while ((n = std::fread(piece, 1, READ_PIECE, file)) > 0) bytes.insert(bytes.end(), piece, piece + n);
    return bytes;
}

String ReadText(std::FILE* file) {
    if (!file) return String();
    std::vector<uint8_t> bytes = ReadAll(file);
    std::fclose(file);
    return String::FromBytes(bytes.data(), bytes.size());
}

#ifndef __EMSCRIPTEN__  // a page opens URLs itself (web_game.cpp)
// Children of OpenUrl are reaped on later calls, so they never pile up as zombies.
std::vector<pid_t> urlOpeners;

void ReapUrlOpeners() {
    for (size_t i = 0; i < urlOpeners.size();) {
        if (waitpid(urlOpeners[i], nullptr, WNOHANG) != 0) {
            urlOpeners[i] = urlOpeners.back();
            urlOpeners.pop_back();
        } else {
            ++i;
        }
    }
}
#endif

}  // namespace

String ZVGame::MapDataPath(const String& path) { return path; }

std::FILE* ZVGame::OpenDataFile(const String& path, const String& mode) {
    String mapped = MapDataPath(path);
    if (mapped.IsEmpty()) return nullptr;
    return std::fopen(mapped.ToBytes().c_str(), mode.ToBytes().c_str());
}

unsigned char* ZVGame::ReadDataFile(const String& path, int& length) {
    std::FILE* file = OpenDataFile(path, String("rb"));
    if (!file) return nullptr;
    std::vector<uint8_t> bytes = ReadAll(file);
    std::fclose(file);
    if (bytes.size() > size_t(INT32_MAX)) return nullptr;
    unsigned char* buffer = static_cast<unsigned char*>(std::malloc(bytes.empty() ? 1 : bytes.size()));
    if (!buffer) return nullptr;
    if (!bytes.empty()) std::memcpy(buffer, bytes.data(), bytes.size());
    length = int(bytes.size());
    gc_add_native_bytes(length);
    return buffer;
}

String ZVGame::LoadString(const String& path) { return ReadText(OpenDataFile(path, String("rb"))); }

String ZVGame::LoadState() {
    return ReadText(OpenDataFile(String(installPaths.stateFile.c_str()), String("rb")));
}

int ZVGame::SaveState(const String& state) {
    // Saves go to a file beside the state first and are renamed over it, so a failed save
    // leaves the old state.
    const std::string& statePath = installPaths.stateFile;
    const std::string tempPath = statePath + ".new";
    std::FILE* file = OpenDataFile(String(tempPath.c_str()), String("wb"));
    if (!file) return -1;
    std::string bytes = state.ToUtf8();
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    // A full disk may only show when the buffer is flushed; the bytes must be on disk before the
    // rename makes them the state.
    written = std::fflush(file) == 0 && written;
    written = fsync(fileno(file)) == 0 && written;
    written = std::fclose(file) == 0 && written;
    if (!written) {
        std::remove(tempPath.c_str());
        return -2;
    }
    if (std::rename(tempPath.c_str(), statePath.c_str()) != 0) {
        std::remove(tempPath.c_str());
        return -1;
    }
    return 0;
}

void ZVGame::FillDate(Array<int> date) {
    int n = date.Length();
    if (n == 0) return;
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const int fields[] = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                          local.tm_min,         local.tm_sec,     0};
    for (int i = 0; i < n && i < 7; ++i) date[i] = fields[i];
}

unsigned char* ZVGame::DecodeImageFile(const String&, int&, int&, int&) { return nullptr; }

unsigned char* ZVGame::DecodeAudioFile(const String&, int&, int&, int&, int&) { return nullptr; }

String ZVGlfwGame::MapDataPath(const String& path) {
    struct Root {
        const char* virtualRoot;
        const char* folder;
    };
    const Root roots[] = {
        {"zorvex://data/", installPaths.dataFolder.c_str()},
        {"zorvex://internal/", "./internal/"},
        {"zorvex://external/", "./external/"},
    };
    if (!path.StartsWith(String("zorvex:"))) return path;
    for (const Root& root : roots) {
        String prefix(root.virtualRoot);
        if (path.StartsWith(prefix)) return String(root.folder) + path.Slice(prefix.Length());
    }
    return String();
}

unsigned char* ZVGlfwGame::DecodeImageFile(const String& path, int& width, int& height, int& depth) {
    std::FILE* file = OpenDataFile(path, String("rb"));
    if (!file) return nullptr;
    int w = 0, h = 0, d = 0;
    unsigned char* pixels = ZVImageClaimFits(file) ? stbi_load_from_file(file, &w, &h, &d, 0) : nullptr;
    std::fclose(file);
    if (!pixels) return nullptr;
    width = w;
    height = h;
    depth = d;
    gc_add_native_bytes(w * h * d);
    return pixels;
}

unsigned char* ZVGlfwGame::DecodeAudioFile(const String& path, int& length, int& channels, int& format,
                                           int& hertz) {
    std::FILE* file = OpenDataFile(path, String("rb"));
    if (!file) return nullptr;
    // The extension is the only test of the format.
    String name = path.ToLower();
    unsigned char* samples = nullptr;
    if (name.EndsWith(String(".wav"))) {
        samples = ZVReadWav(file, length, channels, format, hertz);
    } else if (name.EndsWith(String(".ogg"))) {
        samples = ZVReadOgg(file, length, channels, format, hertz);
    }
    std::fclose(file);
    if (samples) gc_add_native_bytes(length * channels * format);
    return samples;
}

#ifndef __EMSCRIPTEN__
// The desktop's default handler gets the URL as one argument; no shell ever sees it.
void ZVGlfwGame::OpenUrl(const String& url) {
    ReapUrlOpeners();
    std::string bytes = url.ToBytes();
    char program[] = "xdg-open";
    char* argv[] = {program, bytes.data(), nullptr};
    pid_t pid;
    if (posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) == 0) urlOpeners.push_back(pid);
}
#endif

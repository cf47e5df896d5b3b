// Ogg Vorbis files as the audio engine receives them, through the host's DecodeAudioFile: any
// bytes give null or 16-bit samples the caller can read to the end, never a crash or a hang.
#include <cstdint>
#include <cstdlib>

#include "fuzz/input_file.h"
#include "native/glfwgame.h"
#include "runtime/gc.h"

void gc_queue_roots() {}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gc_init();
    new ZVZorvexGame();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzInputFolder folder;
    // The extension picks the decoder.
    String path(folder.Write("sound.ogg", data, size).c_str());

    int length = -1, channels = -1, format = -1, hertz = -1;
    unsigned char* samples = gameInstance->DecodeAudioFile(path, length, channels, format, hertz);
    if (!samples) return 0;
    if (length < 0 || channels < 1 || format != 2 || hertz < 1) std::abort();
    volatile unsigned sum = 0;
    for (size_t i = 0, n = size_t(length) * size_t(channels) * 2; i < n; ++i) sum = sum + samples[i];
    std::free(samples);
    gc_step();  // settles the native bytes the decoder counted, as the host's step would
    return 0;
}

// libFuzzer target for the WAV reader: any bytes give null or samples that fit in the input, and
// never a crash, a hang or an allocation larger than the input. Built and run by tools/fuzz wav.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "native/wav.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;  // fmemopen refuses an empty buffer
    std::vector<uint8_t> bytes(data, data + size);
    std::FILE* file = fmemopen(bytes.data(), size, "rb");
    if (!file) return 0;

    int length = -1, channels = -1, format = -1, hertz = -1;
    unsigned char* samples = ZVReadWav(file, length, channels, format, hertz);
    std::fclose(file);
    if (!samples) {
        if (length != -1 || channels != -1 || format != -1 || hertz != -1) std::abort();
        return 0;
    }
    if (length < 0 || channels < 1 || format < 1 || hertz < 1) std::abort();
    size_t bytesOut = size_t(length) * size_t(channels) * size_t(format);
    if (bytesOut > size) std::abort();
    // Touch every sample byte so the sanitizer sees a short buffer.
    volatile unsigned sum = 0;
    for (size_t i = 0; i < bytesOut; ++i) sum = sum + samples[i];
    std::free(samples);
    return 0;
}

#include "native/wav.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

class WavInput {
public:
    explicit WavInput(std::FILE* file) : file(file) {
        long start = std::ftell(file);
        if (start >= 0 && std::fseek(file, 0, SEEK_END) == 0) {
            end = std::ftell(file);
            if (std::fseek(file, start, SEEK_SET) != 0) end = -1;
        }
    }

    bool Seekable() const { return end >= 0; }
    long BytesLeft() const {
        long at = std::ftell(file);
        return at < 0 || at > end ? 0 : end - at;
    }

    bool Tag(const char* expected) {
        char tag[4];
        return std::fread(tag, 1, 4, file) == 4 && std::memcmp(tag, expected, 4) == 0;
    }
    bool ReadTag(char (&tag)[4]) { return std::fread(tag, 1, 4, file) == 4; }

    bool U16(unsigned& value) {
        unsigned char b[2];
        if (std::fread(b, 1, 2, file) != 2) return false;
        value = b[0] | unsigned(b[1]) << 8;
        return true;
    }
    bool U32(uint32_t& value) {
        unsigned char b[4];
        if (std::fread(b, 1, 4, file) != 4) return false;
        value = b[0] | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
        return true;
    }

    // A chunk body of `size` bytes must fit in what is left of the file.
    bool Fits(uint32_t size) const { return size <= uint32_t(INT_MAX) && long(size) <= BytesLeft(); }
    bool Skip(uint32_t size) { return Fits(size) && std::fseek(file, long(size), SEEK_CUR) == 0; }
    bool Read(void* out, uint32_t size) { return std::fread(out, 1, size, file) == size; }

private:
    std::FILE* file;
    long end = -1;
};

constexpr unsigned PCM_FORMAT = 1;
constexpr uint32_t PCM_FMT_SIZE = 16;

}  // namespace

unsigned char* ZVReadWav(std::FILE* file, int& length, int& channels, int& format, int& hertz) {
    WavInput in(file);
    uint32_t riffSize;
    if (!in.Seekable() || !in.Tag("RIFF") || !in.U32(riffSize) || !in.Tag("WAVE")) return nullptr;

    uint32_t fmtSize, sampleRate, byteRate;
    unsigned audioFormat, channelCount, blockAlign, bitsPerSample;
    if (!in.Tag("fmt ") || !in.U32(fmtSize) || fmtSize < PCM_FMT_SIZE || !in.Fits(fmtSize)) return nullptr;
    if (!in.U16(audioFormat) || !in.U16(channelCount) || !in.U32(sampleRate) || !in.U32(byteRate) ||
        !in.U16(blockAlign) || !in.U16(bitsPerSample)) {
        return nullptr;
    }
    // Only whole 8- and 16-bit samples play as they are stored: 12- or 20-bit data read a byte or
    // two at a time would be noise, and no channels would make a sample frame zero bytes long.
    if (audioFormat != PCM_FORMAT || channelCount == 0 || (bitsPerSample != 8 && bitsPerSample != 16)) return nullptr;
    if (sampleRate == 0 || sampleRate > uint32_t(INT_MAX)) return nullptr;
    if (!in.Skip(fmtSize - PCM_FMT_SIZE)) return nullptr;

    for (;;) {
        char tag[4];
        uint32_t size;
        if (!in.ReadTag(tag) || !in.U32(size) || !in.Fits(size)) return nullptr;
        if (std::memcmp(tag, "data", 4) != 0) {
            if (!in.Skip(size)) return nullptr;
            continue;
        }
        unsigned char* samples = static_cast<unsigned char*>(std::malloc(size ? size : 1));
        if (!samples) return nullptr;
        if (!in.Read(samples, size)) {
            std::free(samples);
            return nullptr;
        }
        int bytesPerSample = int(bitsPerSample / 8);
        length = int(size / (channelCount * unsigned(bytesPerSample)));
        channels = int(channelCount);
        format = bytesPerSample;
        hertz = int(sampleRate);
        return samples;
    }
}

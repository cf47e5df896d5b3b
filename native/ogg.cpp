#include "native/ogg.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#define STB_VORBIS_HEADER_ONLY
#include <stb/stb_vorbis.h>

namespace {

constexpr size_t PAGE_HEADER = 27;  // "OggS", version, flags, granule, serial, sequence, CRC, segment count

uint32_t Little32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// The file's second packet, read as the decoder reads it: page after page, whatever their stream.
// Empty when the file ends first.
std::vector<uint8_t> SecondPacket(const uint8_t* bytes, size_t size) {
    std::vector<uint8_t> packet;
    int packets = 0;
    for (size_t page = 0; page + PAGE_HEADER <= size && std::memcmp(bytes + page, "OggS", 4) == 0;) {
        size_t segments = bytes[page + 26];
        size_t data = page + PAGE_HEADER + segments;
        if (data > size) break;
        for (size_t i = 0; i < segments; ++i) {
            size_t length = bytes[page + PAGE_HEADER + i];
            if (data + length > size) return {};
            if (packets == 1) packet.insert(packet.end(), bytes + data, bytes + data + length);
            data += length;
            // A segment shorter than 255 bytes ends its packet.
            if (length < 255 && ++packets == 2) return packet;
        }
        page = data;
    }
    return {};
}

}  // namespace

bool ZVOggCommentsFit(const uint8_t* bytes, size_t size) {
    std::vector<uint8_t> packet = SecondPacket(bytes, size);
    // Type 3, "vorbis", the vendor's length and text, the comment count, each comment's length and text.
    size_t at = 7;
    auto length = [&](uint64_t& value) {
        if (at + 4 > packet.size()) return false;
        value = Little32(packet.data() + at);
        at += 4;
        return true;
    };
    uint64_t vendor, count, comment;
    if (packet.size() < at || !length(vendor) || vendor > packet.size() - at) return false;
    at += size_t(vendor);
    if (!length(count)) return false;
    for (uint64_t i = 0; i < count; ++i) {
        if (!length(comment) || comment > packet.size() - at) return false;
        at += size_t(comment);
    }
    return true;
}

unsigned char* ZVReadOgg(std::FILE* file, int& length, int& channels, int& format, int& hertz,
                         size_t maxBytes) {
    std::vector<uint8_t> bytes;
    uint8_t piece[4096];
    for (size_t n; (n = std::fread(piece, 1, sizeof piece, file)) > 0;) bytes.insert(bytes.end(), piece, piece + n);
    if (bytes.size() > size_t(INT32_MAX) || !ZVOggCommentsFit(bytes.data(), bytes.size())) return nullptr;

    std::unique_ptr<char[]> arena(new char[OGG_DECODER_ARENA]);
    stb_vorbis_alloc alloc{arena.get(), OGG_DECODER_ARENA};
    int error = 0;
    stb_vorbis* decoder = stb_vorbis_open_memory(bytes.data(), int(bytes.size()), &error, &alloc);
    if (!decoder) return nullptr;
    stb_vorbis_info info = stb_vorbis_get_info(decoder);
    // A rate beyond Int would reach the caller as a negative one.
    if (info.channels <= 0 || info.sample_rate == 0 || info.sample_rate > unsigned(INT32_MAX)) {
        stb_vorbis_close(decoder);
        return nullptr;
    }
    // The buffer doubles while the decoder fills it, and never beyond the limit: a stream that
    // comes within a step of the limit is refused.
    const size_t maxSamples = maxBytes / sizeof(short);
    const size_t step = size_t(info.channels) * 4096;
    size_t capacity = step, fill = 0;
    short* samples = static_cast<short*>(std::malloc(capacity * sizeof(short)));
    while (samples) {
        int frames = stb_vorbis_get_samples_short_interleaved(decoder, info.channels, samples + fill,
                                                              int(capacity - fill));
        if (frames == 0) break;
        fill += size_t(frames) * size_t(info.channels);
        if (fill + step <= capacity) continue;
        short* grown = nullptr;
        if (capacity < maxSamples) {
            capacity = std::min(capacity * 2, maxSamples);
            grown = static_cast<short*>(std::realloc(samples, capacity * sizeof(short)));
        }
        if (!grown) std::free(samples);
        samples = grown;
    }
    stb_vorbis_close(decoder);
    if (!samples) return nullptr;
    short* shrunk = static_cast<short*>(std::realloc(samples, (fill ? fill : 1) * sizeof(short)));
    if (shrunk) samples = shrunk;
    length = int(fill / size_t(info.channels));
    channels = info.channels;
    format = 2;
    hertz = int(info.sample_rate);
    return reinterpret_cast<unsigned char*>(samples);
}

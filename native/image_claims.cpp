#include "native/image_claims.h"

#include <cstdint>
#include <cstring>

#include <stb/stb_image.h>

namespace {

enum class ImageFormat { Jpeg, Png, Bmp, Gif, Psd, Pic, Pnm, Hdr, Tga };

constexpr size_t HEAD_SIZE = 92;  // enough to tell every format apart
constexpr long PNG_SIGNATURE_SIZE = 8;

// The format as the decoder tells it from the first bytes. A file that is none of the others is
// read as TGA, which has no magic.
ImageFormat FormatOf(const uint8_t* head, size_t size) {
    auto is = [&](const char* magic) {
        size_t length = std::strlen(magic);
        return size >= length && std::memcmp(head, magic, length) == 0;
    };
    size_t fill = 0;  // a JPEG's start marker may follow fill bytes
    while (fill < size && head[fill] == 0xff) ++fill;
    if (fill > 0 && fill < size && head[fill] == 0xd8) return ImageFormat::Jpeg;
    if (is("\x89PNG\r\n\x1a\n")) return ImageFormat::Png;
    if (is("BM")) return ImageFormat::Bmp;
    if (is("GIF87a") || is("GIF89a")) return ImageFormat::Gif;
    if (is("8BPS")) return ImageFormat::Psd;
    if (is("\x53\x80\xf6\x34") && size >= 92 && std::memcmp(head + 88, "PICT", 4) == 0) return ImageFormat::Pic;
    if (is("P5") || is("P6")) return ImageFormat::Pnm;
    if (is("#?RADIANCE\n") || is("#?RGBE\n")) return ImageFormat::Hdr;
    return ImageFormat::Tga;
}

// The most pixels one byte of a format can stand for, at its most compressible.
uint64_t PixelsPerByte(ImageFormat format) {
    switch (format) {
        case ImageFormat::Jpeg: return 64 * 8;        // every 8 x 8 block costs at least a bit
        case ImageFormat::Png: return 1032 * 8;       // deflate expands at most 1032 times; 1-bit pixels
        case ImageFormat::Bmp: return 8;              // uncompressed, down to a bit a pixel
        case ImageFormat::Gif: return 4096 * 8 / 12 + 1;  // a 12-bit code stands for at most 4096 pixels
        case ImageFormat::Psd: return 128 / 2;        // a two-byte run: at most 128 pixels of a channel
        case ImageFormat::Pic: return MAX_IMAGE_SIDE / 4;  // a scanline takes a run of four bytes or more
        case ImageFormat::Pnm: return 1;                   // binary maps: a byte or more a pixel
        case ImageFormat::Hdr: return 16;  // a two-byte run of each of four components: 127 pixels
        case ImageFormat::Tga: return 128 / 2;  // a count byte and a value of a byte or more: 128 pixels
    }
    return 0;
}

// The decoder reserves what a PNG data chunk claims (up to 2 GB) before it reads it, so every
// chunk up to the end chunk must fit in the file. A file that breaks this fails to decode anyway.
bool PngChunksFit(std::FILE* file, long start, long end) {
    for (long at = start + PNG_SIGNATURE_SIZE;;) {
        uint8_t header[8];  // length, big-endian, and type
        if (std::fseek(file, at, SEEK_SET) != 0 || std::fread(header, 1, 8, file) != 8) return false;
        uint64_t length = uint64_t(header[0]) << 24 | uint32_t(header[1]) << 16 | uint32_t(header[2]) << 8 | header[3];
        uint64_t chunkEnd = uint64_t(at) + 8 + length + 4;  // and a CRC
        if (chunkEnd > uint64_t(end)) return false;
        if (std::memcmp(header + 4, "IEND", 4) == 0) return true;
        at = long(chunkEnd);
    }
}

}  // namespace

bool ZVImageClaimFits(std::FILE* file) {
    long start = std::ftell(file);
    if (start < 0 || std::fseek(file, 0, SEEK_END) != 0) return false;
    long end = std::ftell(file);
    uint8_t head[HEAD_SIZE];
    size_t headSize = std::fseek(file, start, SEEK_SET) == 0 ? std::fread(head, 1, HEAD_SIZE, file) : 0;
    ImageFormat format = FormatOf(head, headSize);
    bool chunksFit = format != ImageFormat::Png || PngChunksFit(file, start, end);
    if (std::fseek(file, start, SEEK_SET) != 0 || end <= start || !chunksFit) return false;

    int width = 0, height = 0, components = 0;
    if (!stbi_info_from_file(file, &width, &height, &components)) return false;
    if (width < 1 || height < 1 || width > MAX_IMAGE_SIDE || height > MAX_IMAGE_SIDE) return false;
    uint64_t pixels = uint64_t(width) * uint64_t(height);
    return pixels <= uint64_t(end - start) * PixelsPerByte(format);
}

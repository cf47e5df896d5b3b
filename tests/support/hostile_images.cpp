#include "tests/support/hostile_images.h"

#include <cstdint>

namespace {

std::string Le16(unsigned v) { return {char(v), char(v >> 8)}; }
std::string Le32(uint32_t v) { return Le16(v & 0xffff) + Le16(v >> 16); }
std::string Be32(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }

// The checksum is never checked, so it stays 0.
std::string PngChunk(const char* type, const std::string& data, uint32_t length) {
    return Be32(length) + type + data + Be32(0);
}

std::string Png(uint32_t width, uint32_t height, uint32_t dataLength = 10) {
    std::string header = Be32(width) + Be32(height) + std::string{8, 0, 0, 0, 0};  // 8-bit grey
    return "\x89PNG\r\n\x1a\n" + PngChunk("IHDR", header, 13) +
           PngChunk("IDAT", "\x78\x9c\x63\x60\x00\x00\x00\x02\x00\x01", dataLength) + PngChunk("IEND", "", 0);
}

const char FOUND_TGA[] =
    "\x00\x00\x0a\x89\xff\xff\xff\xff\xff\xff\xff\x19\x69\x37\x41\x41\x20\x69\x4b\x0a\x7c\x04\x00\x00"
    "\xd2\xb4\x36\x69\x35\x69\x9a\x01\x00\x60\x30\x00\x04\x6d\x6a\x0b\x25\xe6\x2d\x5a\x33\x00\xab\xab"
    "\xab\xab\xab\xab\xab\xab\xab\xab\xab\xab\xab\xab\xab\xab\xab\xab\xab\xab\xab\xab\xab\xab\xab\xab"
    "\xab\xab\xab\xab\xab\xab\xab\xab\xab\xab\xab\xab\xab\xab\xab\xab\xab\xab\x00\x00\x00\x00\xc9\x00"
    "\x0a\x00\x00\x00\x02\xd6\x92\x4e\xb1";

}  // namespace

std::vector<HostileImage> ImagesClaimingTooMuch() {
    std::string runLengthTga = std::string{0, 0, 10} + std::string(9, '\0') + Le16(1000) + Le16(1000) + "\x18\x20";
    std::string bmp = "BM" + Le32(70) + Le32(0) + Le32(54) + Le32(40) + Le32(1000) + Le32(1000) + Le16(1) +
                      Le16(24) + Le32(0) + Le32(0) + Le32(0) + Le32(0) + Le32(0) + Le32(0);
    std::string jpeg = std::string("\xff\xd8\xff\xc0\x00\x0b\x08", 7) + "\x07\xd0\x07\xd0" + "\x01\x01\x11" +
                       std::string(1, '\0');
    return {
        {"TGA, 14185 x 16705 in 105 bytes", std::string(FOUND_TGA, sizeof FOUND_TGA - 1)},
        {"run-length TGA, 1000 x 1000 in 200 bytes", runLengthTga + std::string(182, '\x7f')},
        {"PNG, 3000 x 3000 in 61 bytes", Png(3000, 3000)},
        {"PNG, 4097 pixels wide", Png(4097, 1)},
        {"PNG whose data chunk claims 2 GB", Png(1, 1, 0x7ffffff0u)},
        {"GIF, 4000 x 4000 in 29 bytes", "GIF89a" + Le16(4000) + Le16(4000) + std::string("\x00\x00\x00", 3) + ",;" +
                                             std::string(14, '\0')},
        {"BMP, 1000 x 1000 in 70 bytes", bmp + std::string(16, '\0')},
        {"JPEG, 2000 x 2000 in 15 bytes", jpeg},
    };
}

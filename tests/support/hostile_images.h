// Image files whose headers claim far more than the file could hold: each must be refused
// before it is decoded, costing neither memory nor time.
#pragma once

#include <string>
#include <vector>

struct HostileImage {
    const char* claim;
    std::string bytes;
};

// The TGA header that once held the game for minutes, then the same trick in other formats.
std::vector<HostileImage> ImagesClaimingTooMuch();

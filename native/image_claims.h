// What an image file may claim before it is decoded. The decoder reserves the pixels a header
// states and then fills them from whatever follows, padding with zeros where the file ends
// early, so a few bytes that claim a huge picture would cost gigabytes and minutes before
// anything could be refused. So an image is decoded only when its stated size is believable:
// at most MAX_IMAGE_SIDE on each side (far more than any sprite or font page of the game
// needs), no more pixels than its format could pack into the bytes the file has, and for PNG,
// no chunk longer than the rest of the file.
#pragma once

#include <cstdio>

constexpr int MAX_IMAGE_SIDE = 4096;

// The size stated by the image at the start of `file` is believable; the file's position is
// kept. An image whose size cannot be read is not.
bool ZVImageClaimFits(std::FILE* file);

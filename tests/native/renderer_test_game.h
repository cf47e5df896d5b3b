// A game object for renderer tests: a fixed device size and images decoded from memory, so the
// renderer is tested apart from the file services.
#pragma once

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "native/game.h"

class RendererTestGame : public ZVGame {
public:
    struct Image {
        int width, height, depth;
        std::vector<uint8_t> pixels;
    };

    int deviceWidth = 640;
    int deviceHeight = 480;
    std::map<std::string, Image> images;

    // An image of one colour; `pixel` holds `depth` components.
    void AddImage(const std::string& name, int width, int height, std::vector<uint8_t> pixel) {
        Image image{width, height, int(pixel.size()), {}};
        for (int i = 0; i < width * height; ++i) image.pixels.insert(image.pixels.end(), pixel.begin(), pixel.end());
        images[name] = image;
    }

    int GetDeviceWidth() override { return deviceWidth; }
    int GetDeviceHeight() override { return deviceHeight; }

    unsigned char* DecodeImageFile(const String& path, int& width, int& height, int& depth) override {
        auto found = images.find(path.ToUtf8());
        if (found == images.end()) return nullptr;
        const Image& image = found->second;
        auto* copy = static_cast<unsigned char*>(std::malloc(image.pixels.size()));
        std::memcpy(copy, image.pixels.data(), image.pixels.size());
        width = image.width;
        height = image.height;
        depth = image.depth;
        return copy;
    }
};

// RgbImage: a plain RGB picture, three bytes per pixel, top row first, allocated once.
#pragma once

#include <cstdint>
#include <vector>

namespace varnock::sisex {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

struct RgbImage {
    RgbImage(int w, int h, Rgb fillColour = {}) : width(w), height(h), rgb(size_t(w) * size_t(h) * 3) { fill(fillColour); }

    int width;
    int height;
    std::vector<uint8_t> rgb;

    void fill(Rgb c)
    {
        for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
            rgb[i] = c.r;
            rgb[i + 1] = c.g;
            rgb[i + 2] = c.b;
        }
    }
    // Pixels outside the picture are ignored.
    void set(int x, int y, Rgb c)
    {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        uint8_t* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
        p[0] = c.r;
        p[1] = c.g;
        p[2] = c.b;
    }
    Rgb at(int x, int y) const
    {
        const uint8_t* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
        return {p[0], p[1], p[2]};
    }
    // Rectangle of pixel columns x0..x1-1 and rows y0..y1-1, clipped.
    void fillRect(int x0, int y0, int x1, int y1, Rgb c)
    {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) set(x, y, c);
    }
};

} // namespace varnock::sisex

// Text measuring for reflowing in pixels: the viewer measures with its font,
// tests with a fixed-width fake.
#pragma once

#include <string_view>

class Canvas {
public:
    virtual ~Canvas() = default;
    // Width in pixels of an ANSI text in the canvas's current font.
    virtual int TextWidth(std::string_view ansiText) const = 0;
};

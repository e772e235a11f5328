// Text measuring for reflowing in pixels: the viewer measures with its font,
// tests with a fixed-width fake.
#pragma once

#include <string_view>

class Canvas {
public:
    virtual ~Canvas() = default;
    // Width in pixels of a UTF-8 text in the canvas's current font.
    virtual int TextWidth(std::string_view utf8Text) const = 0;
};

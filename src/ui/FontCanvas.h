// Text measuring with a Qt font, for reflowing a letter to a pixel width.
// A text's width is the sum of its characters' advances, taken once per
// character of the code page: reflowing a long letter measures thousands of
// prefixes, and shaping each of them anew cost tens of milliseconds. (Pairs
// that a font kerns only come out narrower when drawn.)
#pragma once

#include <QFont>
#include <array>

#include "text/Canvas.h"

class FontCanvas : public Canvas {
public:
    explicit FontCanvas(const QFont& font);
    // A leading Ctrl-A (the control-line mark) is not drawn, so not measured.
    int TextWidth(std::string_view ansiText) const override;

private:
    std::array<double, 256> Advances{};
};

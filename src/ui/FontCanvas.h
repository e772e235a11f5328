// Text measuring with a Qt font, for reflowing a letter to a pixel width.
// A text's width is the sum of its characters' advances, each taken once:
// reflowing a long letter measures thousands of prefixes, and shaping each
// of them anew cost tens of milliseconds. (Pairs that a font kerns only come
// out narrower when drawn.)
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <unordered_map>
#include <vector>

#include "text/Canvas.h"

class FontCanvas : public Canvas {
public:
    explicit FontCanvas(const QFont& font);
    // A leading Ctrl-A (the control-line mark) is not drawn, so not measured.
    int TextWidth(std::string_view utf8Text) const override;

private:
    double Advance(char32_t cp) const;

    QFontMetricsF Metrics;
    // Latin, Greek and Cyrillic up to U+04FF, measured at once; every other
    // character when first met.
    std::vector<double> CommonAdvances;
    mutable std::unordered_map<char32_t, double> OtherAdvances;
};

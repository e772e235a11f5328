// Text measuring with a Qt font, for reflowing a letter to a pixel width.
#pragma once

#include <QFontMetrics>

#include "text/Canvas.h"

class FontCanvas : public Canvas {
public:
    explicit FontCanvas(const QFont& font) : Metrics(font) {}
    // A leading Ctrl-A (the control-line mark) is not drawn, so not measured.
    int TextWidth(std::string_view ansiText) const override;

private:
    QFontMetrics Metrics;
};

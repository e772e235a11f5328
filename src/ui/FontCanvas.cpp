#include "ui/FontCanvas.h"

#include <QFontMetricsF>
#include <cmath>
#include <string>

#include "ui/QtText.h"

FontCanvas::FontCanvas(const QFont& font)
{
    const QFontMetricsF metrics(font);
    for (std::size_t code = 0; code < Advances.size(); ++code)
        Advances[code] = metrics.horizontalAdvance(ToQString(std::string(1, static_cast<char>(code))));
}

int FontCanvas::TextWidth(std::string_view ansiText) const
{
    if (!ansiText.empty() && ansiText.front() == '\x01')
        ansiText.remove_prefix(1);
    double width = 0;
    for (char ch : ansiText)
        width += Advances[static_cast<unsigned char>(ch)];
    return static_cast<int>(std::ceil(width));
}

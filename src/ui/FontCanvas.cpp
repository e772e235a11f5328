#include "ui/FontCanvas.h"

#include <cmath>

#include "core/Utf8Text.h"

namespace {

constexpr char32_t CommonEnd = 0x500;

QString CodePointText(char32_t cp)
{
    return QString::fromUcs4(&cp, 1);
}

}  // namespace

FontCanvas::FontCanvas(const QFont& font) : Metrics(font), CommonAdvances(CommonEnd)
{
    for (char32_t cp = 0; cp < CommonEnd; ++cp)
        CommonAdvances[cp] = Metrics.horizontalAdvance(CodePointText(cp));
}

double FontCanvas::Advance(char32_t cp) const
{
    if (cp < CommonEnd)
        return CommonAdvances[cp];
    auto [place, added] = OtherAdvances.try_emplace(cp, 0.0);
    if (added)
        place->second = Metrics.horizontalAdvance(CodePointText(cp));
    return place->second;
}

int FontCanvas::TextWidth(std::string_view utf8Text) const
{
    if (!utf8Text.empty() && utf8Text.front() == '\x01')
        utf8Text.remove_prefix(1);
    double width = 0;
    for (char32_t cp : CodePoints(utf8Text))
        width += Advance(cp);
    return static_cast<int>(std::ceil(width));
}

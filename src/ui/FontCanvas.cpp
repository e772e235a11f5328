#include "ui/FontCanvas.h"

#include <string>

#include "ui/AnsiText.h"

int FontCanvas::TextWidth(std::string_view ansiText) const
{
    if (!ansiText.empty() && ansiText.front() == '\x01')
        ansiText.remove_prefix(1);
    return Metrics.horizontalAdvance(FromAnsi(std::string(ansiText)));
}

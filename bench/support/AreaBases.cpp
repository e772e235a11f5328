#include "support/AreaBases.h"

#include <algorithm>

#include "support/BenchData.h"
#include "support/FidoBaseGenerator.h"
#include "support/HudsonBaseGenerator.h"
#include "support/JamBaseGenerator.h"
#include "support/SquishBaseGenerator.h"

namespace {

constexpr int UnreadEvery = 10;

}  // namespace

long LetterLimit(char format)
{
    switch (format) {
    case 'H': return HudsonLetterLimit;
    case 'F': return FidoLetterLimit;
    default: return 0x7FFFFFFF;
    }
}

void GenerateAreaBase(char format, const std::string& dir, long letters)
{
    switch (format) {
    case 'J': GenerateJamBase(dir + "/area", letters, UnreadEvery); break;
    case 'S': GenerateSquishBase(dir + "/area", letters, UnreadEvery); break;
    case 'H': GenerateHudsonBase(dir, 1, letters, UnreadEvery); break;
    default: GenerateFidoBase(dir, letters, UnreadEvery); break;
    }
}

AreaBase CachedAreaBase(char format, long letters)
{
    AreaBase area;
    area.Letters = std::min(letters, LetterLimit(format));
    area.Unread = area.Letters / UnreadEvery;
    const std::string name = std::string("area-") + format + "-" + std::to_string(area.Letters);
    area.Dir = CachedData(name, [&](const std::string& dir) { GenerateAreaBase(format, dir, area.Letters); });
    return area;
}

std::string AreaSpec(char format, const std::string& dir)
{
    switch (format) {
    case 'J': return "J" + dir + "/area";
    case 'S': return "S" + dir + "/area";
    case 'H': return "H001" + dir + "/";
    default: return "F" + dir + "/";
    }
}

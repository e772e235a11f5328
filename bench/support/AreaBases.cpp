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

AreaBase CachedAreaBase(char format, long letters)
{
    AreaBase area;
    area.Letters = format == 'H' ? std::min(letters, HudsonLetterLimit) : letters;
    area.Unread = area.Letters / UnreadEvery;
    const std::string name = std::string("area-") + format + "-" + std::to_string(area.Letters);
    area.Dir = CachedData(name, [&](const std::string& dir) {
        switch (format) {
        case 'J': GenerateJamBase(dir + "/area", area.Letters, UnreadEvery); break;
        case 'S': GenerateSquishBase(dir + "/area", area.Letters, UnreadEvery); break;
        case 'H': GenerateHudsonBase(dir, 1, area.Letters, UnreadEvery); break;
        default: GenerateFidoBase(dir, area.Letters, UnreadEvery); break;
        }
    });
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

// quorvel-tool areas AREASFILE [HUDSONPATH]: the areas as the program reads them.
#include "core/AreasFile.h"
#include "tools/ToolCommands.h"

int CommandAreas(Session&, Args args)
{
    if (args.empty() || args.size() > 2)
        throw UsageError("areas takes AREASFILE [HUDSONPATH]");
    try {
        TAreasFromCFG areas(args[0], args.size() > 1 ? args[1] : std::string());
        for (const TAreaBase* area : areas)
            PrintLine(EscapeField(area->Tag) + "\t" + EscapeField(area->BaseSpec));
    } catch (const ECantFindAreasBBS& e) {
        throw ToolError(e.what());
    }
    return 0;
}

#include "msgbase/MsgBaseFactory.h"

#include <map>

#include "core/StringHelpers.h"
#include "msgbase/fido/FidoMsgBase.h"
#include "msgbase/hudson/HudsonMsgBase.h"
#include "msgbase/jam/JamMsgBase.h"
#include "msgbase/squish/SquishMsgBase.h"

namespace {

std::map<char, BaseMaker>& ExtraFormats()
{
    static std::map<char, BaseMaker> formats;
    return formats;
}

std::unique_ptr<MsgBase> MakeBase(char letter)
{
    switch (letter) {
    // Each format adds its letter here as it is built.
    case 'F':
        return std::make_unique<FidoMsgBase>();
    case 'H':
        return std::make_unique<HudsonMsgBase>();
    case 'J':
        return std::make_unique<JamMsgBase>();
    case 'S':
        return std::make_unique<SquishMsgBase>();
    default:
        break;
    }
    auto extra = ExtraFormats().find(letter);
    return extra == ExtraFormats().end() ? nullptr : extra->second();
}

}  // namespace

std::unique_ptr<MsgBase> CreateBaseFor(const std::string& spec)
{
    if (spec.empty())
        return nullptr;
    std::unique_ptr<MsgBase> base = MakeBase(AsciiUpper(spec[0]));
    if (base)
        base->SetBasePath(spec.substr(1));  // whole: a path cut short names another base
    return base;
}

void RegisterBaseFormat(char letter, BaseMaker maker)
{
    ExtraFormats()[AsciiUpper(letter)] = std::move(maker);
}

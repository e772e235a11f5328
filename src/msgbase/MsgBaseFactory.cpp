#include "msgbase/MsgBaseFactory.h"

#include <map>

#include "core/StringHelpers.h"
#include "msgbase/jam/JamMsgBase.h"

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
    case 'J':
        return std::make_unique<JamMsgBase>();
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
        base->SetBasePath(spec.substr(1, 128));
    return base;
}

void RegisterBaseFormat(char letter, BaseMaker maker)
{
    ExtraFormats()[AsciiUpper(letter)] = std::move(maker);
}

#include "msgbase/MsgBaseFactory.h"

#include "core/StringHelpers.h"

std::unique_ptr<MsgBase> CreateBaseFor(const std::string& spec)
{
    if (spec.empty())
        return nullptr;
    std::unique_ptr<MsgBase> base;
    switch (AsciiUpper(spec[0])) {
    // Each format adds its letter here as it is built.
    default:
        return nullptr;
    }
    base->SetBasePath(spec.substr(1, 128));
    return base;
}

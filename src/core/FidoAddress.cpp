#include "core/FidoAddress.h"

#include "core/StringHelpers.h"

std::string AddressToText(const FidoAddress& address)
{
    std::string text = Address3DToText(address.Zone, address.Net, address.Node);
    if (address.Point != 0) {
        text += '.';
        text += IntToText(address.Point);
    }
    return text;
}

std::string Address3DToText(uint16_t zone, uint16_t net, uint16_t node)
{
    std::string text = IntToText(zone);
    text += ':';
    text += IntToText(net);
    text += '/';
    text += IntToText(node);
    return text;
}

namespace {

// Reads one address part; an unreadable part becomes 0 and reports failure.
bool ReadPart(std::string_view text, uint16_t& field)
{
    int32_t value = 0;
    bool ok = TryStrToInt(text, value);
    field = ok ? static_cast<uint16_t>(value) : 0;
    return ok;
}

}  // namespace

bool ParseAddress(std::string_view text, const FidoAddress& defaultAddress, FidoAddress& address)
{
    std::string rest = StripBoth(UpperAscii(text), ' ');
    if (auto at = rest.find('@'); at != std::string::npos)
        rest.erase(at);

    bool ok = true;
    address = defaultAddress;
    address.Point = 0;

    if (auto colon = rest.find(':'); colon != std::string::npos) {
        ok &= ReadPart(StripBoth(rest.substr(0, colon), ' '), address.Zone);
        rest.erase(0, colon + 1);
    }
    if (auto slash = rest.find('/'); slash != std::string::npos) {
        ok &= ReadPart(StripBoth(rest.substr(0, slash), ' '), address.Net);
        rest.erase(0, slash + 1);
    }
    if (auto dot = rest.find('.'); dot != std::string::npos) {
        uint16_t point = 0;
        ReadPart(StripBoth(rest.substr(dot + 1), ' '), point);  // a bad point is just 0
        address.Point = point;
        rest.erase(dot);
    }
    std::string node = StripBoth(rest, ' ');
    if (!node.empty())
        ok &= ReadPart(node, address.Node);
    return ok;
}

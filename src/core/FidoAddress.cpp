#include "core/FidoAddress.h"

#include <algorithm>
#include <optional>
#include <vector>

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

namespace {

// One part of an exact address: digits only, at most 65535.
AddressFault ReadExactPart(std::string_view text, uint16_t& field)
{
    const std::string digits = StripBoth(text, ' ');
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos)
        return AddressFault::NotAnAddress;
    uint32_t value = 0;
    for (char digit : digits) {
        value = value * 10 + static_cast<uint32_t>(digit - '0');
        if (value > 0xFFFF)
            return AddressFault::PartTooLarge;
    }
    field = static_cast<uint16_t>(value);
    return AddressFault::None;
}

}  // namespace

AddressFault ParseExactAddress(std::string_view text, uint16_t defaultZone, FidoAddress& address)
{
    std::string rest = StripBoth(text.substr(0, text.find('@')), ' ');
    if (rest.empty())
        return AddressFault::Empty;
    auto cut = [&rest](char separator, bool keepBefore) {
        const std::size_t at = rest.find(separator);
        if (at == std::string::npos)
            return std::optional<std::string>();
        std::string part = keepBefore ? rest.substr(0, at) : rest.substr(at + 1);
        rest = keepBefore ? rest.substr(at + 1) : rest.substr(0, at);
        return std::optional<std::string>(part);
    };
    const std::optional<std::string> zone = cut(':', true);
    const std::optional<std::string> net = cut('/', true);
    const std::optional<std::string> point = cut('.', false);
    if (point && StripBoth(rest, ' ').empty())
        return AddressFault::PointWithoutNode;
    if (!net)
        return AddressFault::NotAnAddress;

    FidoAddress parsed{defaultZone, 0, 0, 0};
    std::vector<AddressFault> faults = {ReadExactPart(*net, parsed.Net), ReadExactPart(rest, parsed.Node)};
    if (zone)
        faults.push_back(ReadExactPart(*zone, parsed.Zone));
    if (point)
        faults.push_back(ReadExactPart(*point, parsed.Point));
    // Letters anywhere make it no address at all, whatever else is too large.
    for (AddressFault fault : {AddressFault::NotAnAddress, AddressFault::PartTooLarge})
        if (std::find(faults.begin(), faults.end(), fault) != faults.end())
            return fault;
    if (parsed.Zone == 0 || parsed.Net == 0)
        return AddressFault::ZeroZoneOrNet;
    address = parsed;
    return AddressFault::None;
}

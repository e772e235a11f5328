#include "text/Netmail.h"

#include <algorithm>

#include "core/StringHelpers.h"
#include "core/UserSettings.h"

namespace {

std::string FaultText(AddressFault fault, EBadAddress::Role role, const std::string& text)
{
    const std::string whose = role == EBadAddress::Sender ? "отправителя" : "получателя";
    const char* pattern = nullptr;
    switch (fault) {
    case AddressFault::Empty:
        return Format("Не указан адрес %s. Без него нетмейл никуда не уйдёт.", whose.c_str());
    case AddressFault::PartTooLarge:
        pattern = "В адресе %s \"%s\" есть число больше 65535.";
        break;
    case AddressFault::PointWithoutNode:
        pattern = "В адресе %s \"%s\" указан пойнт, но не указан узел.";
        break;
    case AddressFault::ZeroZoneOrNet:
        pattern = "В адресе %s \"%s\" зона и сеть не могут быть нулём.";
        break;
    default:
        pattern = "Адрес %s \"%s\" не похож на адрес FidoNet. Пишется так: 2:5020/1234 или 2:5020/1234.5";
        break;
    }
    return Format(pattern, whose.c_str(), text.c_str());
}

}  // namespace

EBadAddress::EBadAddress(AddressFault fault, Role role, const std::string& text)
    : EQuorvel(FaultText(fault, role, text)), Fault(fault)
{
}

FidoAddress NetmailAddress(const std::string& text, uint16_t defaultZone, EBadAddress::Role role)
{
    FidoAddress address;
    if (AddressFault fault = ParseExactAddress(text, defaultZone, address); fault != AddressFault::None)
        throw EBadAddress(fault, role, text);
    return address;
}

std::vector<FidoAddress> SenderAddresses(const UserSettings& settings)
{
    std::vector<FidoAddress> addresses = {settings.MainAddress};
    for (const std::string& line : settings.AKAs) {
        FidoAddress aka;
        if (ParseExactAddress(ExtractWord(line, 1), settings.MainAddress.Zone, aka) == AddressFault::None &&
            std::find(addresses.begin(), addresses.end(), aka) == addresses.end())
            addresses.push_back(aka);
    }
    return addresses;
}

FidoAddress ChooseSenderAddress(const UserSettings& settings, const FidoAddress& dest)
{
    const std::vector<FidoAddress> addresses = SenderAddresses(settings);
    for (bool sameNet : {true, false}) {
        for (const FidoAddress& address : addresses)
            if (address.Zone == dest.Zone && (!sameNet || address.Net == dest.Net))
                return address;
    }
    return settings.MainAddress;
}

std::string StartingDestination(const EditorState& editor)
{
    FidoAddress dest;
    if (editor.Mode == ChangeMode)
        dest = editor.AnsweredText.DestAddr;
    else if (editor.Mode != NewLetterMode)
        dest = editor.AnsweredText.OrigAddr;
    return dest.IsZero() ? std::string() : AddressToText(dest);
}

// The FidoNet address of a node or point and its text form zone:net/node.point.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct FidoAddress {
    uint16_t Zone = 0;
    uint16_t Net = 0;
    uint16_t Node = 0;
    uint16_t Point = 0;

    bool operator==(const FidoAddress&) const = default;
    bool IsZero() const { return Zone == 0 && Net == 0 && Node == 0 && Point == 0; }
};

// zone:net/node, and .point when the point is not 0.
std::string AddressToText(const FidoAddress& address);
std::string Address3DToText(uint16_t zone, uint16_t net, uint16_t node);

// Parses an address text; parts that are missing come from defaultAddress
// (zone, net, node; the point is 0 when absent). A domain after "@" is ignored.
// False when a zone, net or node text is present but not a number; the
// address is filled in any case.
bool ParseAddress(std::string_view text, const FidoAddress& defaultAddress, FidoAddress& address);

// What is wrong with the text of an address that must name one station.
enum class AddressFault {
    None,
    Empty,             // nothing typed
    NotAnAddress,      // not zone:net/node.point (letters, a missing net or node)
    PartTooLarge,      // a part above 65535
    PointWithoutNode,  // ".5", "2:5020/.5"
    ZeroZoneOrNet,     // zone or net 0: no station has it
};

// Parses [zone:]net/node[.point][@domain] exactly: every part present is a
// decimal number up to 65535, net and node are required, a missing zone is
// defaultZone. Unlike ParseAddress, nothing is guessed from another address
// and nothing is cut to 16 bits: the address is only filled when the result
// is AddressFault::None.
AddressFault ParseExactAddress(std::string_view text, uint16_t defaultZone, FidoAddress& address);

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

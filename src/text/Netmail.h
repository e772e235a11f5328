// Netmail: a letter to one station, which the tosser routes by its full
// destination address (zone, net, node and point). Which sender address it
// goes from, where an answer goes, and the address checks that keep a letter
// no tosser can route from being written at all.
#pragma once

#include <string>
#include <vector>

#include "core/Exceptions.h"
#include "core/UserSettings.h"
#include "core/FidoAddress.h"
#include "text/EditorState.h"

// The address typed for a netmail letter names no station; nothing was
// written. The message says what is wrong, in the user's words.
class EBadAddress : public EQuorvel {
public:
    enum Role { Recipient, Sender };
    EBadAddress(AddressFault fault, Role role, const std::string& text);
    AddressFault Fault;
};

// The address typed for a netmail letter, parsed exactly (a zone left out is
// defaultZone). EBadAddress when it does not name one station.
FidoAddress NetmailAddress(const std::string& text, uint16_t defaultZone, EBadAddress::Role role);

// The addresses a netmail letter may go from: the main address first, then
// every AKA line that is an address (its zone, when left out, the main
// address's), each once.
std::vector<FidoAddress> SenderAddresses(const UserSettings& settings);

// The sender address for a destination: the first of SenderAddresses in the
// destination's zone and net, else the first in its zone, else the main
// address.
FidoAddress ChooseSenderAddress(const UserSettings& settings, const FidoAddress& dest);

// The destination a netmail editor starts with, as text: none for a new
// letter, the changed letter's own destination, and for a reply or a comment
// the answered letter's full origin. Empty when the letter carries none.
std::string StartingDestination(const EditorState& editor);

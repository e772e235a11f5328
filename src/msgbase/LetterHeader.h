// A letter's header as one value: what every format stores about a letter
// besides its text. A format fills it whole when asked (MsgBase::Header) and
// takes it whole to store a new letter or to write a changed header back;
// nothing above the formats holds a cursor into a header.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

#include "core/Charset.h"
#include "core/DateHelpers.h"
#include "core/FidoAddress.h"

// Letter number: 1-based, unique within an area, not dense; 0 = none.
using Num = uint32_t;

// The attributes a letter may carry, under one set of names in every format.
// Read is the program's own mark of a letter the user has read; Echo marks a
// letter the tosser must still export; Deleted can only be read.
enum class LetterFlag : uint16_t {
    Local = 1 << 0,
    Received = 1 << 1,
    Private = 1 << 2,
    Crash = 1 << 3,
    KillSent = 1 << 4,
    Sent = 1 << 5,
    FileAttach = 1 << 6,
    ReceiptRequest = 1 << 7,
    AuditRequest = 1 << 8,
    ReturnReceipt = 1 << 9,
    FileRequest = 1 << 10,
    Read = 1 << 11,
    Deleted = 1 << 12,
    Echo = 1 << 13,
};

class LetterFlags {
public:
    constexpr LetterFlags() = default;
    constexpr LetterFlags(std::initializer_list<LetterFlag> flags)
    {
        for (LetterFlag flag : flags)
            Set(flag);
    }
    constexpr bool Has(LetterFlag flag) const { return (Bits & static_cast<uint16_t>(flag)) != 0; }
    constexpr void Set(LetterFlag flag, bool on = true)
    {
        Bits = static_cast<uint16_t>(on ? Bits | static_cast<uint16_t>(flag) : Bits & ~static_cast<uint16_t>(flag));
    }
    constexpr bool operator==(const LetterFlags&) const = default;

private:
    uint16_t Bits = 0;
};

struct LetterHeader {
    Num Number = 0;  // set by the format; ignored when writing
    std::string From, To;
    std::string Subject;  // as read: leading "RE:" prefixes removed
    FidoAddress Orig, Dest;
    Num ReplyTo = 0;         // the letter this one answers
    Num FirstReply = 0;      // the first answer to it
    Num NextReply = 0;       // the next answer to the same letter (JAM only)
    DateTime Written = 0;    // 0 when the stored date does not convert
    DateTime Processed = 0;  // when the tosser stored it (JAM, Squish); 0 elsewhere
    uint16_t Cost = 0;       // Hudson and *.MSG only
    LetterFlags Flags;
    // The set the header was decoded by: the one the letter names beside its
    // header, after StartText the text's; None when the fields were decoded
    // one by one by the rule. Ignored when writing (see SetOutgoingCharset).
    Charset Set = Charset::None;

    bool operator==(const LetterHeader&) const = default;
};

// One flag as a format keeps it: a bit of one of its attribute words.
struct FlagBit {
    LetterFlag Flag;
    uint32_t Bit;
};

// The flags a format's attribute word holds, by its table of bits.
LetterFlags FlagsOfWord(uint32_t word, std::span<const FlagBit> table);
// The word with the bits of every flag that differs between was and wanted
// set as wanted says; the other bits as they are.
uint32_t WordWithChangedFlags(uint32_t word, LetterFlags was, LetterFlags wanted, std::span<const FlagBit> table);

// The stored letter of a *.MSG directory: a fixed 190-byte header followed by
// the text (bytes of the letter's character set, lines ended by CR, normally terminated by NUL).
// All words little-endian.
#pragma once

#include <cstdint>

namespace FidoMsg {

constexpr uint32_t FromOffset = 0;        // 36 bytes, NUL-terminated sender name
constexpr uint32_t ToOffset = 36;         // 36 bytes, recipient name
constexpr uint32_t SubjectOffset = 72;    // 72 bytes, subject
constexpr uint32_t DateTextOffset = 144;  // 20 bytes, "DD Mon YY  HH:NN:SS"
constexpr uint32_t TimesReadOffset = 164; // word; our read mark
constexpr uint32_t DestNodeOffset = 166;
constexpr uint32_t OrigNodeOffset = 168;
constexpr uint32_t CostOffset = 170;
constexpr uint32_t OrigNetOffset = 172;
constexpr uint32_t DestNetOffset = 174;
constexpr uint32_t DateWrittenOffset = 176;  // packed DOS date word, then time word
constexpr uint32_t DateArrivedOffset = 180;  // the same, when the letter was stored
constexpr uint32_t ReplyToOffset = 184;      // word
constexpr uint32_t AttributeOffset = 186;    // word
constexpr uint32_t FirstReplyOffset = 188;   // word
constexpr uint32_t HeaderSize = 190;         // the text starts here

constexpr uint32_t NameFieldSize = 36;
constexpr uint32_t SubjectFieldSize = 72;
constexpr uint32_t DateTextFieldSize = 20;
constexpr uint32_t NameLength = NameFieldSize - 1;        // characters written
constexpr uint32_t SubjectLength = SubjectFieldSize - 1;

static_assert(ToOffset == FromOffset + NameFieldSize);
static_assert(SubjectOffset == ToOffset + NameFieldSize);
static_assert(DateTextOffset == SubjectOffset + SubjectFieldSize);
static_assert(TimesReadOffset == DateTextOffset + DateTextFieldSize);
static_assert(DateWrittenOffset == DestNetOffset + 2);
static_assert(HeaderSize == FirstReplyOffset + 2);

// Attribute word bits.
constexpr uint16_t AttrPrivate = 0x0001;
constexpr uint16_t AttrCrash = 0x0002;
constexpr uint16_t AttrReceived = 0x0004;
constexpr uint16_t AttrSent = 0x0008;
constexpr uint16_t AttrFileAttach = 0x0010;
constexpr uint16_t AttrKillSent = 0x0080;
constexpr uint16_t AttrLocal = 0x0100;
constexpr uint16_t AttrFileRequest = 0x0800;
constexpr uint16_t AttrReceiptRequest = 0x1000;
constexpr uint16_t AttrReturnReceipt = 0x2000;
constexpr uint16_t AttrAuditRequest = 0x4000;

// Letter numbers: the reply fields hold 16 bits, so a letter above this
// number could never be linked (and the last-read file could not name it).
constexpr uint32_t HighestNumber = 65535;

}  // namespace FidoMsg

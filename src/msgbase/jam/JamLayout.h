// The records of a JAM message base as they lie on disk: four files that
// share one base path (.jhr headers, .jdt texts, .jdx index, .jlr last-read).
// All integers are little-endian and every record is packed; the structs are
// read and written as they are, so the sizes and offsets below are the format.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/Crc32.h"

static_assert(std::endian::native == std::endian::little, "JAM records are read as little-endian structs");

// "JAM" and a zero byte, at the start of the base header and of every letter header.
constexpr uint32_t JamSignature = 0x004D414A;
constexpr uint16_t JamRevision = 1;
// A CRC field that holds no value (no MSGID, no REPLY, no password).
constexpr uint32_t JamNoCrc = 0xFFFFFFFF;

#pragma pack(push, 1)

// .jhr, offset 0.
struct JamBaseHeader {
    uint32_t Signature;
    uint32_t DateCreated;  // seconds since 1970, local time
    uint32_t ModCounter;   // +1 per stored or deleted letter
    uint32_t ActiveMsgs;   // letters not deleted
    uint32_t PasswordCRC;
    uint32_t BaseMsgNum;   // number of the letter of .jdx record 0
    uint8_t Reserved[1000];
};

// .jhr, each letter: this fixed part, then SubfieldLen bytes of subfields.
struct JamMsgHeader {
    uint32_t Signature;
    uint16_t Revision;
    uint16_t ReservedWord;
    uint32_t SubfieldLen;
    uint32_t TimesRead;
    uint32_t MSGIDcrc;
    uint32_t REPLYcrc;
    uint32_t ReplyTo;
    uint32_t Reply1st;
    uint32_t ReplyNext;
    uint32_t DateWritten;    // seconds since 1970, local time
    uint32_t DateReceived;
    uint32_t DateProcessed;
    uint32_t MessageNumber;
    uint32_t Attribute;
    uint32_t Attribute2;
    uint32_t TxtOffset;      // in .jdt
    uint32_t TxtLen;
    uint32_t PasswordCRC;
    uint32_t Cost;
};

// The head of one subfield; DatLen bytes of data follow, with no terminator.
struct JamSubfieldHead {
    uint16_t LoID;
    uint16_t HiID;
    uint32_t DatLen;
};

// .jdx: record i belongs to letter BaseMsgNum + i.
struct JamIndexRecord {
    uint32_t UserCRC;    // JamNameCrc of the recipient as stored
    uint32_t HdrOffset;  // of the letter header in .jhr
};

// .jlr: one record per user.
struct JamLastRead {
    uint32_t UserCRC;
    uint32_t UserID;
    uint32_t LastReadMsg;
    uint32_t HighReadMsg;
};

#pragma pack(pop)

static_assert(sizeof(JamBaseHeader) == 1024);
static_assert(offsetof(JamBaseHeader, BaseMsgNum) == 20);
static_assert(offsetof(JamBaseHeader, Reserved) == 24);
static_assert(sizeof(JamMsgHeader) == 76);
static_assert(offsetof(JamMsgHeader, SubfieldLen) == 8);
static_assert(offsetof(JamMsgHeader, MSGIDcrc) == 16);
static_assert(offsetof(JamMsgHeader, ReplyTo) == 24);
static_assert(offsetof(JamMsgHeader, DateWritten) == 36);
static_assert(offsetof(JamMsgHeader, MessageNumber) == 48);
static_assert(offsetof(JamMsgHeader, Attribute) == 52);
static_assert(offsetof(JamMsgHeader, TxtOffset) == 60);
static_assert(offsetof(JamMsgHeader, Cost) == 72);
static_assert(sizeof(JamSubfieldHead) == 8);
static_assert(sizeof(JamIndexRecord) == 8);
static_assert(sizeof(JamLastRead) == 16);

// A deleted letter's record holds 0xFFFFFFFF in both fields. The header
// offset alone decides, read as a signed number: 0xFFFFFFFF is also the
// checksum of an empty recipient name, so a letter to nobody has it as its
// UserCRC and is still there.
constexpr JamIndexRecord JamDeletedRecord{0xFFFFFFFF, 0xFFFFFFFF};
inline bool JamIndexLive(const JamIndexRecord& record)
{
    return static_cast<int32_t>(record.HdrOffset) >= 0;
}

// Attribute bits.
constexpr uint32_t JamLocal = 0x00000001;
constexpr uint32_t JamPrivate = 0x00000004;
constexpr uint32_t JamReceived = 0x00000008;  // read by the addressee
constexpr uint32_t JamSent = 0x00000010;
constexpr uint32_t JamKillSent = 0x00000020;
constexpr uint32_t JamCrash = 0x00000100;
constexpr uint32_t JamFileRequest = 0x00001000;
constexpr uint32_t JamFileAttach = 0x00002000;
constexpr uint32_t JamReceiptRequest = 0x00010000;
constexpr uint32_t JamAuditRequest = 0x00020000;
constexpr uint32_t JamTypeLocal = 0x00800000;
constexpr uint32_t JamTypeEcho = 0x01000000;
constexpr uint32_t JamTypeNet = 0x02000000;
constexpr uint32_t JamRead = 0x10000000;  // this program's own already-read mark
constexpr uint32_t JamDeleted = 0x80000000;

// Subfield codes.
enum JamSubfield : uint16_t {
    JamOAddress = 0,
    JamDAddress = 1,
    JamSenderName = 2,
    JamReceiverName = 3,
    JamMsgId = 4,
    JamReplyId = 5,
    JamSubject = 6,
    JamPid = 7,
    JamTrace = 8,
    JamEnclosedFile = 9,
    JamEnclosedFileRequest = 11,
    JamFtsKludge = 2000,
    JamSeenBy2D = 2001,
    JamPath2D = 2002,
    JamFlags = 2003,
};

// The checksum JAM keeps of names and MSGID/REPLY values: CRC-32 of the text
// with A-Z lowered, no final inversion.
inline uint32_t JamNameCrc(std::string_view text)
{
    return Crc32LowerName(text);
}

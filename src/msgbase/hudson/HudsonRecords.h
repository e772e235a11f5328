// The records of a Hudson base as they lie on disk: packed, little-endian,
// no field aligned. Five files hold up to 200 boards together; record n of
// MSGIDX, MSGTOIDX and MSGHDR describe the same letter (its index position).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little,
              "the Hudson records are read and written in place as little-endian structures");

// Boards of a base; the per-board tables have this many entries.
constexpr int HudsonBoards = 200;
// The letter number that marks a deleted letter in MSGIDX.
constexpr uint16_t HudsonDeletedNumber = 0xFFFF;
// Characters a text block holds.
constexpr int HudsonBlockChars = 255;
// Field widths of the header strings.
constexpr int HudsonNameChars = 35;
constexpr int HudsonSubjectChars = 72;

// Message attribute bits.
constexpr uint8_t HudsonMsgDeleted = 0x01;
constexpr uint8_t HudsonMsgNetPending = 0x02;   // outgoing netmail not yet exported
constexpr uint8_t HudsonMsgNetmail = 0x04;
constexpr uint8_t HudsonMsgPrivate = 0x08;
constexpr uint8_t HudsonMsgReceived = 0x10;
constexpr uint8_t HudsonMsgEchoPending = 0x20;  // outgoing echomail not yet exported
constexpr uint8_t HudsonMsgLocal = 0x40;
constexpr uint8_t HudsonMsgRead = 0x80;         // read by the user of this program

// Net attribute bits.
constexpr uint8_t HudsonNetKillSent = 0x01;
constexpr uint8_t HudsonNetSent = 0x02;
constexpr uint8_t HudsonNetFileAttach = 0x04;
constexpr uint8_t HudsonNetCrash = 0x08;
constexpr uint8_t HudsonNetReceiptRequest = 0x10;
constexpr uint8_t HudsonNetAuditRequest = 0x20;
constexpr uint8_t HudsonNetReturnReceipt = 0x40;
constexpr uint8_t HudsonNetFileRequest = 0x80;

#pragma pack(push, 1)

// MSGINFO.BBS: exactly one record, the counters of the whole base.
struct HudsonInfoRecord {
    uint16_t LowMsg;                    // lowest letter number
    uint16_t HighMsg;                   // highest number ever given; the next letter gets HighMsg + 1
    uint16_t TotalMsgs;                 // live letters in the base
    uint16_t ActiveMsgs[HudsonBoards];  // live letters per board, board 1 first
};

// MSGIDX.BBS: one record per letter.
struct HudsonIdxRecord {
    uint16_t MsgNum;  // HudsonDeletedNumber for a deleted letter
    uint8_t Board;
};

// MSGTOIDX.BBS: the recipient, "* Received *" or "* Deleted *" (length-prefixed, stored bytes).
struct HudsonToIdxRecord {
    uint8_t Length;
    char Name[HudsonNameChars];
};

// MSGHDR.BBS: one header per letter.
struct HudsonHdrRecord {
    uint16_t MsgNum;
    uint16_t ReplyTo;
    uint16_t SeeAlsoNum;  // first reply
    uint16_t TimesRead;
    uint16_t StartBlock;  // first text block: record number in MSGTXT
    uint16_t NumBlocks;
    uint16_t DestNet;
    uint16_t DestNode;
    uint16_t OrigNet;
    uint16_t OrigNode;
    uint8_t DestZone;
    uint8_t OrigZone;
    uint16_t Cost;
    uint8_t MsgAttr;
    uint8_t NetAttr;
    uint8_t Board;
    uint8_t TimeLength;  // "HH:NN"
    char Time[5];
    uint8_t DateLength;  // "MM-DD-YY"
    char Date[8];
    uint8_t ToLength;
    char To[HudsonNameChars];
    uint8_t FromLength;
    char From[HudsonNameChars];
    uint8_t SubjectLength;
    char Subject[HudsonSubjectChars];
};

// MSGTXT.BBS: text blocks of up to 255 characters.
struct HudsonTxtRecord {
    uint8_t Length;
    char Text[HudsonBlockChars];
};

// LASTREAD.BBS: one record per user, the last-read number of every board.
struct HudsonLastReadRecord {
    uint16_t Numbers[HudsonBoards];
};

// ECHOMAIL.BBS and NETMAIL.BBS: index positions of letters the tosser must export.
struct HudsonExportRecord {
    uint16_t Position;
};

#pragma pack(pop)

static_assert(sizeof(HudsonInfoRecord) == 406);
static_assert(sizeof(HudsonIdxRecord) == 3);
static_assert(sizeof(HudsonToIdxRecord) == 36);
static_assert(sizeof(HudsonHdrRecord) == 187);
static_assert(sizeof(HudsonTxtRecord) == 256);
static_assert(sizeof(HudsonLastReadRecord) == 400);
static_assert(sizeof(HudsonExportRecord) == 2);

static_assert(offsetof(HudsonInfoRecord, ActiveMsgs) == 6);
static_assert(offsetof(HudsonHdrRecord, StartBlock) == 8);
static_assert(offsetof(HudsonHdrRecord, DestZone) == 20);
static_assert(offsetof(HudsonHdrRecord, Cost) == 22);
static_assert(offsetof(HudsonHdrRecord, MsgAttr) == 24);
static_assert(offsetof(HudsonHdrRecord, Board) == 26);
static_assert(offsetof(HudsonHdrRecord, TimeLength) == 27);
static_assert(offsetof(HudsonHdrRecord, DateLength) == 33);
static_assert(offsetof(HudsonHdrRecord, ToLength) == 42);
static_assert(offsetof(HudsonHdrRecord, FromLength) == 78);
static_assert(offsetof(HudsonHdrRecord, SubjectLength) == 114);

// The byte of MSGINFO.BBS (just past its record) on which writers serialise.
constexpr int64_t HudsonLockOffset = sizeof(HudsonInfoRecord);

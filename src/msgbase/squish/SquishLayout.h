// The on-disk records of a Squish base: the base header and the frames of
// .SQD (frame header, message header, body), the 12-byte index records of
// .SQI. Little-endian, packed; the structs are copied to and from file bytes
// with memcpy, so they are read on little-endian hosts only.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little, "the Squish records are read as little-endian structs");

// Sizes and limits.
constexpr uint32_t SquishBaseHeaderSize = 256;     // what this program writes
constexpr uint32_t SquishMaxBaseHeaderSize = 356;  // larger headers are refused
constexpr uint32_t SquishFrameHeaderSize = 28;
constexpr uint32_t SquishMessageHeaderSize = 238;
constexpr uint32_t SquishIndexRecordSize = 12;

constexpr uint32_t SquishFrameId = 0xAFAE4453;
constexpr uint16_t SquishLetterFrame = 0;
constexpr uint16_t SquishFreeFrame = 1;

// Attribute bits of the message header.
constexpr uint32_t SquishAttrPrivate = 0x00000001;
constexpr uint32_t SquishAttrCrash = 0x00000002;
constexpr uint32_t SquishAttrReceived = 0x00000004;
constexpr uint32_t SquishAttrSent = 0x00000008;
constexpr uint32_t SquishAttrFileAttach = 0x00000010;
constexpr uint32_t SquishAttrKillSent = 0x00000080;
constexpr uint32_t SquishAttrLocal = 0x00000100;
constexpr uint32_t SquishAttrFileRequest = 0x00000800;
constexpr uint32_t SquishAttrReceiptRequest = 0x00001000;
constexpr uint32_t SquishAttrReturnReceipt = 0x00002000;
constexpr uint32_t SquishAttrAuditRequest = 0x00004000;
constexpr uint32_t SquishAttrScanned = 0x00010000;  // already scanned for export
constexpr uint32_t SquishAttrRead = 0x80000000;     // this program's own read mark

#pragma pack(push, 1)

// At offset 0 of .SQD; its own length is its first field.
struct SquishBaseHeader {
    uint16_t len;
    uint16_t reserved1;
    uint32_t num_msg;
    uint32_t high_msg;
    uint32_t skip_msg;
    uint32_t high_water;
    uint32_t uid;
    char base[80];
    uint32_t begin_frame;
    uint32_t last_frame;
    uint32_t free_frame;
    uint32_t last_free_frame;
    uint32_t end_frame;
    uint32_t max_msg;
    uint16_t keep_days;
    uint16_t sz_sqhdr;
    uint8_t reserved2[124];
};

// Every frame of .SQD starts with this; the message header follows sz_sqhdr
// bytes after the frame start, the body (control information, then text)
// directly after the message header.
struct SquishFrameHeader {
    uint32_t id;
    uint32_t next_frame;
    uint32_t prev_frame;
    uint32_t frame_length;  // bytes available after the frame header
    uint32_t msg_length;    // message header + body
    uint32_t clen;          // control information at the start of the body
    uint16_t frame_type;
    uint16_t reserved;
};

struct SquishAddress {
    uint16_t zone;
    uint16_t net;
    uint16_t node;
    uint16_t point;
};

struct SquishMessageHeader {
    uint32_t attr;
    char from[36];
    char to[36];
    char subj[72];
    SquishAddress orig;
    SquishAddress dest;
    uint32_t date_written;  // DOS date in the low word, time in the high word
    uint32_t date_arrived;
    uint16_t utc_ofs;
    uint32_t replyto;
    uint32_t replies[9];
    uint32_t umsgid;
    char ftsc_date[20];
};

struct SquishIndexRecord {
    uint32_t ofs;
    uint32_t umsgid;
    uint32_t hash;
};

#pragma pack(pop)

static_assert(sizeof(SquishBaseHeader) == SquishBaseHeaderSize);
static_assert(offsetof(SquishBaseHeader, num_msg) == 4);
static_assert(offsetof(SquishBaseHeader, uid) == 20);
static_assert(offsetof(SquishBaseHeader, base) == 24);
static_assert(offsetof(SquishBaseHeader, begin_frame) == 104);
static_assert(offsetof(SquishBaseHeader, end_frame) == 120);
static_assert(offsetof(SquishBaseHeader, keep_days) == 128);
static_assert(offsetof(SquishBaseHeader, sz_sqhdr) == 130);

static_assert(sizeof(SquishFrameHeader) == SquishFrameHeaderSize);
static_assert(offsetof(SquishFrameHeader, msg_length) == 16);
static_assert(offsetof(SquishFrameHeader, frame_type) == 24);

static_assert(sizeof(SquishAddress) == 8);
static_assert(sizeof(SquishMessageHeader) == SquishMessageHeaderSize);
static_assert(offsetof(SquishMessageHeader, from) == 4);
static_assert(offsetof(SquishMessageHeader, to) == 40);
static_assert(offsetof(SquishMessageHeader, subj) == 76);
static_assert(offsetof(SquishMessageHeader, orig) == 148);
static_assert(offsetof(SquishMessageHeader, dest) == 156);
static_assert(offsetof(SquishMessageHeader, date_written) == 164);
static_assert(offsetof(SquishMessageHeader, date_arrived) == 168);
static_assert(offsetof(SquishMessageHeader, utc_ofs) == 172);
static_assert(offsetof(SquishMessageHeader, replyto) == 174);
static_assert(offsetof(SquishMessageHeader, replies) == 178);
static_assert(offsetof(SquishMessageHeader, umsgid) == 214);
static_assert(offsetof(SquishMessageHeader, ftsc_date) == 218);

static_assert(sizeof(SquishIndexRecord) == SquishIndexRecordSize);

// date_written keeps the DOS date in its low word and the time in its high
// word: the packed DOS value with its halves swapped (both ways).
inline uint32_t SwapDosHalves(uint32_t value)
{
    return (value >> 16) | (value << 16);
}

// Frames are written over only where a frame of the expected kind stands: an
// offset from a damaged chain or index never makes a write over text.
inline bool IsFrameOf(const SquishFrameHeader& frame, uint16_t kind)
{
    return frame.id == SquishFrameId && frame.frame_type == kind;
}

// Squish records written out field by field: the bytes of bases built by
// hand, and the bytes a test expects the base to have written.
#pragma once

#include <string>

#include "core/DateHelpers.h"
#include "msgbase/squish/SquishMsgBase.h"
#include "support/TestSupport.h"

struct SqdHeader {
    uint32_t num = 0, uid = 1, begin = 0, last = 0, free = 0, lastFree = 0, end = 256, maxMsg = 0, skip = 0;
    uint16_t len = 256, frameHeader = 28;
    std::string base{};
};

inline std::string HeaderBytes(const SqdHeader& h)
{
    return Le16(h.len) + Le16(0) + Le32(h.num) + Le32(h.num) + Le32(h.skip) + Le32(0) + Le32(h.uid) +
           ZeroField(h.base, 80) + Le32(h.begin) + Le32(h.last) + Le32(h.free) + Le32(h.lastFree) + Le32(h.end) +
           Le32(h.maxMsg) + Le16(0) + Le16(h.frameHeader) + std::string(124, '\0');
}

inline std::string FrameBytes(uint32_t next, uint32_t prev, uint32_t frameLength, uint32_t msgLength, uint16_t type,
                              uint32_t clen = 0)
{
    return Le32(0xAFAE4453) + Le32(next) + Le32(prev) + Le32(frameLength) + Le32(msgLength) + Le32(clen) + Le16(type) +
           Le16(0);
}

// A message header with the sender given, to "All", subject "s", written
// 2024-12-01 09:30:00 from 2:5020/1234.5, local.
inline std::string MessageBytes(const std::string& from, uint32_t attr = 0x100, const std::string& to = "All")
{
    return Le32(attr) + ZeroField(from, 36) + ZeroField(to, 36) + ZeroField("s", 72) + Le16(2) + Le16(5020) +
           Le16(1234) + Le16(5) + std::string(8, '\0') + Le16(0x5981) + Le16(0x4BC0) + std::string(4 + 2 + 4 + 36 + 4, '\0') +
           ZeroField("01 Dec 24  09:30:00", 20);
}

inline std::string IndexBytes(uint32_t ofs, uint32_t uid, uint32_t hash = 0x682C)
{
    return Le32(ofs) + Le32(uid) + Le32(hash);
}

// Stores a letter as MessageBytes describes it; the text is given in lines.
inline Status Post(MsgBase& base, const std::string& from, const std::string& text, const std::string& to = "All")
{
    {
        LetterHeader header;
        header.From = from;
        header.To = to;
        header.Subject = "s";
        header.Written = EncodeDate(2024, 12, 1) + EncodeTime(9, 30, 0);
        header.Orig = {2, 5020, 1234, 5};
        header.Flags.Set(LetterFlag::Local, true);
        base.StartNewLetter(header);
    }
    base.WriteText(text);
    return base.WriteLetter();
}

// An opened base object on path.
struct OpenSquish {
    SquishMsgBase base;
    explicit OpenSquish(const std::string& path, bool create = false)
    {
        base.SetBasePath(path);
        if (create)
            base.CreateBase(0, 0);
        open = base.OpenBase();
    }
    Status open = 0;
};

// The numbers of the letters, walked from the first.
inline std::string Walk(MsgBase& base)
{
    std::string numbers;
    for (base.SeekFirst(1); base.SeekFound(); base.SeekNext())
        numbers += std::to_string(base.GetNumber()) + " ";
    return numbers;
}

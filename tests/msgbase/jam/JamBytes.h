// JAM records written out field by field, for tests that build bases byte by
// byte or compare what the base wrote with what the format prescribes.
#pragma once

#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace jam_bytes {

inline std::string Subfield(uint16_t id, const std::string& data)
{
    return Le16(id) + Le16(0) + Le32(static_cast<uint32_t>(data.size())) + data;
}

inline std::string BaseHeader(uint32_t created, uint32_t modCounter, uint32_t active, uint32_t baseNum,
                              uint32_t reserved24 = 0)
{
    return "JAM" + std::string(1, '\0') + Le32(created) + Le32(modCounter) + Le32(active) + Le32(0xFFFFFFFF) +
           Le32(baseNum) + Le32(reserved24) + std::string(996, '\0');
}

struct Letter {
    uint32_t MsgIdCrc = 0xFFFFFFFF, ReplyCrc = 0xFFFFFFFF;
    uint32_t ReplyTo = 0, Reply1st = 0, ReplyNext = 0;
    uint32_t DateWritten = 0, Number = 0, Attribute = 0;
    uint32_t TxtOffset = 0, TxtLen = 0;
    uint32_t Cost = 0;
    std::string Subfields;
    uint32_t SubfieldLen = 0xFFFFFFFF;  // default: the length of Subfields
};

inline std::string LetterHeaderBytes(const Letter& l)
{
    uint32_t subLen = l.SubfieldLen == 0xFFFFFFFF ? static_cast<uint32_t>(l.Subfields.size()) : l.SubfieldLen;
    return "JAM" + std::string(1, '\0') + Le16(1) + Le16(0) + Le32(subLen) + Le32(0) + Le32(l.MsgIdCrc) +
           Le32(l.ReplyCrc) + Le32(l.ReplyTo) + Le32(l.Reply1st) + Le32(l.ReplyNext) + Le32(l.DateWritten) +
           Le32(0) + Le32(0) + Le32(l.Number) + Le32(l.Attribute) + Le32(0) + Le32(l.TxtOffset) + Le32(l.TxtLen) +
           Le32(0xFFFFFFFF) + Le32(l.Cost) + l.Subfields;
}

inline std::string IndexRecord(uint32_t userCrc, uint32_t hdrOffset)
{
    return Le32(userCrc) + Le32(hdrOffset);
}

// A base "dir/echo" of letters numbered from 1, each text following the
// previous one in .jdt; TxtOffset, TxtLen and Number are filled in.
inline void WriteBase(const std::string& dir, std::vector<Letter> letters, const std::vector<std::string>& texts)
{
    std::string jhr = BaseHeader(0, 0, static_cast<uint32_t>(letters.size()), 1), jdt, jdx;
    for (std::size_t i = 0; i < letters.size(); ++i) {
        letters[i].Number = static_cast<uint32_t>(i + 1);
        letters[i].TxtOffset = static_cast<uint32_t>(jdt.size());
        letters[i].TxtLen = static_cast<uint32_t>(texts[i].size());
        jdx += IndexRecord(0x12345678, static_cast<uint32_t>(jhr.size()));
        jhr += LetterHeaderBytes(letters[i]);
        jdt += texts[i];
    }
    WriteFileBytes(dir + "/echo.jhr", jhr);
    WriteFileBytes(dir + "/echo.jdt", jdt);
    WriteFileBytes(dir + "/echo.jdx", jdx);
}

}  // namespace jam_bytes

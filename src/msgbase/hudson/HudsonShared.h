// What the files of HudsonMsgBase (HudsonMsgBase.cpp, HudsonOpening.cpp,
// HudsonWriting.cpp) share: the file names as the program spells them, the
// length-prefixed string fields, and the status of a failed file-layer call.
// Used by those files only.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>

#include "msgbase/FileLayer.h"

namespace hudson_files {

// The names as the program spells them; the file layer finds them whatever
// their case on disk.
constexpr const char* InfoName = "MSGINFO.BBS";
constexpr const char* InfoNameForCount = "MsgInfo.Bbs";
constexpr const char* IdxName = "MSGIDX.BBS";
constexpr const char* ToIdxName = "MSGTOIDX.BBS";
constexpr const char* HdrName = "MSGHDR.BBS";
constexpr const char* TxtName = "MSGTXT.BBS";
constexpr const char* LastReadName = "LastRead.Bbs";
constexpr const char* EchoMailName = "ECHOMAIL.BBS";
constexpr const char* NetMailName = "NETMAIL.BBS";

// The status of a failed file-layer call (never 0).
inline Status IoStatus()
{
    return LastIoError != 0 ? LastIoError : 31;
}

inline std::string PascalText(uint8_t length, const char* data, std::size_t capacity)
{
    std::size_t n = std::min<std::size_t>(length, capacity);
    const char* nul = static_cast<const char*>(std::memchr(data, '\0', n));
    return std::string(data, nul ? static_cast<std::size_t>(nul - data) : n);
}

inline void SetPascal(uint8_t& length, char* data, std::size_t capacity, const std::string& text)
{
    std::size_t n = std::min(text.size(), capacity);
    std::memset(data, 0, capacity);
    std::memcpy(data, text.data(), n);
    length = static_cast<uint8_t>(n);
}

}  // namespace hudson_files

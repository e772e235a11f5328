#include "HudsonTestBases.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "core/StringHelpers.h"
#include "support/TestSupport.h"

namespace hudson_test {

std::string HeaderBytes(const Letter& l, uint16_t startBlock, uint16_t blocks)
{
    uint8_t attr = static_cast<uint8_t>(l.MsgAttr | (l.Deleted ? 0x01 : 0));
    return Le16(l.Number) + Le16(l.ReplyTo) + Le16(l.FirstReply) + Le16(0) + Le16(startBlock) + Le16(blocks) +
           Le16(5020) + Le16(1234) + Le16(5020) + Le16(100) + "\x02\x02" + Le16(0) + std::string(1, char(attr)) +
           std::string(1, char(l.NetAttr)) + std::string(1, char(l.Board)) + PascalField(l.Time, 6) +
           PascalField(l.Date, 9) + PascalField(l.To, 36) + PascalField(l.From, 36) + PascalField(l.Subject, 73);
}

std::string InfoBytes(uint16_t low, uint16_t high, uint16_t total, const std::vector<std::pair<int, uint16_t>>& boards)
{
    std::string counts(400, '\0');
    for (auto [board, count] : boards)
        counts.replace(std::size_t(board - 1) * 2, 2, Le16(count));
    return Le16(low) + Le16(high) + Le16(total) + counts;
}

void WriteBase(const std::string& dir, const std::vector<Letter>& letters, bool upper)
{
    std::string idx, toIdx, hdr, txt;
    uint16_t high = 0, total = 0;
    std::map<int, uint16_t> boards;
    for (const Letter& l : letters) {
        uint16_t blocks = static_cast<uint16_t>(std::max<std::size_t>(1, (l.Text.size() + 254) / 255));
        hdr += HeaderBytes(l, static_cast<uint16_t>(txt.size() / 256),
                           l.ClaimedBlocks >= 0 ? static_cast<uint16_t>(l.ClaimedBlocks) : blocks);
        for (uint16_t b = 0; b < blocks; ++b) {
            std::string part = l.Text.substr(std::size_t(b) * 255, 255);
            txt += PascalField(part, 256);
        }
        idx += Le16(l.Deleted ? 0xFFFF : l.Number) + std::string(1, char(l.Board));
        toIdx += PascalField(l.To, 36);
        high = std::max(high, l.Number);
        if (!l.Deleted) {
            ++total;
            ++boards[l.Board];
        }
    }
    auto name = [&](const std::string& n) { return dir + "/" + (upper ? UpperAscii(n) : n); };
    WriteFileBytes(name("msgidx.bbs"), idx);
    WriteFileBytes(name("msgtoidx.bbs"), toIdx);
    WriteFileBytes(name("msghdr.bbs"), hdr);
    WriteFileBytes(name("msgtxt.bbs"), txt);
    WriteFileBytes(name("msginfo.bbs"), InfoBytes(1, high, total, {boards.begin(), boards.end()}));
}

std::unique_ptr<HudsonMsgBase> Board(const std::string& dir, int board)
{
    auto base = std::make_unique<HudsonMsgBase>();
    char spec[8];
    std::snprintf(spec, sizeof spec, "%03d", board);
    base->SetBasePath(spec + dir + "/");
    return base;
}

Status Post(MsgBase& base, const std::string& to, const std::string& text, uint8_t mailType)
{
    {
        LetterHeader header;
        base.SetMailType(mailType);
        header.From = "Point User";
        header.To = to;
        header.Subject = "Posted";
        header.Written = EncodeDate(2024, 12, 5) + EncodeTime(18, 7, 0);
        header.Flags.Set(LetterFlag::Echo, true);
        base.StartNewLetter(header);
    }
    base.WriteText(text);
    return base.WriteLetter();
}

std::string RawText(MsgBase& base)
{
    std::string text;
    base.StartText();
    while (!base.TextEnded())
        text += base.ReadChar();
    return text;
}

// SHA-1 (FIPS 180-4), enough for comparing texts with the manifest.
std::string Sha1Hex(const std::string& bytes)
{
    uint32_t h[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
    std::string m = bytes + '\x80';
    while (m.size() % 64 != 56)
        m += '\0';
    uint64_t bits = uint64_t(bytes.size()) * 8;
    for (int i = 7; i >= 0; --i)
        m += char(bits >> (i * 8));
    auto rol = [](uint32_t v, int n) { return (v << n) | (v >> (32 - n)); };
    for (std::size_t chunk = 0; chunk < m.size(); chunk += 64) {
        uint32_t w[80];
        for (int i = 0; i < 16; ++i)
            w[i] = uint32_t(uint8_t(m[chunk + 4 * i])) << 24 | uint32_t(uint8_t(m[chunk + 4 * i + 1])) << 16 |
                   uint32_t(uint8_t(m[chunk + 4 * i + 2])) << 8 | uint32_t(uint8_t(m[chunk + 4 * i + 3]));
        for (int i = 16; i < 80; ++i)
            w[i] = rol(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
        uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
        for (int i = 0; i < 80; ++i) {
            uint32_t f = i < 20 ? (b & c) | (~b & d) : i < 40 ? b ^ c ^ d : i < 60 ? (b & c) | (b & d) | (c & d) : b ^ c ^ d;
            uint32_t k = i < 20 ? 0x5A827999 : i < 40 ? 0x6ED9EBA1 : i < 60 ? 0x8F1BBCDC : 0xCA62C1D6;
            uint32_t t = rol(a, 5) + f + e + k + w[i];
            e = d, d = c, c = rol(b, 30), b = a, a = t;
        }
        h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e;
    }
    char out[41];
    std::snprintf(out, sizeof out, "%08x%08x%08x%08x%08x", h[0], h[1], h[2], h[3], h[4]);
    return out;
}

}  // namespace hudson_test

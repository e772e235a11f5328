#include "support/HudsonBaseGenerator.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "msgbase/hudson/HudsonRecords.h"
#include "support/GeneratedLetters.h"

namespace {

void SetPascal(uint8_t& length, char* data, std::size_t capacity, const std::string& text)
{
    std::size_t n = text.size() < capacity ? text.size() : capacity;
    std::memset(data, 0, capacity);
    std::memcpy(data, text.data(), n);
    length = static_cast<uint8_t>(n);
}

// A file written through one large buffer.
class Output {
public:
    explicit Output(const std::string& path) : File(std::fopen(path.c_str(), "wb")), Path(path)
    {
        if (!File)
            throw std::runtime_error("cannot create " + path);
        std::setvbuf(File, nullptr, _IOFBF, 1 << 20);
    }
    ~Output()
    {
        if (File)
            std::fclose(File);
    }
    void Write(const void* data, std::size_t size)
    {
        if (std::fwrite(data, 1, size, File) != size)
            throw std::runtime_error("cannot write " + Path);
    }
    void Close()
    {
        int rc = std::fclose(File);
        File = nullptr;
        if (rc != 0)
            throw std::runtime_error("cannot write " + Path);
    }

private:
    std::FILE* File;
    std::string Path;
};

}  // namespace

void GenerateHudsonBase(const std::string& dir, int boards, long letters, int unreadEvery)
{
    if (boards < 1 || boards > HudsonBoards || letters < 0 || letters > 0xFFFE)
        throw std::runtime_error("a Hudson base holds at most 65534 numbered letters on 200 boards");
    std::string base = dir.empty() || dir.back() == '/' ? dir : dir + "/";
    Output idx(base + "msgidx.bbs"), toIdx(base + "msgtoidx.bbs"), hdr(base + "msghdr.bbs"),
        txt(base + "msgtxt.bbs");

    // Text blocks a letter may take so that every block number fits 16 bits.
    const long blocksEach = letters == 0 ? 3 : std::min(3L, 0x10000L / letters);
    if (blocksEach < 1)
        throw std::runtime_error("the text blocks do not fit a Hudson base");
    const std::size_t textLimit = std::size_t(blocksEach) * HudsonBlockChars;

    HudsonInfoRecord info{};
    info.LowMsg = 1;
    uint32_t block = 0;
    for (long n = 1; n <= letters; ++n) {
        const int board = static_cast<int>((n - 1) % boards) + 1;
        char line[128];
        std::string text = "\x01MSGID: 2:5020/1234 " + std::to_string(0x10000000L + n) + "\r";
        const std::string tail = "--- Bench\r * Origin: Bench (2:5020/1234)\r";
        for (int i = 1; i <= 3 + static_cast<int>(n % 4); ++i) {
            int len = std::snprintf(line, sizeof line, "Line %d of letter %ld on board %d: a few words.\r", i, n, board);
            if (text.size() + std::size_t(len) + tail.size() > textLimit)
                break;
            text += line;
        }
        text += tail;
        const uint16_t blocks = static_cast<uint16_t>((text.size() + HudsonBlockChars - 1) / HudsonBlockChars);

        HudsonHdrRecord h{};
        h.MsgNum = static_cast<uint16_t>(n);
        h.ReplyTo = static_cast<uint16_t>(n % 10 == 0 && n > 10 ? n - 10 : 0);
        h.StartBlock = static_cast<uint16_t>(block);
        h.NumBlocks = blocks;
        h.DestZone = h.OrigZone = 2;
        h.DestNet = h.OrigNet = 5020;
        h.DestNode = 1234;
        h.OrigNode = static_cast<uint16_t>(n % 1000);
        h.Board = static_cast<uint8_t>(board);
        h.MsgAttr = IsUnreadLetter(n, unreadEvery) ? 0 : HudsonMsgRead;
        std::snprintf(line, sizeof line, "%02ld:%02ld", n / 60 % 24, n % 60);
        SetPascal(h.TimeLength, h.Time, sizeof h.Time, line);
        std::snprintf(line, sizeof line, "%02ld-%02ld-%02ld", n % 12 + 1, n % 28 + 1, 90 + n % 30 - (n % 30 >= 10 ? 100 : 0));
        SetPascal(h.DateLength, h.Date, sizeof h.Date, line);
        std::snprintf(line, sizeof line, "Recipient %ld", n % 97);
        SetPascal(h.ToLength, h.To, HudsonNameChars, line);
        std::snprintf(line, sizeof line, "Sender %ld", n % 89);
        SetPascal(h.FromLength, h.From, HudsonNameChars, line);
        std::snprintf(line, sizeof line, "%sSubject of thread %ld", h.ReplyTo ? "Re: " : "", n % 500);
        SetPascal(h.SubjectLength, h.Subject, HudsonSubjectChars, line);
        hdr.Write(&h, sizeof h);

        HudsonToIdxRecord to{};
        to.Length = h.ToLength;
        std::memcpy(to.Name, h.To, sizeof to.Name);
        toIdx.Write(&to, sizeof to);

        HudsonIdxRecord entry{h.MsgNum, h.Board};
        idx.Write(&entry, sizeof entry);

        for (uint16_t b = 0; b < blocks; ++b) {
            HudsonTxtRecord t{};
            std::size_t from = std::size_t(b) * HudsonBlockChars;
            std::size_t len = text.size() - from < std::size_t(HudsonBlockChars) ? text.size() - from : HudsonBlockChars;
            t.Length = static_cast<uint8_t>(len);
            std::memcpy(t.Text, text.data() + from, len);
            txt.Write(&t, sizeof t);
        }
        block += blocks;
        if (block > 0xFFFF)
            throw std::runtime_error("the text blocks do not fit a Hudson base");

        info.HighMsg = h.MsgNum;
        ++info.TotalMsgs;
        ++info.ActiveMsgs[board - 1];
    }
    idx.Close();
    toIdx.Close();
    hdr.Close();
    txt.Close();
    Output infoFile(base + "msginfo.bbs");
    infoFile.Write(&info, sizeof info);
    infoFile.Close();
}

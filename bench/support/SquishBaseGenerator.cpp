#include "support/SquishBaseGenerator.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "core/DateHelpers.h"
#include "core/StringHelpers.h"
#include "msgbase/squish/SquishHash.h"
#include "msgbase/squish/SquishLayout.h"
#include "support/GeneratedLetters.h"

namespace {

class Output {
public:
    explicit Output(const std::string& name) : File(std::fopen(name.c_str(), "wb"))
    {
        if (!File)
            throw std::runtime_error("cannot create " + name);
        std::setvbuf(File, nullptr, _IOFBF, 1 << 20);
    }
    ~Output() { std::fclose(File); }
    void Put(const void* data, std::size_t size)
    {
        if (std::fwrite(data, 1, size, File) != size)
            throw std::runtime_error("write failed");
    }
    void PutAt(long offset, const void* data, std::size_t size)
    {
        std::fflush(File);
        long here = std::ftell(File);
        std::fseek(File, offset, SEEK_SET);
        Put(data, size);
        std::fseek(File, here, SEEK_SET);
    }

private:
    std::FILE* File;
};

}  // namespace

void GenerateSquishBase(const std::string& basePath, long letters, int unreadEvery)
{
    Output sqd(basePath + ".sqd");
    Output sqi(basePath + ".sqi");
    SquishBaseHeader base{};
    base.len = SquishBaseHeaderSize;
    base.sz_sqhdr = SquishFrameHeaderSize;
    sqd.Put(&base, sizeof base);

    const DateTime start = EncodeDate(2024, 1, 1);
    uint32_t offset = SquishBaseHeaderSize, previous = 0;
    std::string body;
    for (long n = 1; n <= letters; ++n) {
        const std::string control = Format("\x01MSGID: 2:5020/%ld %08lx\x01PID: Bench 1.0\x01TZUTC: 0300", n % 1000, n);
        body = control;
        const long lines = 4 + n % 20;
        for (long i = 0; i < lines; ++i)
            body += Format("Line %ld of letter %ld: the quick brown fox jumps over the lazy dog.\r", i + 1, n);
        body += Format("--- Bench 1.0\r * Origin: Bench station (2:5020/%ld)\rSEEN-BY: 5020/1 2 3\r\x01PATH: 5020/1\r",
                       n % 1000);

        SquishMessageHeader msg{};
        msg.attr = SquishAttrScanned | (IsUnreadLetter(n, unreadEvery) ? 0 : SquishAttrRead);
        CopyToBuffer(Format("Sender %ld", n % 37 + 1), 35, msg.from);
        CopyToBuffer("All", 35, msg.to);
        CopyToBuffer(Format("%sBulk letter %ld", n % 3 == 0 ? "Re: " : "", n), 71, msg.subj);
        msg.orig = {2, 5020, static_cast<uint16_t>(n % 1000), 0};
        msg.dest = {2, 5020, 1234, 0};
        const DateTime when = start + n / 1440.0;
        const uint32_t dos = DateTimeToDos(when);
        msg.date_written = (dos >> 16) | (dos << 16);
        msg.date_arrived = msg.date_written;
        msg.replyto = n % 3 == 0 ? static_cast<uint32_t>(n - 1) : 0;
        msg.replies[0] = n % 3 == 2 ? static_cast<uint32_t>(n + 1) : 0;
        msg.umsgid = static_cast<uint32_t>(n);
        CopyToBuffer(FormatFtscDate(when), 19, msg.ftsc_date);

        SquishFrameHeader frame{};
        frame.id = SquishFrameId;
        frame.prev_frame = previous;
        frame.next_frame = n < letters ? offset + SquishFrameHeaderSize + SquishMessageHeaderSize + uint32_t(body.size()) : 0;
        frame.frame_length = frame.msg_length = SquishMessageHeaderSize + uint32_t(body.size());
        frame.clen = uint32_t(control.size());
        frame.frame_type = SquishLetterFrame;
        sqd.Put(&frame, sizeof frame);
        sqd.Put(&msg, sizeof msg);
        sqd.Put(body.data(), body.size());

        SquishIndexRecord record{offset, static_cast<uint32_t>(n), SquishHash("All")};
        sqi.Put(&record, sizeof record);
        previous = offset;
        offset = frame.next_frame != 0 ? frame.next_frame : offset + SquishFrameHeaderSize + frame.frame_length;
    }
    base.num_msg = base.high_msg = static_cast<uint32_t>(letters);
    base.uid = static_cast<uint32_t>(letters + 1);
    base.begin_frame = letters > 0 ? SquishBaseHeaderSize : 0;
    base.last_frame = previous;
    base.end_frame = offset;
    sqd.PutAt(0, &base, sizeof base);
}

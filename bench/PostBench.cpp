// Writing 10,000 letters into a new base in one process, one base object, each
// letter as the editor saves one (header, the export mark where the format
// has one, MSGID, a few lines of text, tear and origin line, WriteLetter). A
// cost per letter that grows with the base shows as the second 5,000 taking
// longer than the first: three times as long when each letter costs in
// proportion to the letters before it, and already 1.3 to 1.5 times when that
// part is still small beside the fixed cost of a letter. The halves are
// compared by the processor time they took (user and system): wall time on a
// busy machine swings by a quarter between two halves of a linear writer, and
// waiting for the disk (Hudson flushes every letter) costs the same for every
// letter. The goal: at most 1.25 times. The wall time a letter took is given
// beside it.
//   PostBench [--quick] [--runs N] [JSHF]
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "core/DateHelpers.h"
#include "msgbase/MsgBaseFactory.h"
#include "support/AreaBases.h"
#include "support/BenchData.h"
#include "support/BenchOptions.h"
#include "support/Targets.h"

namespace {

constexpr long FullLetters = 10000;
constexpr double LinearGoal = 1.25;

void Post(MsgBase& base, long n, Num& previous)
{
    char text[96];
    LetterHeader header;
    header.From = "Point User";
    header.To = n % 4 == 0 ? "Ivan Petrov" : "All";
    std::snprintf(text, sizeof text, "Bulk letter %ld", n / 3);
    header.Subject = text;
    header.Written = EncodeDate(2025, 1, 1) + double(n) / 1440;
    header.Orig = FidoAddress{2, 5020, 1234, 5};
    header.Flags = {LetterFlag::Local, LetterFlag::Read, LetterFlag::Echo};
    if (n % 3 != 0 && previous != 0)
        header.ReplyTo = previous;
    base.SetMailType(MailEcho);
    base.StartNewLetter(header);
    std::snprintf(text, sizeof text, "\x01MSGID: 2:5020/1234.5 %08lx", 0x5a000000L + n);
    base.WriteKludge(text);
    base.WriteLine("Hello All,");
    base.WriteLine("");
    for (int line = 1; line <= 6; ++line) {
        std::snprintf(text, sizeof text, "Line %d of letter %ld, written to see how posting grows.", line, n);
        base.WriteLine(text);
    }
    base.WriteLine("--- Quorvel 2.00.84");
    base.WriteLine(" * Origin: Bench point (2:5020/1234.5)");
    if (Status status = base.WriteLetter(); status != 0)
        throw std::runtime_error("letter " + std::to_string(n) + " refused, status " + std::to_string(status));
    previous = base.GetNumber();
}

void Measure(char format, const BenchOptions& options)
{
    const long letters = options.Size(FullLetters), half = letters / 2;
    const std::string name = FormatName(format) + " posting " + std::to_string(letters) + " letters in one process";
    Samples growth, perLetter;
    double spent = 0;
    for (int run = 0; run < options.Runs && spent < options.Budget(); ++run) {
        const std::string dir = BenchDataDir() + "/work/post-" + format;
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        std::unique_ptr<MsgBase> base = CreateBaseFor(AreaSpec(format, dir));
        if (!base || base->CreateBase(0, 0) == 0xFFFF || base->OpenBase() != 0)
            throw std::runtime_error("cannot make a base in " + dir);
        Num previous = 0;
        long n = 0;
        double first = 0, second = 0;
        const double wall = Seconds([&] {
            first = CpuSeconds([&] {
                for (; n < half; ++n)
                    Post(*base, n, previous);
            });
            second = CpuSeconds([&] {
                for (; n < letters; ++n)
                    Post(*base, n, previous);
            });
        });
        base->CloseBase();
        spent += wall;
        growth.Add(second / first);
        perLetter.Add(wall / double(letters) * 1e6);
    }
    Report({name + ": second half over first (processor time)", "x", Goal::AtMost, LinearGoal}, growth,
           "median " + FormatValue(perLetter.Median()) + " us a letter" +
               CutShortNote(growth, options.Runs));
}

}  // namespace

int main(int argc, char** argv)
{
    const BenchOptions options = ParseBenchOptions(argc, argv, "JSHF");
    MeasureEachFormat(options.Formats, "posting", [&](char format) { Measure(format, options); });
    return BenchExitCode();
}

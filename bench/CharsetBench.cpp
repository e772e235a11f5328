// What reading letters in their own character sets costs a scan.
//  1. The header fields of 200,000 letters (from, to, subject) turned into
//     program text: as today (CP866 -> Windows-1251 by table) against the
//     decoder to UTF-8, for ASCII names, CP866 Cyrillic names and UTF-8 ones,
//     with the set unknown (the rule without a CHRS line) and known.
//     The scan of 200,000 letters (ScanBench) is the yardstick: the decoder
//     may add at most a tenth of its time.
//  2. Sorting 20,000 subjects (the list view) by the Windows-1251 order and
//     by its UTF-8 twin.
// Times are the process's CPU time, best of 15 runs: the differences are a
// few milliseconds, and wall time on a shared machine swings by more.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "core/CharsetDecoder.h"
#include "core/CodePage.h"
#include "core/StringHelpers.h"
#include "core/Utf8Text.h"

namespace {

constexpr int Letters = 200000;
constexpr int SortedSubjects = 20000;

double CpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// CPU seconds taken by fn, best of 15 runs after a warm-up run.
double BestCpuSeconds(const std::function<void()>& fn)
{
    fn();
    double best = 1e30;
    for (int i = 0; i < 15; ++i) {
        const double start = CpuSeconds();
        fn();
        best = std::min(best, CpuSeconds() - start);
    }
    return best;
}

struct Header {
    std::string From, To, Subject;
};

// Stored header fields of one flavour; `word` gives the letters' words.
std::vector<Header> MakeHeaders(const std::vector<std::string>& words)
{
    std::vector<Header> headers;
    headers.reserve(Letters);
    for (int i = 0; i < Letters; ++i) {
        const std::string& a = words[static_cast<std::size_t>(i) % words.size()];
        const std::string& b = words[static_cast<std::size_t>(i / 7) % words.size()];
        headers.push_back({a + " " + b, i % 3 ? std::string("All") : b + " " + a,
                           (i % 2 ? "Re: " : "") + b + " " + a + " " + std::to_string(i / 10)});
    }
    return headers;
}

template <typename Convert>
double TimeHeaders(const std::vector<Header>& headers, Convert convert)
{
    std::size_t sink = 0;
    double seconds = BestCpuSeconds([&] {
        for (const Header& h : headers)
            sink += convert(h.From).size() + convert(h.To).size() + StripRePrefixes(convert(h.Subject)).size();
    });
    if (sink == 42)
        std::printf(" ");
    return seconds;
}

void BenchHeaders(const char* flavour, const std::vector<Header>& headers, Charset known)
{
    ReadingRules rules;
    double today = TimeHeaders(headers, [](const std::string& s) { return OemToAnsiText(s); });
    double unknown = TimeHeaders(headers, [&](const std::string& s) { return DecodeLetterText(s, Charset::None, rules); });
    double declared = TimeHeaders(headers, [&](const std::string& s) { return DecodeLetterText(s, known, rules); });
    std::printf("%-28s %d letters: as today %6.1f ms; decoded, no CHRS %6.1f ms (+%5.1f ms); "
                "decoded, CHRS %s %6.1f ms (+%5.1f ms)\n",
                flavour, Letters, today * 1e3, unknown * 1e3, (unknown - today) * 1e3,
                std::string(CharsetName(known)).c_str(), declared * 1e3, (declared - today) * 1e3);
}

void BenchSort(const char* flavour, const std::vector<Header>& headers, bool utf8)
{
    std::vector<std::string> subjects;
    for (int i = 0; i < SortedSubjects; ++i)
        subjects.push_back(headers[static_cast<std::size_t>(i) * 7 % headers.size()].Subject);
    std::vector<std::string> ansi;
    for (const std::string& s : subjects)
        ansi.push_back(utf8 ? Utf8ToAnsi(s) : OemToAnsiText(s));
    std::vector<std::string> text;
    for (const std::string& s : subjects)
        text.push_back(DecodeAs(s, utf8 ? Charset::Utf8 : Charset::Cp866));
    double before = BestCpuSeconds([&] {
        std::vector<std::string> copy = ansi;
        std::sort(copy.begin(), copy.end(), [](const auto& a, const auto& b) { return AnsiCompareStr(a, b) < 0; });
    });
    double after = BestCpuSeconds([&] {
        std::vector<std::string> copy = text;
        std::sort(copy.begin(), copy.end(), [](const auto& a, const auto& b) { return Utf8CompareStr(a, b) < 0; });
    });
    std::printf("%-28s sorting %d subjects: Windows-1251 order %.1f ms, UTF-8 order %.1f ms\n", flavour,
                SortedSubjects, before * 1e3, after * 1e3);
}

}  // namespace

int main()
{
    const std::vector<std::string> ascii = {"Sergey", "Volkov", "Ivan", "Petrov", "Moderator", "System", "Hello"};
    // CP866: Сергей Волков Иван Петров Модератор Привет Мир
    const std::vector<std::string> cp866 = {"\x91\xA5\xE0\xA3\xA5\xA9", "\x82\xAE\xAB\xAA\xAE\xA2",
                                            "\x88\xA2\xA0\xAD",         "\x8F\xA5\xE2\xE0\xAE\xA2",
                                            "\x8C\xAE\xA4\xA5\xE0\xA0\xE2\xAE\xE0", "\x8F\xE0\xA8\xA2\xA5\xE2",
                                            "\x8C\xA8\xE0"};
    std::vector<std::string> utf8;
    for (const std::string& w : cp866)
        utf8.push_back(DecodeAs(w, Charset::Cp866));

    BenchHeaders("ASCII names", MakeHeaders(ascii), Charset::Cp866);
    BenchHeaders("CP866 Cyrillic names", MakeHeaders(cp866), Charset::Cp866);
    BenchHeaders("UTF-8 Cyrillic names", MakeHeaders(utf8), Charset::Utf8);
    BenchSort("CP866 Cyrillic subjects", MakeHeaders(cp866), false);
    BenchSort("ASCII subjects", MakeHeaders(ascii), false);
    return 0;
}

#include "core/CharsetTables.h"

#include <algorithm>
#include <atomic>
#include <iconv.h>
#include <memory>
#include <mutex>

#include "core/Utf8Text.h"

namespace {

// The character of one byte through an open descriptor; U+FFFD when iconv
// refuses it. Sets with combining marks may hold a character back until
// flushed, so the descriptor is flushed and reset for every byte.
char32_t ConvertByte(iconv_t cd, uint8_t byte)
{
    char in = static_cast<char>(byte);
    uint32_t out[4] = {};
    char* inPtr = &in;
    std::size_t inLeft = 1;
    char* outPtr = reinterpret_cast<char*>(out);
    std::size_t outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
        iconv(cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
        return ReplacementCharacter;
    if (sizeof out - outLeft < sizeof(uint32_t))
        return ReplacementCharacter;
    // UTF-32LE: the program runs on little-endian hosts, as the bases' own
    // integers assume.
    return out[0];
}

void FillFromIconv(ByteCharsetTable& table, Charset set)
{
    iconv_t cd = iconv_open("UTF-32LE", CharsetIconvName(set));
    for (int b = 0; b < 256; ++b) {
        if (cd == reinterpret_cast<iconv_t>(-1))
            table.CodePoint[b] = b < 0x80 ? static_cast<char32_t>(b) : ReplacementCharacter;
        else
            table.CodePoint[b] = ConvertByte(cd, static_cast<uint8_t>(b));
    }
    if (cd != reinterpret_cast<iconv_t>(-1))
        iconv_close(cd);
}

void DeriveLookups(ByteCharsetTable& table)
{
    for (int b = 0; b < 256; ++b) {
        const char32_t cp = table.CodePoint[b];
        std::string utf8;
        AppendCodePoint(utf8, cp);
        table.Utf8[b].Length = static_cast<uint8_t>(utf8.size());
        std::copy(utf8.begin(), utf8.end(), table.Utf8[b].Bytes);
        if (b < 0x80 && cp != static_cast<char32_t>(b))
            table.AsciiUnchanged = false;
        if (cp != ReplacementCharacter)
            table.ByteOf.emplace_back(cp, static_cast<uint8_t>(b));
    }
    std::stable_sort(table.ByteOf.begin(), table.ByteOf.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    table.ByteOf.erase(std::unique(table.ByteOf.begin(), table.ByteOf.end(),
                                   [](const auto& a, const auto& b) { return a.first == b.first; }),
                       table.ByteOf.end());
}

}  // namespace

const ByteCharsetTable& CharsetTable(Charset set)
{
    // Asked for every string read: one atomic load once the table is built
    // (std::call_once costs several times that on every call).
    static std::array<std::atomic<const ByteCharsetTable*>, CharsetCount> tables{};
    static std::mutex building;
    std::atomic<const ByteCharsetTable*>& slot = tables[static_cast<std::size_t>(set)];
    if (const ByteCharsetTable* table = slot.load(std::memory_order_acquire))
        return *table;
    std::lock_guard<std::mutex> lock(building);
    if (const ByteCharsetTable* table = slot.load(std::memory_order_relaxed))
        return *table;
    auto table = std::make_unique<ByteCharsetTable>();  // kept for the life of the program
    FillFromIconv(*table, set);
    DeriveLookups(*table);
    slot.store(table.get(), std::memory_order_release);
    return *table.release();
}

bool FindByte(const ByteCharsetTable& table, char32_t cp, uint8_t& byte)
{
    auto it = std::lower_bound(table.ByteOf.begin(), table.ByteOf.end(), cp,
                               [](const auto& entry, char32_t value) { return entry.first < value; });
    if (it == table.ByteOf.end() || it->first != cp)
        return false;
    byte = it->second;
    return true;
}

#include "support/FidoBaseGenerator.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "support/GeneratedLetters.h"

namespace {

void PutField(std::string& header, std::size_t offset, const std::string& text, std::size_t size)
{
    header.replace(offset, std::min(text.size(), size - 1), text, 0, std::min(text.size(), size - 1));
}

void PutWord(std::string& header, std::size_t offset, uint16_t value)
{
    header[offset] = static_cast<char>(value & 0xFF);
    header[offset + 1] = static_cast<char>(value >> 8);
}

}  // namespace

void GenerateFidoBase(const std::string& dir, long letters, int unreadEvery)
{
    std::filesystem::create_directories(dir);
    static const char* const months[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (long n = 1; n <= letters; ++n) {
        std::string letter(190, '\0');
        PutField(letter, 0, "Sender " + std::to_string(n % 37 + 1), 36);
        PutField(letter, 36, n % 5 == 0 ? "Point User" : "All", 36);
        PutField(letter, 72, (n % 3 == 0 ? "Re: Thread " : "Thread ") + std::to_string(n / 3), 72);
        char date[20];
        std::snprintf(date, sizeof date, "%02ld %s %02ld  %02ld:%02ld:00", n % 28 + 1, months[n % 12], 24 - n % 20,
                      n % 24, n % 60);
        PutField(letter, 144, date, 20);
        PutWord(letter, 164, IsUnreadLetter(n, unreadEvery) ? 0 : 1);
        PutWord(letter, 166, 1234);
        PutWord(letter, 168, static_cast<uint16_t>(n % 500 + 1));
        PutWord(letter, 172, 5020);
        PutWord(letter, 174, 5020);
        PutWord(letter, 184, n % 3 == 0 ? static_cast<uint16_t>(n - 1) : 0);
        PutWord(letter, 186, 0x0001);
        letter += "\x01MSGID: 2:5020/" + std::to_string(n % 500 + 1) + " " + std::to_string(100000 + n) + "\r";
        letter += "\x01INTL 2:5020/1234 2:5020/" + std::to_string(n % 500 + 1) + "\r\x01" "FMPT 3\r\x01TOPT 5\r";
        letter += "Hello,\r\rThis is letter " + std::to_string(n) + " of the benchmark base.\r";
        for (int line = 0; line < 4; ++line)
            letter += "The quick brown fox jumps over the lazy dog, line " + std::to_string(line) + ".\r";
        letter += "--- bench\r * Origin: bench (2:5020/1)\r";
        letter += '\0';

        std::string path = dir + "/" + std::to_string(n) + ".msg";
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(letter.data(), 1, letter.size(), f) != letter.size() || std::fclose(f) != 0)
            throw std::runtime_error("cannot write " + path);
    }
}

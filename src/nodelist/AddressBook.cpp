#include "nodelist/AddressBook.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "core/OsFiles.h"
#include "core/StringHelpers.h"
#include "core/Utf8Text.h"
#include "nodelist/ListParser.h"
#include "nodelist/NameFold.h"
#include "nodelist/NodelistIndex.h"

namespace {

constexpr std::string_view Header = "# Quorvel address book 1";

bool IsDateText(std::string_view text)
{
    if (text.empty())
        return true;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

bool ParseLine(std::string_view line, AddressBookEntry& entry)
{
    std::size_t first = line.find('\t');
    std::size_t second = first == std::string_view::npos ? first : line.find('\t', first + 1);
    if (second == std::string_view::npos || line.find('\t', second + 1) != std::string_view::npos)
        return false;
    entry.Name = std::string(line.substr(0, first));
    entry.LastUsed = std::string(line.substr(second + 1));
    return !entry.Name.empty() && IsDateText(entry.LastUsed) &&
        ParseExactAddress(line.substr(first + 1, second - first - 1), 0, entry.Address) == AddressFault::None;
}

// Names in the book are one line without tabs.
std::string CleanName(std::string name)
{
    std::replace_if(
        name.begin(), name.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
    return name;
}

}  // namespace

std::string DefaultAddressBookPath()
{
    const char* data = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (data && *data)
        base = data;
    else
        base = std::string(std::getenv("HOME") ? std::getenv("HOME") : ".") + "/.local/share";
    return base + "/Tressik/Quorvel/addressbook.txt";
}

std::string TodayText()
{
    auto today = std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
    std::chrono::year_month_day date(today);
    return Format("%04d-%02u-%02u", static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()));
}

AddressBook::AddressBook(std::string path) : FilePath(std::move(path))
{
}

std::string AddressBook::Load()
{
    List.clear();
    IsDamaged = false;
    std::string contents;
    uint16_t error = ReadWholeFile(FilePath, contents);
    if (error == 2 || error == 3)
        return {};
    if (error != 0)
        return FilePath + ": " + Format("не читается (ошибка %u)", error);
    std::vector<uint32_t> badLines;
    ForEachLine(contents, [&](uint32_t number, std::string_view line) {
        AddressBookEntry entry;
        if (number == 1 ? line == Header : line.empty() || (IsValidUtf8(line) && ParseLine(line, entry))) {
            if (!entry.Name.empty())
                List.push_back(std::move(entry));
        } else {
            badLines.push_back(number);
        }
    });
    Sort();
    if (badLines.empty())
        return {};
    IsDamaged = true;
    return FilePath + ": " +
        Format("адресная книга повреждена (строка %u); она будет заменена при записи", badLines.front());
}

void AddressBook::Remember(const std::string& name, const FidoAddress& address, const std::string& date)
{
    std::string clean = CleanName(name);
    for (AddressBookEntry& entry : List) {
        if (entry.Address == address && Utf8CompareNoCase(entry.Name, clean) == 0) {
            entry.LastUsed = date;
            return;
        }
    }
    List.push_back({clean, address, date});
    Sort();
}

void AddressBook::Replace(std::size_t index, const AddressBookEntry& entry)
{
    if (index >= List.size())
        return;
    List[index] = entry;
    List[index].Name = CleanName(entry.Name);
    Sort();
}

void AddressBook::Remove(std::size_t index)
{
    if (index < List.size())
        List.erase(List.begin() + static_cast<std::ptrdiff_t>(index));
}

std::string AddressBook::Save()
{
    std::string text(Header);
    text += '\n';
    for (const AddressBookEntry& entry : List)
        text += entry.Name + "\t" + AddressToText(entry.Address) + "\t" + entry.LastUsed + "\n";
    if (IsDamaged) {
        std::string kept = FilePath + ".damaged";
        if (std::rename(FilePath.c_str(), kept.c_str()) != 0 && errno != ENOENT)
            return FilePath + ": " + std::strerror(errno);
    }
    if (int err = WriteFileAtomically(FilePath, text); err != 0)
        return FilePath + ": " + std::strerror(err);
    IsDamaged = false;
    return {};
}

std::vector<AddressBookEntry> AddressBook::Lookup(std::string_view query) const
{
    std::vector<AddressBookEntry> found;
    if (NodelistIndex::LooksLikeAddress(query)) {
        for (const AddressBookEntry& entry : List)
            if (AddressToText(entry.Address).starts_with(query))
                found.push_back(entry);
        return found;
    }
    std::vector<std::string> words = FoldedWords(query);
    if (words.empty())
        return found;
    for (const AddressBookEntry& entry : List) {
        if (EachWordStartsOne(words, FoldedWords(entry.Name)))
            found.push_back(entry);
    }
    return found;
}

void AddressBook::Sort()
{
    std::stable_sort(List.begin(), List.end(), [](const AddressBookEntry& a, const AddressBookEntry& b) {
        return Utf8CompareStr(a.Name, b.Name) < 0;
    });
}

#include "nodelist/ListParser.h"

#include <charconv>
#include <optional>

#include "core/CharsetDecoder.h"
#include "core/Utf8Text.h"

namespace {

constexpr char EndOfFile = '\x1A';
constexpr std::size_t FieldsOfAnEntry = 7;  // keyword .. speed; flags may be missing

struct Fields {
    std::array<std::string_view, FieldsOfAnEntry + 1> Items;  // the last one: every flag
    std::size_t Count = 0;
};

Fields SplitFields(std::string_view line)
{
    Fields fields;
    std::size_t start = 0;
    while (fields.Count < FieldsOfAnEntry) {
        std::size_t comma = line.find(',', start);
        if (comma == std::string_view::npos)
            break;
        fields.Items[fields.Count++] = line.substr(start, comma - start);
        start = comma + 1;
    }
    fields.Items[fields.Count++] = line.substr(start);
    return fields;
}

bool ParseNumber(std::string_view text, uint16_t& number)
{
    unsigned value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() || value > 0xFFFF)
        return false;
    number = static_cast<uint16_t>(value);
    return true;
}

bool IsFullAddress(std::string_view text)
{
    return text.find_first_of(":/.") != std::string_view::npos;
}

bool KindOfKeyword(std::string_view keyword, EntryKind& kind)
{
    for (int i = 0; i < EntryKindCount; ++i) {
        auto candidate = static_cast<EntryKind>(i);
        std::string_view name = EntryKindKeyword(candidate);
        if (keyword.size() == name.size() && Utf8CompareNoCase(keyword, name) == 0) {
            kind = candidate;
            return true;
        }
    }
    return false;
}

std::string_view TrimLine(std::string_view line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    return line;
}

// The zone and net the lines so far set, and the boss of the points.
class ListContext {
public:
    // The entry a line makes; "" when it makes one, else why not.
    std::string Read(const Fields& fields, EntryKind kind, ParsedEntry& entry)
    {
        std::string_view number = fields.Items[1];
        if (kind == EntryKind::Boss)
            return ReadBoss(number);
        if (fields.Count < FieldsOfAnEntry)
            return "too few fields";
        entry.Kind = kind;
        entry.System = fields.Items[2];
        entry.Location = fields.Items[3];
        entry.Sysop = fields.Items[4];
        entry.Flags = fields.Count > FieldsOfAnEntry ? fields.Items[FieldsOfAnEntry] : std::string_view();
        if (IsFullAddress(number))
            return ReadFullAddress(number, entry);
        uint16_t value = 0;
        if (!ParseNumber(number, value))
            return "not a number";
        switch (kind) {
        case EntryKind::Zone:
            Zone = Net = value;
            Boss.reset();
            entry.Address = {value, value, 0, 0};
            return {};
        case EntryKind::Region:
        case EntryKind::Host:
            if (Zone == 0)
                return "no zone before it";
            Net = value;
            Boss.reset();
            entry.Address = {Zone, value, 0, 0};
            return {};
        case EntryKind::Hub: break;
        default:
            if (Boss) {
                entry.Address = *Boss;
                entry.Address.Point = value;
                entry.IsPoint = true;
                return {};
            }
            if (kind == EntryKind::Point)
                return "no boss before it";
        }
        if (Zone == 0)
            return "no zone before it";
        entry.Address = {Zone, Net, value, 0};
        return {};
    }

private:
    std::string ReadBoss(std::string_view text)
    {
        FidoAddress boss;
        if (ParseExactAddress(text, Zone, boss) != AddressFault::None || boss.Point != 0)
            return "not a boss address";
        Boss = boss;
        return {};
    }

    std::string ReadFullAddress(std::string_view text, ParsedEntry& entry)
    {
        if (ParseExactAddress(text, Zone, entry.Address) != AddressFault::None)
            return "not an address";
        entry.IsPoint = entry.Address.Point != 0;
        return {};
    }

    uint16_t Zone = 0;
    uint16_t Net = 0;
    std::optional<FidoAddress> Boss;
};

}  // namespace

uint32_t ListReport::Entries() const
{
    uint32_t sum = 0;
    for (int i = 0; i < EntryKindCount; ++i)
        if (static_cast<EntryKind>(i) != EntryKind::Boss)
            sum += Counts[static_cast<std::size_t>(i)];
    return sum;
}

std::string DecodeListText(std::string_view bytes)
{
    bytes = bytes.substr(0, bytes.find(EndOfFile));  // DOS text ends at ^Z
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    return DecodeAs(bytes, Charset::Cp866);
}

void ForEachLine(std::string_view text, const std::function<void(uint32_t number, std::string_view line)>& visit)
{
    uint32_t number = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        visit(++number, text.substr(start, end - start));
        start = end + 1;
    }
}

void ParseListText(std::string_view text, const EntrySink& sink, ListReport& report)
{
    ListContext context;
    ForEachLine(text, [&](uint32_t lineNumber, std::string_view line) {
        line = TrimLine(line);
        if (line.empty() || line.front() == ';')
            return;
        Fields fields = SplitFields(line);
        EntryKind kind = EntryKind::Node;
        std::string fault;
        ParsedEntry entry;
        if (fields.Count < 2)
            fault = "too few fields";
        else if (!KindOfKeyword(fields.Items[0], kind))
            fault = "unknown keyword";
        else
            fault = context.Read(fields, kind, entry);
        if (!fault.empty()) {
            report.BadLines.push_back({lineNumber, std::move(fault)});
            return;
        }
        ++report.Counts[static_cast<std::size_t>(kind)];
        if (kind != EntryKind::Boss)
            sink(entry);
    });
}

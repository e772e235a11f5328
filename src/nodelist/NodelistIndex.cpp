#include "nodelist/NodelistIndex.h"

#include <algorithm>
#include <unordered_map>

#include "core/Utf8Text.h"
#include "nodelist/NameFold.h"

namespace {

uint64_t KeyOf(const FidoAddress& a)
{
    return uint64_t{a.Zone} << 48 | uint64_t{a.Net} << 32 | uint64_t{a.Node} << 16 | a.Point;
}

uint64_t NetKeyOf(const FidoAddress& a)
{
    return uint64_t{a.Net} << 48 | uint64_t{a.Node} << 32 | uint64_t{a.Point} << 16 | a.Zone;
}

// A name's texts with the list's underscores read as spaces.
void AppendText(std::string& texts, std::string_view text, bool underscoreIsSpace)
{
    std::size_t start = texts.size();
    texts += Utf8LeftBytes(text, NodelistIndex::MaxFieldBytes);
    if (underscoreIsSpace)
        std::replace(texts.begin() + static_cast<std::ptrdiff_t>(start), texts.end(), '_', ' ');
}

bool ParseExactNumber(std::string_view text, uint16_t& number)
{
    if (text.empty() || text.size() > 5)
        return false;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value > 0xFFFF)
        return false;
    number = static_cast<uint16_t>(value);
    return true;
}

// The first number in [first, last) for which found holds, last when none;
// found is false up to some number and true from there on.
template <class Found> uint32_t FirstRank(uint32_t first, std::size_t last, Found found)
{
    uint32_t count = static_cast<uint32_t>(last) - first;
    while (count > 0) {
        uint32_t half = count / 2;
        if (found(first + half)) {
            count = half;
        } else {
            first += half + 1;
            count -= half + 1;
        }
    }
    return first;
}

}  // namespace

void NodelistIndex::Add(const ParsedEntry& entry)
{
    Record record;
    record.Address = entry.Address;
    record.Kind = entry.Kind;
    record.IsPoint = entry.IsPoint;
    record.Text = static_cast<uint32_t>(Texts.size());
    const std::string_view fields[FieldCount] = {entry.System, entry.Location, entry.Sysop, entry.Flags};
    for (int f = 0; f < FieldCount; ++f) {
        std::size_t before = Texts.size();
        AppendText(Texts, fields[f], f != FlagsField);
        record.Lengths[f] = static_cast<uint8_t>(Texts.size() - before);
    }
    HasPoints = HasPoints || entry.IsPoint;
    Records.push_back(record);
}

void NodelistIndex::Finish()
{
    std::stable_sort(Records.begin(), Records.end(),
                     [](const Record& a, const Record& b) { return KeyOf(a.Address) < KeyOf(b.Address); });
    ByNet.resize(Records.size());
    for (uint32_t i = 0; i < ByNet.size(); ++i)
        ByNet[i] = i;
    std::stable_sort(ByNet.begin(), ByNet.end(), [this](uint32_t a, uint32_t b) {
        return NetKeyOf(Records[a].Address) < NetKeyOf(Records[b].Address);
    });
    IndexWords(SysopField, SysopWords);
    IndexWords(SystemField, SystemWords);
    Texts.shrink_to_fit();
    Records.shrink_to_fit();
}

void NodelistIndex::IndexWords(Field field, Words& words) const
{
    std::unordered_map<std::string, uint32_t> ids;
    std::vector<const std::string*> byId;
    std::vector<WordRef> refs;
    for (uint32_t r = 0; r < Records.size(); ++r) {
        for (std::string& word : FoldedWords(FieldOf(Records[r], field))) {
            auto [it, added] = ids.try_emplace(std::move(word), static_cast<uint32_t>(byId.size()));
            if (added)
                byId.push_back(&it->first);
            refs.push_back({it->second, r});
        }
    }
    std::vector<uint32_t> order(byId.size());
    for (uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return *byId[a] < *byId[b]; });
    std::vector<uint32_t> rank(byId.size());
    words.Starts.resize(order.size());
    for (uint32_t i = 0; i < order.size(); ++i) {
        rank[order[i]] = i;
        words.Starts[i] = static_cast<uint32_t>(words.Pool.size());
        words.Pool += *byId[order[i]];
        words.Pool += '\0';
    }
    // By word, then record: counted into place (the refs come in record order).
    std::vector<uint32_t> next(order.size() + 1, 0);
    for (WordRef& ref : refs) {
        ref.Word = rank[ref.Word];
        ++next[ref.Word + 1];
    }
    for (std::size_t i = 1; i < next.size(); ++i)
        next[i] += next[i - 1];
    words.Refs.assign(refs.size(), WordRef{});
    for (const WordRef& ref : refs)
        words.Refs[next[ref.Word]++] = ref;
    // A word twice in one name is one ref.
    words.Refs.erase(
        std::unique(words.Refs.begin(), words.Refs.end(),
                    [](const WordRef& a, const WordRef& b) { return a.Word == b.Word && a.Record == b.Record; }),
        words.Refs.end());
    words.Refs.shrink_to_fit();
    words.Pool.shrink_to_fit();
}

std::size_t NodelistIndex::Words::MemoryBytes() const
{
    return Pool.capacity() + Starts.capacity() * sizeof(uint32_t) + Refs.capacity() * sizeof(WordRef);
}

std::size_t NodelistIndex::MemoryBytes() const
{
    return sizeof(*this) + Texts.capacity() + Records.capacity() * sizeof(Record) +
        ByNet.capacity() * sizeof(uint32_t) + SysopWords.MemoryBytes() + SystemWords.MemoryBytes();
}

std::string_view NodelistIndex::FieldOf(const Record& record, Field field) const
{
    std::size_t start = record.Text;
    for (int f = 0; f < field; ++f)
        start += record.Lengths[f];
    return std::string_view(Texts).substr(start, record.Lengths[field]);
}

NodeEntry NodelistIndex::EntryOf(const Record& record) const
{
    NodeEntry entry;
    entry.Address = record.Address;
    entry.Kind = record.Kind;
    entry.IsPoint = record.IsPoint;
    entry.System = FieldOf(record, SystemField);
    entry.Location = FieldOf(record, LocationField);
    entry.Sysop = FieldOf(record, SysopField);
    entry.Flags = FieldOf(record, FlagsField);
    return entry;
}

std::optional<NodeEntry> NodelistIndex::Find(const FidoAddress& address) const
{
    uint64_t key = KeyOf(address);
    auto found = std::lower_bound(Records.begin(), Records.end(), key,
                                  [](const Record& r, uint64_t k) { return KeyOf(r.Address) < k; });
    if (found == Records.end() || KeyOf(found->Address) != key)
        return std::nullopt;
    return EntryOf(*found);
}

bool NodelistIndex::Knows(const FidoAddress& address) const
{
    if (Find(address))
        return true;
    if (address.Point == 0 || HasPoints)
        return false;
    FidoAddress boss = address;
    boss.Point = 0;
    return Find(boss).has_value();
}

bool NodelistIndex::LooksLikeAddress(std::string_view query)
{
    if (query.empty() || query.front() < '0' || query.front() > '9')
        return false;
    return query.find_first_not_of("0123456789:/.") == std::string_view::npos;
}

std::vector<NodeEntry> NodelistIndex::Lookup(std::string_view query, std::size_t limit) const
{
    while (!query.empty() && query.front() == ' ')
        query.remove_prefix(1);
    while (!query.empty() && query.back() == ' ')
        query.remove_suffix(1);
    if (LooksLikeAddress(query))
        return FindByAddressPrefix(query, limit);
    std::vector<NodeEntry> found = FindBySysop(query, limit);
    if (found.size() >= limit)
        return found;
    for (NodeEntry& entry : FindBySystem(query, limit)) {
        if (found.size() >= limit)
            break;
        bool seen = std::any_of(found.begin(), found.end(),
                                [&](const NodeEntry& other) { return other.Address == entry.Address; });
        if (!seen)
            found.push_back(std::move(entry));
    }
    return found;
}

std::vector<NodeEntry> NodelistIndex::FindBySysop(std::string_view name, std::size_t limit) const
{
    return FindByWords(SysopWords, SysopField, name, limit);
}

std::vector<NodeEntry> NodelistIndex::FindBySystem(std::string_view name, std::size_t limit) const
{
    return FindByWords(SystemWords, SystemField, name, limit);
}

std::vector<NodeEntry> NodelistIndex::FindByWords(const Words& words, Field field, std::string_view name,
                                                  std::size_t limit) const
{
    std::vector<NodeEntry> found;
    for (uint32_t record : MatchWords(words, field, name)) {
        if (found.size() >= limit)
            break;
        found.push_back(EntryOf(Records[record]));
    }
    return found;
}

std::vector<uint32_t> NodelistIndex::MatchWords(const Words& words, Field field, std::string_view name) const
{
    std::vector<std::string> query = FoldedWords(name);
    if (query.empty())
        return {};
    // The refs of the words starting with each query word; the fewest are read.
    auto wordAt = [&](uint32_t rank) { return std::string_view(words.Pool.c_str() + words.Starts[rank]); };
    std::pair<std::size_t, std::size_t> narrowest{0, words.Refs.size()};
    auto refsBelow = [&](uint32_t rank) {
        return static_cast<std::size_t>(std::partition_point(words.Refs.begin(), words.Refs.end(),
                                                             [&](const WordRef& ref) { return ref.Word < rank; }) -
                                        words.Refs.begin());
    };
    for (const std::string& word : query) {
        uint32_t low = FirstRank(0, words.Starts.size(), [&](uint32_t r) { return wordAt(r) >= word; });
        uint32_t high = FirstRank(low, words.Starts.size(), [&](uint32_t r) { return !wordAt(r).starts_with(word); });
        std::pair<std::size_t, std::size_t> refs{refsBelow(low), refsBelow(high)};
        if (refs.second - refs.first < narrowest.second - narrowest.first)
            narrowest = refs;
    }
    std::vector<uint32_t> records;
    for (std::size_t i = narrowest.first; i < narrowest.second; ++i)
        records.push_back(words.Refs[i].Record);
    std::sort(records.begin(), records.end());
    records.erase(std::unique(records.begin(), records.end()), records.end());
    if (query.size() > 1)
        std::erase_if(records,
                      [&](uint32_t r) { return !EachWordStartsOne(query, FoldedWords(FieldOf(Records[r], field))); });
    return records;
}

std::vector<NodeEntry> NodelistIndex::FindByAddressPrefix(std::string_view prefix, std::size_t limit) const
{
    std::vector<NodeEntry> found;
    std::size_t colon = prefix.find(':');
    std::size_t slash = prefix.find('/');
    auto keep = [&](const Record& record, std::string_view text) {
        if (found.size() < limit && text.starts_with(prefix))
            found.push_back(EntryOf(record));
        return found.size() < limit;
    };
    if (colon != std::string_view::npos) {
        FidoAddress low{}, high{};
        if (!ParseExactNumber(prefix.substr(0, colon), low.Zone))
            return found;
        high.Zone = low.Zone;
        high.Net = high.Node = high.Point = 0xFFFF;
        if (slash != std::string_view::npos) {
            if (slash < colon || !ParseExactNumber(prefix.substr(colon + 1, slash - colon - 1), low.Net))
                return found;
            high.Net = low.Net;
        }
        auto first = std::lower_bound(Records.begin(), Records.end(), KeyOf(low),
                                      [](const Record& r, uint64_t k) { return KeyOf(r.Address) < k; });
        for (auto it = first; it != Records.end() && KeyOf(it->Address) <= KeyOf(high); ++it)
            if (!keep(*it, AddressToText(it->Address)))
                break;
        return found;
    }
    auto netText = [](const FidoAddress& a) {
        std::string text = AddressToText(a);
        return text.substr(text.find(':') + 1);
    };
    auto first = ByNet.begin();
    auto last = ByNet.end();
    if (slash != std::string_view::npos) {
        uint16_t net = 0;
        if (!ParseExactNumber(prefix.substr(0, slash), net))
            return found;
        first = std::lower_bound(ByNet.begin(), ByNet.end(), net,
                                 [this](uint32_t r, uint16_t n) { return Records[r].Address.Net < n; });
        last = std::upper_bound(first, ByNet.end(), net,
                                [this](uint16_t n, uint32_t r) { return n < Records[r].Address.Net; });
    }
    for (auto it = first; it != last; ++it)
        if (!keep(Records[*it], netText(Records[*it].Address)))
            break;
    return found;
}

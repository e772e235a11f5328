// Every station of the loaded lists in one compact index: by address, by the
// words of the sysop's name and of the system's name. Built once (Add, then
// Finish) and read-only after that, so that any number of threads may look
// things up while a newer index is being built beside it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "nodelist/ListParser.h"
#include "nodelist/NodeEntry.h"

class NodelistIndex {
public:
    // Texts longer than this are cut (at a character's end).
    static constexpr std::size_t MaxFieldBytes = 255;
    static constexpr std::size_t DefaultLimit = 50;

    void Add(const ParsedEntry& entry);
    // Sorts and indexes what was added; nothing is added after this.
    void Finish();

    std::size_t Size() const { return Records.size(); }
    bool Empty() const { return Records.empty(); }
    // The bytes the index holds, texts and tables together.
    std::size_t MemoryBytes() const;

    // The entry of exactly this address.
    std::optional<NodeEntry> Find(const FidoAddress& address) const;
    // Whether mail to the address has somewhere to go as far as the lists
    // know: the address is listed, or it is a point of a listed node and
    // the lists hold no points at all (no pointlist to ask).
    bool Knows(const FidoAddress& address) const;

    // What the user typed: an address prefix when it starts with a digit
    // and holds only digits and : / . ("2:5020/1", "5020/12"); else the
    // sysops whose name has a word starting with each typed word, in any
    // order, then the systems named so. Address order within each.
    std::vector<NodeEntry> Lookup(std::string_view query, std::size_t limit = DefaultLimit) const;
    std::vector<NodeEntry> FindBySysop(std::string_view name, std::size_t limit = DefaultLimit) const;
    std::vector<NodeEntry> FindBySystem(std::string_view name, std::size_t limit = DefaultLimit) const;
    std::vector<NodeEntry> FindByAddressPrefix(std::string_view prefix, std::size_t limit = DefaultLimit) const;

    static bool LooksLikeAddress(std::string_view query);

private:
    enum Field { SystemField, LocationField, SysopField, FlagsField, FieldCount };
    struct Record {
        FidoAddress Address;
        uint32_t Text = 0;  // System, Location, Sysop, Flags one after another in Texts
        uint8_t Lengths[FieldCount] = {};
        EntryKind Kind = EntryKind::Node;
        bool IsPoint = false;
    };
    // One word of one record's name: the word's rank among all words.
    struct WordRef {
        uint32_t Word;
        uint32_t Record;
    };
    struct Words {
        std::string Pool;              // the distinct folded words in order, each ended by '\0'
        std::vector<uint32_t> Starts;  // where each word starts in Pool
        std::vector<WordRef> Refs;     // by word, then record

        std::size_t MemoryBytes() const;
    };

    std::string_view FieldOf(const Record& record, Field field) const;
    NodeEntry EntryOf(const Record& record) const;
    void IndexWords(Field field, Words& words) const;
    std::vector<NodeEntry> FindByWords(const Words& words, Field field, std::string_view name, std::size_t limit) const;
    std::vector<uint32_t> MatchWords(const Words& words, Field field, std::string_view name) const;

    std::string Texts;
    std::vector<Record> Records;  // by address
    std::vector<uint32_t> ByNet;  // record numbers by net, node, point, zone
    Words SysopWords;
    Words SystemWords;
    bool HasPoints = false;
};

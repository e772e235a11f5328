// The answers to a letter, as a list of letters in the order they were
// attached. Most letters have none: the list is one pointer then, and a
// letter with answers keeps them in one block with their count. (A vector
// would cost every letter of an area 16 bytes more.)
#pragma once

#include <cstdint>
#include <iterator>
#include <vector>

class TLetter;

class TReplyList {
public:
    using value_type = TLetter*;
    using iterator = TLetter**;
    using const_iterator = TLetter* const*;
    using reverse_iterator = std::reverse_iterator<iterator>;
    using const_reverse_iterator = std::reverse_iterator<const_iterator>;

    TReplyList() = default;
    TReplyList(const TReplyList&) = delete;
    TReplyList& operator=(const TReplyList&) = delete;
    ~TReplyList();

    std::size_t size() const { return Data ? Data->Size : 0; }
    bool empty() const { return size() == 0; }
    TLetter* operator[](std::size_t i) const { return Items()[i]; }

    iterator begin() { return Items(); }
    iterator end() { return begin() + size(); }
    const_iterator begin() const { return Items(); }
    const_iterator end() const { return begin() + size(); }
    reverse_iterator rbegin() { return reverse_iterator(end()); }
    reverse_iterator rend() { return reverse_iterator(begin()); }
    const_reverse_iterator rbegin() const { return const_reverse_iterator(end()); }
    const_reverse_iterator rend() const { return const_reverse_iterator(begin()); }

    void push_back(TLetter* letter);
    iterator erase(iterator at);
    // Forgets every answer and gives the block back.
    void clear();

    operator std::vector<TLetter*>() const { return {begin(), end()}; }
    bool operator==(const std::vector<TLetter*>& letters) const;

private:
    // The block: its count and room, then the letters.
    struct Head {
        uint32_t Size;
        uint32_t Capacity;
    };
    static_assert(sizeof(Head) % alignof(TLetter*) == 0);
    Head* Data = nullptr;

    TLetter** Items() const { return Data ? reinterpret_cast<TLetter**>(Data + 1) : nullptr; }
};

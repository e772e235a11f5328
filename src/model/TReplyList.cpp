#include "model/TReplyList.h"

#include <algorithm>
#include <cstdlib>
#include <new>

TReplyList::~TReplyList()
{
    std::free(Data);
}

void TReplyList::push_back(TLetter* letter)
{
    const uint32_t size = static_cast<uint32_t>(this->size());
    if (!Data || size == Data->Capacity) {
        const uint32_t capacity = size == 0 ? 1 : size * 2;
        auto* grown = static_cast<Head*>(std::realloc(Data, sizeof(Head) + std::size_t(capacity) * sizeof(TLetter*)));
        if (!grown)
            throw std::bad_alloc();
        grown->Size = size;
        grown->Capacity = capacity;
        Data = grown;
    }
    Items()[Data->Size++] = letter;
}

TReplyList::iterator TReplyList::erase(iterator at)
{
    std::copy(at + 1, end(), at);
    --Data->Size;
    return at;
}

void TReplyList::clear()
{
    std::free(Data);
    Data = nullptr;
}

bool TReplyList::operator==(const std::vector<TLetter*>& letters) const
{
    return std::equal(begin(), end(), letters.begin(), letters.end());
}

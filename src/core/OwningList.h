// A list that owns its items, each in a std::unique_ptr, and hands out plain
// pointers to them: indexing and iteration give T*. An item stays at its
// address while the list reorders or grows, so views that hold plain
// pointers into the list stay valid as long as the item is in it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <memory>
#include <vector>

template <class T> class OwningList {
    using Storage = std::vector<std::unique_ptr<T>>;

public:
    // Walks the items as plain pointers.
    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = T*;
        using difference_type = std::ptrdiff_t;
        using pointer = T* const*;
        using reference = T*;

        const_iterator() = default;
        explicit const_iterator(typename Storage::const_iterator at) : At(at) { }
        T* operator*() const { return At->get(); }
        const_iterator& operator++()
        {
            ++At;
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator before = *this;
            ++At;
            return before;
        }
        bool operator==(const const_iterator& other) const = default;

    private:
        typename Storage::const_iterator At;
    };

    OwningList() = default;
    OwningList(const OwningList&) = delete;
    OwningList& operator=(const OwningList&) = delete;
    ~OwningList() { FreeItems(); }

    std::size_t Count() const { return Items.size(); }
    bool Empty() const { return Items.empty(); }
    T* operator[](std::size_t index) const { return Items[index].get(); }
    T* At(std::size_t index) const { return index < Items.size() ? Items[index].get() : nullptr; }
    const_iterator begin() const { return const_iterator(Items.begin()); }
    const_iterator end() const { return const_iterator(Items.end()); }

    T* Add(std::unique_ptr<T> item)
    {
        Items.push_back(std::move(item));
        return Items.back().get();
    }
    T* Insert(std::size_t index, std::unique_ptr<T> item)
    {
        return Items.insert(Items.begin() + static_cast<std::ptrdiff_t>(index), std::move(item))->get();
    }
    // Takes the item out of the list without freeing it.
    std::unique_ptr<T> Take(std::size_t index)
    {
        std::unique_ptr<T> item = std::move(Items[index]);
        Items.erase(Items.begin() + static_cast<std::ptrdiff_t>(index));
        return item;
    }
    // The same by the item itself; nullptr when it is not in the list.
    std::unique_ptr<T> Remove(const T* item)
    {
        const std::ptrdiff_t index = IndexOf(item);
        return index < 0 ? nullptr : Take(static_cast<std::size_t>(index));
    }
    // The item's position, or -1.
    std::ptrdiff_t IndexOf(const T* item) const
    {
        auto it =
            std::find_if(Items.begin(), Items.end(), [item](const std::unique_ptr<T>& p) { return p.get() == item; });
        return it == Items.end() ? -1 : it - Items.begin();
    }

    // Empties the list, then frees the items in list order: an item's
    // destructor that looks at the list finds it empty.
    void FreeItems()
    {
        Storage doomed;
        doomed.swap(Items);
        for (std::unique_ptr<T>& item : doomed)
            item.reset();
    }
    // Frees the items, then takes these over in their order.
    void Adopt(Storage items)
    {
        FreeItems();
        Items = std::move(items);
    }

    // Sorts by less (a strict weak order on const T&); equal items keep
    // their order.
    template <class Less> void StableSort(Less less)
    {
        std::stable_sort(Items.begin(), Items.end(),
                         [&less](const std::unique_ptr<T>& a, const std::unique_ptr<T>& b) { return less(*a, *b); });
    }

private:
    Storage Items;
};

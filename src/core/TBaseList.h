// A list of object references with an abstract order, the root of the
// program's lists (areas, letters, filtered letters). It does not own its
// items unless a derived list says so.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

template <class T>
class TBaseList {
public:
    virtual ~TBaseList() = default;

    // -1, 0 or 1. Either item may be absent (nullptr): lists that merge use
    // that to run past the end of one side.
    virtual int Compare(const T* a, const T* b) const = 0;

    std::size_t Count() const { return Items.size(); }
    bool Empty() const { return Items.empty(); }
    T* operator[](std::size_t index) const { return Items[index]; }
    T* At(std::size_t index) const { return index < Items.size() ? Items[index] : nullptr; }
    void Add(T* item) { Items.push_back(item); }
    void Insert(std::size_t index, T* item) { Items.insert(Items.begin() + static_cast<std::ptrdiff_t>(index), item); }
    void Delete(std::size_t index) { Items.erase(Items.begin() + static_cast<std::ptrdiff_t>(index)); }
    // Removes the first occurrence of item; its index, or -1.
    std::ptrdiff_t Remove(T* item)
    {
        std::ptrdiff_t i = IndexOf(item);
        if (i >= 0)
            Delete(static_cast<std::size_t>(i));
        return i;
    }
    std::ptrdiff_t IndexOf(const T* item) const
    {
        auto it = std::find(Items.begin(), Items.end(), item);
        return it == Items.end() ? -1 : it - Items.begin();
    }
    void Clear() { Items.clear(); }

    // Frees every item, then empties the list.
    void FreeItems()
    {
        std::vector<T*> doomed;
        doomed.swap(Items);
        for (T* item : doomed)
            delete item;
    }

    // Quicksort on the list positions by Compare: middle pivot, both ends
    // moving inwards. Equal items keep no particular order.
    void Sort()
    {
        if (Items.size() > 1)
            QuickSort(0, static_cast<std::ptrdiff_t>(Items.size()) - 1);
    }

    typename std::vector<T*>::const_iterator begin() const { return Items.begin(); }
    typename std::vector<T*>::const_iterator end() const { return Items.end(); }

protected:
    std::vector<T*> Items;

private:
    void QuickSort(std::ptrdiff_t low, std::ptrdiff_t high)
    {
        while (low < high) {
            std::ptrdiff_t i = low;
            std::ptrdiff_t j = high;
            const T* pivot = Items[static_cast<std::size_t>((low + high) / 2)];
            do {
                while (Compare(Items[static_cast<std::size_t>(i)], pivot) < 0)
                    ++i;
                while (Compare(Items[static_cast<std::size_t>(j)], pivot) > 0)
                    --j;
                if (i <= j) {
                    std::swap(Items[static_cast<std::size_t>(i)], Items[static_cast<std::size_t>(j)]);
                    ++i;
                    --j;
                }
            } while (i <= j);
            // Recurse into the smaller part, loop on the larger one: the stack
            // stays shallow whatever the data.
            if (j - low < high - i) {
                if (low < j)
                    QuickSort(low, j);
                low = i;
            } else {
                if (i < high)
                    QuickSort(i, high);
                high = j;
            }
        }
    }
};

// A list that owns its items: destroying it frees them.
template <class T>
class TOwningList : public TBaseList<T> {
public:
    ~TOwningList() override { this->FreeItems(); }
};

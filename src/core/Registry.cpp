#include "core/Registry.h"

#include <algorithm>

#include "core/MemoryRegistry.h"

namespace {

std::unique_ptr<Registry>& Installed()
{
    static std::unique_ptr<Registry> registry = std::make_unique<MemoryRegistry>();
    return registry;
}

// A name split into its text and its trailing decimal number.
struct SplitName {
    std::string Stem;
    std::string Digits;  // without leading zeros
};

SplitName Split(const std::string& name)
{
    std::size_t end = name.size();
    while (end > 0 && name[end - 1] >= '0' && name[end - 1] <= '9')
        --end;
    SplitName split;
    split.Stem = name.substr(0, end);
    std::string digits = name.substr(end);
    std::size_t firstNonZero = digits.find_first_not_of('0');
    split.Digits = firstNonZero == std::string::npos ? std::string() : digits.substr(firstNonZero);
    return split;
}

}  // namespace

void SortValueNames(std::vector<std::string>& names)
{
    // By the text before the trailing number, then by the number's value,
    // then by the whole name: a strict order for any mix of names.
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        SplitName sa = Split(a), sb = Split(b);
        if (sa.Stem != sb.Stem)
            return sa.Stem < sb.Stem;
        if (sa.Digits.size() != sb.Digits.size())
            return sa.Digits.size() < sb.Digits.size();
        if (sa.Digits != sb.Digits)
            return sa.Digits < sb.Digits;
        return a < b;
    });
}

Registry& UserRegistry()
{
    return *Installed();
}

void SetUserRegistry(std::unique_ptr<Registry> registry)
{
    if (registry)
        Installed() = std::move(registry);
}

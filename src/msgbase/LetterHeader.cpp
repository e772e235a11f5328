#include "msgbase/LetterHeader.h"

LetterFlags FlagsOfWord(uint32_t word, std::span<const FlagBit> table)
{
    LetterFlags flags;
    for (const FlagBit& entry : table)
        flags.Set(entry.Flag, (word & entry.Bit) != 0);
    return flags;
}

uint32_t WordWithChangedFlags(uint32_t word, LetterFlags was, LetterFlags wanted, std::span<const FlagBit> table)
{
    for (const FlagBit& entry : table) {
        if (was.Has(entry.Flag) == wanted.Has(entry.Flag))
            continue;
        word = wanted.Has(entry.Flag) ? word | entry.Bit : word & ~entry.Bit;
    }
    return word;
}

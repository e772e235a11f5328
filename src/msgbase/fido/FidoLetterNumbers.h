// Which letter numbers exist in a *.MSG directory, learnt by listing it: one
// bit per number, and how each letter's ".msg" is spelt, so that a letter is
// opened under its own name without searching the directory again.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/OsFiles.h"
#include "msgbase/MsgBase.h"
#include "msgbase/fido/FidoMsgLayout.h"

class FidoLetterNumbers {
public:
    FidoLetterNumbers();

    // Forgets everything, then reads the directory's plain files (a
    // path ending with the separator), or the names of its plain files
    // already listed. Names that are not a number from 1 to HighestNumber in
    // decimal followed by ".msg" in any case are ignored. Of two names for
    // one number, "7.msg" wins over "7.MSG", and both over "007.msg".
    void Scan(const std::string& directory);
    void Scan(const std::vector<std::string>& plainFiles);
    void Clear();

    bool Exists(Num number) const;
    // extension: ".msg" as it is spelt on disk.
    void Add(Num number, std::string_view extension);
    void Remove(Num number);

    Num Highest() const { return High; }
    uint32_t Count() const { return Total; }

    // The file name of an existing letter as it is spelt on disk; for any
    // other number, the name a new letter takes.
    std::string NameOf(Num number) const;
    // The case of the directory's letter names (that of the highest letter);
    // lower case when there is none. Files this base creates follow it.
    NameCase LetterCase() const;
    // Names the last Scan passed over for another name of the same number
    // ("007.msg" beside "7.msg"): those letters are not listed.
    const std::vector<std::string>& Shadowed() const { return ShadowedNames; }

private:
    std::vector<uint8_t> Bits;      // bit (n mod 8) of byte (n div 8)
    std::vector<uint8_t> Spelling;  // per number: bit k set when letter k of "msg" is upper case
    std::map<Num, std::string> Padded;  // names whose number has leading zeros ("007.msg")
    Num High = 0;
    uint32_t Total = 0;
    std::vector<std::string> ShadowedNames;
};

// ".msg" with its letters k (0 to 2) in upper case where bit k of upper is set.
std::string LetterExtension(uint8_t upper);

// Reads a letter file name: true and the number and the spelling of its
// extension when it is a decimal number from 1 to HighestNumber (leading
// zeros allowed: "007.msg" is letter 7) followed by ".msg" in any case.
bool ParseLetterName(std::string_view name, Num& number, std::string& extension);

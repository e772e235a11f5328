// The user's address book: the people netmail went to, and those the user
// added by hand. One UTF-8 text file in the user's data directory, a header
// line and then NAME<TAB>ADDRESS<TAB>YYYY-MM-DD a line, rewritten whole and
// crash-safely at every change. A file that does not read as such a book is
// reported and left as it is until the book is written: then it is kept
// beside the new one as FILE.damaged.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/FidoAddress.h"

struct AddressBookEntry {
    std::string Name;
    FidoAddress Address;
    std::string LastUsed;  // YYYY-MM-DD, or "" when never

    bool operator==(const AddressBookEntry&) const = default;
};

// $XDG_DATA_HOME/Tressik/Quorvel/addressbook.txt (else under ~/.local/share).
std::string DefaultAddressBookPath();
// Today's date as the book writes it.
std::string TodayText();

class AddressBook {
public:
    explicit AddressBook(std::string path);

    // Reads the file (a missing one is an empty book). "" when it read well;
    // else what is wrong with it (UTF-8), the lines that could be read kept.
    std::string Load();
    bool Damaged() const { return IsDamaged; }

    // The entries by name.
    const std::vector<AddressBookEntry>& Entries() const { return List; }

    // The entry of this name and address gets the date; one that is not
    // there is added.
    void Remember(const std::string& name, const FidoAddress& address, const std::string& date);
    void Replace(std::size_t index, const AddressBookEntry& entry);
    void Remove(std::size_t index);

    // Writes the book; "" when written, else why not (UTF-8).
    std::string Save();

    // The entries whose name has a word starting with each typed word, or
    // whose address starts with the typed text.
    std::vector<AddressBookEntry> Lookup(std::string_view query) const;

    const std::string& Path() const { return FilePath; }

private:
    void Sort();

    std::string FilePath;
    std::vector<AddressBookEntry> List;
    bool IsDamaged = false;
};

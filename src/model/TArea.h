// A complete area: its description, its base on disk, and the list of its
// letters (which it owns), with the counts the windows show.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/TAreaWithDisk.h"
#include "model/TLetterList.h"

class TArea : public TAreaWithDisk {
public:
    TArea(Session& owner, const std::string& tag, const std::string& description, const std::string& baseSpec);
    // Tells the windows (AreaDestroyed) first, then frees the letters.
    ~TArea() override;

    // Letter order: by Date ascending, equal dates by Subject; -1, 0 or 1.
    static int Compare(const TLetter& a, const TLetter& b);

    // Reads every letter header from the base (once per reload of the areas
    // list). Pending window messages run once per letter; the read stops
    // between letters when StopRequested. An area that cannot be opened
    // loads empty, and OpenProblem says why.
    void Load();
    // Replaces the letters with these (the area takes them over), sorts and
    // links them and counts the unread ones.
    void InstallLetters(std::vector<std::unique_ptr<TLetter>> letters);

    void SetCurrent(TLetter* letter);
    // The first letter with this key; nullptr for key 0 or none.
    TLetter* FindByKey(int32_t key) const;
    // "TAG: n осталось, n прочитал, n всего", or the scanning states, or
    // "TAG: не открыта: " and why, when the base could not be opened.
    std::string StatusText() const;
    // The same for a possibly absent area: "" for none.
    static std::string StatusTextOf(const TArea* area);
    // Marks every letter read (the windows are told once, at the end); letters
    // gone from the base meanwhile are passed over.
    void MarkAllRead();
    int32_t NewCount() const { return UnreadCount + ReadCount; }

    // A letter just written into the base joins the area; returns it.
    TLetter* AddLetter(std::unique_ptr<TLetter> letter);
    // A letter just deleted from the base leaves the area, and is handed to
    // the caller (freed when it lets go of it, after the windows were told);
    // nextCurrent becomes the current letter.
    std::unique_ptr<TLetter> RemoveLetter(TLetter* letter, TLetter* nextCurrent);
    // Sorts the letters, makes current the current letter and tells the
    // windows (letters, current letter, counts): what follows a letter
    // joining or leaving, and a letter changed in place (a saved change).
    void Resettle(TLetter* current);

    TLetterList Letters;  // in letter order (Compare); owned
    TLetter* Current = nullptr;
    int32_t CurrentKey = 0;   // key of Current, kept across a load
    void* Node = nullptr;     // the areas window's node for this area
    bool Loaded = false;
    bool Loading = false;
    int32_t UnreadCount = 0;
    int32_t ReadCount = 0;

private:
    std::vector<std::unique_ptr<TLetter>> ReadLetters();
    void Recount();
    void SortLetters();
};

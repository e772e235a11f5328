// The program's list of areas: read from the areas file at every scan and
// merged into the areas already known by tag, so that windows keep their
// area objects across reloads. The list itself is in display order.
#pragma once

#include <memory>
#include <string>

#include <vector>

#include "core/AreasFile.h"
#include "core/OwningList.h"
#include "model/TArea.h"

class Session;

class TAreas {
public:
    // The areas of this session (their areas file, their settings).
    explicit TAreas(Session& owner) : Owner(owner) {}
    TAreas(const TAreas&) = delete;
    TAreas& operator=(const TAreas&) = delete;
    // Frees every area.
    virtual ~TAreas();

    // Display order: loaded areas first; then the fewest unread letters first,
    // areas with none last; then by tag. -1, 0 or 1.
    static int Compare(const TArea& a, const TArea& b);

    // The areas in display order.
    std::size_t Count() const { return Shown.size(); }
    bool Empty() const { return Shown.empty(); }
    TArea* operator[](std::size_t index) const { return Shown[index]; }
    TArea* At(std::size_t index) const { return index < Shown.size() ? Shown[index] : nullptr; }
    std::vector<TArea*>::const_iterator begin() const { return Shown.begin(); }
    std::vector<TArea*>::const_iterator end() const { return Shown.end(); }
    // The area's place in display order, or -1.
    std::ptrdiff_t IndexOf(const TArea* area) const;

    // Rereads the areas file and every area's letters (unless a scan finished
    // since the last Invalidate, or one is running).
    void Scan();
    void Invalidate() { Scanned = false; }
    void SetCurrent(TArea* area);
    // Sorts into display order and tells the windows.
    void Resort();
    // "Областей: %d".
    std::string CountText() const;
    int32_t TotalUnread() const;
    // Frees every area (each tells the windows); the list is empty afterwards.
    void FreeAreas();

    // Every area in tag order (areas of one tag in the file's order).
    const OwningList<TArea>& AllByTag() const { return All; }

    bool Scanned = false;
    TArea* Current = nullptr;
    bool Scanning = false;
    Session& Owner;

protected:
    // Reads the areas file the session's command line named (sorted by tag).
    virtual std::unique_ptr<TAreasFromCFG> ReadAreasFile();

private:
    // Every area in tag order: the areas are owned here, and the display
    // list holds the same objects.
    OwningList<TArea> All;
    std::vector<TArea*> Shown;

    void Reload();
    void Sort();
    void ScanAll();
};

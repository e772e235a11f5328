// The program's list of areas: read from the areas file at every scan and
// merged into the areas already known by tag, so that windows keep their
// area objects across reloads. The list itself is in display order.
#pragma once

#include <memory>
#include <string>

#include "core/AreasFile.h"
#include "core/TBaseList.h"
#include "model/TArea.h"

class Session;

class TAreas : public TBaseList<TArea> {
public:
    // The areas of this session (their areas file, their settings).
    explicit TAreas(Session& owner) : Owner(owner) {}
    TAreas(const TAreas&) = delete;
    TAreas& operator=(const TAreas&) = delete;
    // Frees every area.
    ~TAreas() override;

    // Display order: loaded areas first; then the fewest unread letters first,
    // areas with none last; then by tag.
    int Compare(const TArea* a, const TArea* b) const override;

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

    TBaseList<TArea>& AllByTag() { return All; }

    bool Scanned = false;
    TArea* Current = nullptr;
    bool Scanning = false;
    Session& Owner;

protected:
    // Reads the areas file the session's command line named (sorted by tag).
    virtual std::unique_ptr<TAreasFromCFG> ReadAreasFile();

private:
    // Every area in tag order; the display list holds the same objects.
    class TagOrder : public TBaseList<TArea> {
    public:
        int Compare(const TArea* a, const TArea* b) const override;
    } All;

    void Reload();
    void ScanAll();
};

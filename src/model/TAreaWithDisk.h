// An area bound to its message base on disk. Opening is counted: the base
// object lives while the count is above zero, so a window that keeps its
// area open and a scan that opens it around a read share the area.
#pragma once

#include <memory>
#include <vector>

#include "core/AreasFile.h"
#include "core/Exceptions.h"
#include "model/TLetterList.h"
#include "msgbase/MsgBase.h"

// "Не смог открыть/создать область "%s" (%s)" with the tag and base string.
class ECantOpenArea : public EQuorvel {
public:
    ECantOpenArea(const std::string& tag, const std::string& baseSpec);
};

// "Не смог закрыть область "%s"" with the tag.
class ECantCloseArea : public EQuorvel {
public:
    explicit ECantCloseArea(const std::string& tag);
};

// Makes and opens the base named by spec (creating it empty when it does not
// exist); false, with base empty, when that fails.
bool OpenArea(std::unique_ptr<MsgBase>& base, const std::string& spec);
// Closes and releases the base; true when the close succeeded.
bool CloseArea(std::unique_ptr<MsgBase>& base);

// The area's description (TAreaBase) and the list of its letters
// (TLetterList) in one object.
class TAreaWithDisk : public TAreaBase, public TLetterList {
public:
    TAreaWithDisk(const std::string& tag, const std::string& description, const std::string& baseSpec);
    ~TAreaWithDisk() override;

    // Opens a fresh base object (ECantOpenArea on failure), counts the open
    // and tells the windows (WM_AREAOPENED).
    void Open();
    // Counts the close; the last one closes the base (ECantCloseArea when that
    // fails or nothing was open) and tells the windows (WM_AREACLOSED).
    void Close();

    int32_t OpenCount = 0;
    std::unique_ptr<MsgBase> Base;  // the freshest open base object, or nullptr

private:
    // Objects that a later Open replaced while the area stayed open: a read
    // in progress may still be walking one. They are closed with the last Close.
    std::vector<std::unique_ptr<MsgBase>> Replaced;
};

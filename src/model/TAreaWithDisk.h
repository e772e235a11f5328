// An area bound to its message base on disk. Opening is counted: the base
// object lives while the count is above zero, so a window that keeps its
// area open and a scan that opens it around a read share the area.
#pragma once

#include <memory>
#include <vector>

#include "core/AreasFile.h"
#include "core/Exceptions.h"
#include "msgbase/MsgBase.h"

class Session;

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

// Why a base string names no base that can be opened, for the user:
// a Hudson board without the Hudson directory, a base without a path (their
// files would land in whatever directory the program was started from), a
// path that a NUL character would cut short. "" for a sound one.
std::string BaseSpecProblem(const std::string& spec);

// Makes and opens the base named by spec (creating it empty when it does not
// exist, but not while the session's tosser works), to read by the session's
// settings; false, with base empty, when that fails, and then problem (when
// given) says why, for the user.
bool OpenArea(Session& session, std::unique_ptr<MsgBase>& base, const std::string& spec,
              std::string* problem = nullptr);
// Closes and releases the base; true when the close succeeded.
bool CloseArea(std::unique_ptr<MsgBase>& base);

class TArea;

// The area's description (TAreaBase) bound to its base; only a TArea is one.
class TAreaWithDisk : public TAreaBase {
public:
    ~TAreaWithDisk() override;
    TAreaWithDisk(const TAreaWithDisk&) = delete;
    TAreaWithDisk& operator=(const TAreaWithDisk&) = delete;

    // Opens a fresh base object (ECantOpenArea on failure), counts the open
    // and tells the windows (AreaOpened).
    void Open();
    // Counts the close; the last one closes the base (ECantCloseArea when that
    // fails or nothing was open) and tells the windows (AreaClosed).
    void Close();

    // Why the last Open failed, for the user; "" once one succeeded.
    std::string OpenProblem;
    bool OpenFailed() const { return !OpenProblem.empty(); }

    // The session the area belongs to (its settings, its tosser flag).
    Session& Owner;
    int32_t OpenCount = 0;
    std::unique_ptr<MsgBase> Base;  // the freshest open base object, or nullptr
    // The object a read of the letters is walking (it lets window messages
    // run, and a window may open the area meanwhile), or nullptr.
    MsgBase* Walking = nullptr;

protected:
    TAreaWithDisk(Session& owner, const std::string& tag, const std::string& description, const std::string& baseSpec);

private:
    // The area the windows are told about.
    TArea& AsArea();

    // Objects that a later Open replaced while the area stayed open. Only
    // the one a read is walking is kept (until the read is done); the others
    // are closed at once, so an area a window keeps open holds one set of
    // files however often it is rescanned.
    std::vector<std::unique_ptr<MsgBase>> Replaced;
    void ReleaseReplaced();
};

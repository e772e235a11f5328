// HudsonMsgBase, the base as a whole: the five files found whatever their
// case, judged by their sizes (a base, none, or damaged), created, opened
// and closed.
#include <algorithm>
#include <array>
#include <functional>

#include "core/OsFiles.h"
#include "core/StringHelpers.h"
#include "msgbase/hudson/HudsonMsgBase.h"
#include "msgbase/SharedBlocks.h"
#include "msgbase/hudson/HudsonShared.h"

using namespace hudson_files;

void HudsonMsgBase::SetBasePath(const std::string& spec)
{
    // The board is exactly the first three characters (the areas file pads
    // and cuts it to three digits); the directory follows at once and may
    // itself start with a digit ("0052hud/" is board 5 in "2hud/").
    std::string boardText = spec.substr(0, 3);
    bool digits = boardText.size() == 3 && std::all_of(boardText.begin(), boardText.end(),
                                                         [](char c) { return c >= '0' && c <= '9'; });
    Board = digits ? StrToIntTrim(boardText) : 0;
    Dir = spec.size() > 3 ? spec.substr(3) : std::string();
    AddBackslash(Dir);
}

std::string HudsonMsgBase::FileName(const char* programName) const
{
    return Dir + programName;
}

// A file this object creates follows the case of the base's files already on
// disk; in a new base it is lower case, the only case Linux tossers open.
std::string HudsonMsgBase::NameToCreate(const char* programName) const
{
    std::string name = FileName(programName);
    if (FileExists(name))
        return name;
    NameCase style = NameCase::Lower;
    for (const char* probe : {InfoName, HdrName, IdxName, ToIdxName, TxtName, LastReadName, EchoMailName, NetMailName}) {
        if (!FileExists(FileName(probe)))
            continue;
        std::string os = ToOsPath(FileName(probe));  // the name as it is on disk
        std::size_t slash = os.rfind('/');
        style = CaseOfName(slash == std::string::npos ? os : os.substr(slash + 1));
        break;
    }
    return Dir + ApplyNameCase(programName, style);
}

namespace {

// The directory listed last, kept while the directory keeps the stamp it had
// settled with: a scan looks for the files twice for every board of a base.
struct Listing {
    std::string Dir;
    FileChangeStamp Stamp;
    std::vector<std::string> Names;
};
Listing LastListing;

std::vector<std::string> ListingOf(const std::string& dir)
{
    const int64_t before = shared_blocks::RealNowNs();
    const FileChangeStamp stamp = ChangeStampByName(dir);
    if (stamp.Size >= 0 && LastListing.Dir == dir && LastListing.Stamp == stamp)
        return LastListing.Names;
    std::vector<std::string> names = ListDirectory(dir);
    if (stamp.Size >= 0 && shared_blocks::Settled(stamp, before))
        LastListing = {dir, stamp, names};
    else
        LastListing = {};
    return names;
}

}  // namespace

// One look at the directory finds all five names, whatever their case: a
// scan opens the base once for every board.
HudsonMsgBase::BaseNames HudsonMsgBase::ResolveNames() const
{
    std::vector<std::string> listing = ListingOf(Dir);
    auto resolve = [&](const char* programName) {
        std::string wanted = LowerAscii(programName);
        const std::string* match = nullptr;
        for (const std::string& entry : listing) {
            if (entry == programName)
                return Dir + entry;
            if (!match && LowerAscii(entry) == wanted)
                match = &entry;
        }
        return Dir + (match ? *match : std::string(programName));
    };
    return {resolve(InfoName), resolve(IdxName), resolve(ToIdxName), resolve(HdrName), resolve(TxtName)};
}

// What the five files make, judged by their sizes:
// - Missing: there is no MSGINFO and none of the other four holds anything
//   (empty files left by a creation that broke off are completed by
//   CreateBase: nothing in them can be lost).
// - Complete: MSGINFO of exactly one record, the four others present, and
//   as many MSGHDR and MSGTOIDX records as MSGIDX has - or one more: the
//   tail of an append that broke off before its index record, which belongs
//   to no letter and is cut by the next writer. The index record the tail
//   follows must then still name the header beside it.
// - Damaged: anything else.
// Readers take no lock, so a writer may append while the sizes are taken one
// after the other: they are taken against the order of appending (index
// first), and a base that looks out of step is looked at again while its
// files keep changing.
HudsonMsgBase::BaseState HudsonMsgBase::CheckFiles(const BaseNames& names) const
{
    return CheckSizes(names, [&names] {
        return std::array<int64_t, 5>{FileSizeByName(names.Idx), FileSizeByName(names.ToIdx),
                                      FileSizeByName(names.Hdr), FileSizeByName(names.Txt),
                                      FileSizeByName(names.Info)};
    });
}

HudsonMsgBase::BaseState HudsonMsgBase::CheckSizes(const BaseNames& names,
                                                   const std::function<std::array<int64_t, 5>()>& sizes) const
{
    std::array<int64_t, 5> seen = sizes();
    BaseState state = JudgeSizes(names, seen);
    for (int look = 1; look < RetryCount && state == BaseState::Damaged; ++look) {
        std::array<int64_t, 5> again = sizes();
        if (again == seen)
            break;
        seen = again;
        state = JudgeSizes(names, seen);
    }
    return state;
}

HudsonMsgBase::BaseState HudsonMsgBase::JudgeSizes(const BaseNames& names, const std::array<int64_t, 5>& sizes) const
{
    auto [idx, toIdx, hdr, txt, info] = sizes;
    if (info < 0)
        return hdr > 0 || idx > 0 || toIdx > 0 || txt > 0 ? BaseState::Damaged : BaseState::Missing;
    if (hdr < 0 || idx < 0 || toIdx < 0 || txt < 0 || info != int64_t(sizeof(HudsonInfoRecord)))
        return BaseState::Damaged;
    int64_t letters = idx / int64_t(sizeof(HudsonIdxRecord));
    int64_t headers = hdr / int64_t(sizeof(HudsonHdrRecord));
    int64_t recipients = toIdx / int64_t(sizeof(HudsonToIdxRecord));
    auto inStep = [letters](int64_t records) { return records == letters || records == letters + 1; };
    if (!inStep(headers) || !inStep(recipients))
        return BaseState::Damaged;
    if ((headers > letters || recipients > letters) && !LastIndexMatchesItsHeader(names, letters))
        return BaseState::Damaged;
    return BaseState::Complete;
}

// Whether the last index record still names the header beside it: a tail
// after it is then an append that broke off, not a shifted index.
bool HudsonMsgBase::LastIndexMatchesItsHeader(const BaseNames& names, int64_t letters) const
{
    if (letters == 0)
        return true;
    HudsonIdxRecord idx{};
    uint16_t number = 0;
    int64_t last = letters - 1;
    if (LoadFilePart(names.Idx, &idx, sizeof idx, last * int64_t(sizeof idx)) != 0 ||
        LoadFilePart(names.Hdr, &number, sizeof number, last * int64_t(sizeof(HudsonHdrRecord))) != 0)
        return false;
    return idx.MsgNum == HudsonDeletedNumber || idx.MsgNum == number;
}

// Only a base without MSGINFO may be missing: a scan asks for every board,
// and MSGINFO is there in nearly every base.
bool HudsonMsgBase::BaseExists()
{
    const BaseNames names = ResolveNames();
    return FileSizeByName(names.Info) >= 0 || CheckFiles(names) != BaseState::Missing;
}

Status HudsonMsgBase::CreateBase(uint16_t, uint16_t)
{
    if (!BoardValid())
        return HudsonBadBoard;
    // The five files hold every board of the base: never start them afresh
    // over files that are there, whole or damaged.
    switch (CheckFiles(ResolveNames())) {
    case BaseState::Complete: return HudsonBaseExists;
    case BaseState::Damaged: return HudsonDamaged;
    case BaseState::Missing: break;
    }
    if (!MakePath(Dir))
        return HudsonInfoUnreadable;
    Status status = 0;
    for (const char* name : {IdxName, ToIdxName, HdrName, TxtName}) {
        Status s = SaveFile(NameToCreate(name), nullptr, 0);  // created empty, never truncated
        if (status == 0)
            status = s;
    }
    HudsonInfoRecord info{};
    info.LowMsg = 1;
    Status s = SaveFile(NameToCreate(InfoName), &info, sizeof info);
    return status != 0 ? status : s;
}

// The five files are opened first and judged by the sizes the opens found
// (and by their sizes now while they look damaged); only a base with a file
// missing is judged by its names, to be created or refused.
Status HudsonMsgBase::OpenBase()
{
    if (!BoardValid())
        return HudsonBadBoard;
    if (!Opened) {
        BaseNames names = ResolveNames();
        Status status = OpenFiles(names);
        if (status != 0) {
            switch (CheckFiles(names)) {
            case BaseState::Missing:
                if (status = CreateBase(100, 100); status != 0)
                    return status;
                names = ResolveNames();  // the files just made
                if (status = OpenFiles(names); status != 0)
                    return status;
                break;
            case BaseState::Damaged: return HudsonDamaged;
            case BaseState::Complete: return status;
            }
        }
        bool first = true;
        const BaseState state = CheckSizes(names, [&] {
            auto size = [&](FileRecord& file) { return first ? FileSizeAtOpen(file) : FileSizeBytes(file); };
            std::array<int64_t, 5> sizes{size(IdxFile), size(ToIdxFile), size(HdrFile), size(TxtFile), size(InfoFile)};
            first = false;
            return sizes;
        });
        if (state != BaseState::Complete) {
            CloseFiles();
            return HudsonDamaged;
        }
    }
    HudsonInfoRecord info{};
    if (!ReadRecordAt(InfoFile, 0, &info)) {
        CloseFiles();
        Opened = false;
        return HudsonInfoUnreadable;
    }
    Info = info;
    Opened = true;
    ForgetBlocks();
    return 0;
}

// Opens the five files in the order a reader takes their sizes, against
// the order of appending (the index first); 0, or the code of the last
// failed open with every file closed again.
Status HudsonMsgBase::OpenFiles(const BaseNames& names)
{
    struct {
        FileRecord& File;
        const std::string& Name;
        uint32_t Size;
    } files[] = {{IdxFile, names.Idx, sizeof(HudsonIdxRecord)},
                 {ToIdxFile, names.ToIdx, sizeof(HudsonToIdxRecord)},
                 {HdrFile, names.Hdr, sizeof(HudsonHdrRecord)},
                 {TxtFile, names.Txt, sizeof(HudsonTxtRecord)},
                 {InfoFile, names.Info, sizeof(HudsonInfoRecord)}};
    Status status = 0;
    for (auto& f : files) {
        BindFile(f.File, f.Name);
        if (!OpenExisting(f.File, f.Size))
            status = LastIoError;
    }
    if (status != 0)
        CloseFiles();
    return status;
}

void HudsonMsgBase::CloseFiles()
{
    for (FileRecord* f : {&IdxFile, &ToIdxFile, &TxtFile, &HdrFile, &InfoFile})
        if (f->IsOpen())
            CloseFile(*f);
}

Status HudsonMsgBase::CloseBase()
{
    if (!Opened)
        return 0;
    if (Locked)
        ReleaseLock(true);
    Status status = 0;
    for (FileRecord* f : {&IdxFile, &ToIdxFile, &TxtFile, &HdrFile, &InfoFile})
        if (f->IsOpen() && !CloseFile(*f) && status == 0)
            status = LastIoError;
    Opened = false;
    Found = false;
    HeaderLoaded = false;
    ForgetBlocks();
    return status;
}

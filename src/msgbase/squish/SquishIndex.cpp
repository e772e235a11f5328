// SquishMsgBase, the base header and the index image: both read under the
// lock before every change, the index read again only when the files say
// another writer changed it, the image kept sorted by number and written
// back whole.
#include <algorithm>
#include <cstring>
#include <new>

#include "msgbase/squish/SquishMsgBase.h"

// The base header's bytes (len of them) and the stamps of both files, read
// without touching the images in memory or the status word.
Status SquishMsgBase::ReadFilesState(FilesState& state)
{
    state = {};
    state.Sqi = ChangeStampOf(Sqi);
    const FileChangeStamp sqd = ChangeStampOf(Sqd);
    if (state.Sqi.Size < 0 || sqd.Size < 0)
        return LastIoError;
    state.SqdSize = sqd.Size;
    std::string image(SquishBaseHeaderSize, '\0');
    uint32_t got = 0;
    if (!SeekRecord(Sqd, 0) || !ReadRecords(Sqd, image.data(), SquishBaseHeaderSize, got))
        return LastIoError;
    if (got < sizeof(uint16_t))
        return SquishShortRead;
    const uint16_t len = static_cast<uint16_t>(uint8_t(image[0]) | (uint8_t(image[1]) << 8));
    const uint32_t length = len == 0 ? SquishBaseHeaderSize : len;
    // A header shorter than its own fields cannot be read or written back
    // without damage.
    if (length > SquishMaxBaseHeaderSize || length < SquishBaseHeaderSize)
        return SquishBadHeader;
    if (got < SquishBaseHeaderSize)
        return SquishShortRead;
    if (length > SquishBaseHeaderSize) {
        image.resize(length);
        const uint32_t rest = length - SquishBaseHeaderSize;
        if (!ReadRecords(Sqd, image.data() + SquishBaseHeaderSize, rest, got))
            return LastIoError;
        if (got < rest)
            return SquishShortRead;
    }
    state.Header = std::move(image);
    return 0;
}

Status SquishMsgBase::ParseBaseHeader(const std::string& image)
{
    SquishBaseHeader header;
    std::memcpy(&header, image.data(), sizeof header);
    // Frame headers shorter than their fields cannot be read or written back.
    uint32_t frameHeaderLen = header.sz_sqhdr == 0 ? SquishFrameHeaderSize : header.sz_sqhdr;
    if (frameHeaderLen < SquishFrameHeaderSize)
        return Fail(SquishBadHeader);
    Base = header;
    BaseTail.fill(0);
    std::memcpy(BaseTail.data(), image.data() + SquishBaseHeaderSize, image.size() - SquishBaseHeaderSize);
    HeaderLen = static_cast<uint32_t>(image.size());
    FrameHeaderLen = frameHeaderLen;
    return 0;
}

// The base header is read again every time; the index only when the files
// changed since this object read it or wrote it last (another writer's
// letters, or its deletes), so that a walk, a lock or a mark costs a few
// small reads however large the base.
Status SquishMsgBase::ReadBaseAgain(bool evenIfUnchanged)
{
    ForgetReadAhead();
    FilesState now;
    Status status = ReadFilesState(now);
    if (status == 0)
        status = ParseBaseHeader(now.Header);
    else
        Fail(status);
    if (!evenIfUnchanged && status == 0 && HaveIndex && now == IndexState) {
        Base.num_msg = Count();
        return 0;
    }
    FreeCacheValid = false;
    Status indexStatus = LoadIndex();
    IndexState = status == 0 && indexStatus == 0 ? now : FilesState{};
    return status != 0 ? status : indexStatus;
}

std::string SquishMsgBase::BaseHeaderImage(const SquishBaseHeader& header) const
{
    std::string image(SquishMaxBaseHeaderSize, '\0');
    std::memcpy(image.data(), &header, sizeof header);
    std::memcpy(image.data() + SquishBaseHeaderSize, BaseTail.data(), BaseTail.size());
    image.resize(HeaderLen);
    return image;
}

// Writes the base header as it stands in memory; the undo list learns what
// was on disk before (the header as read under the lock, or as this change
// last wrote it).
bool SquishMsgBase::WriteBaseHeader(FileUndo& undo)
{
    std::string old(HeaderLen, '\0');
    if (!ReadAt(0, old.data(), HeaderLen))
        return false;
    undo.Overwritten(Sqd, 0, old.data(), old.size());
    const std::string image = BaseHeaderImage(Base);
    return WriteAt(0, image.data(), HeaderLen);
}

// The index image holds the first num_msg records of .SQI. A shorter .SQI
// limits the letters to its records; records past num_msg (peers leave a
// blank one behind after deleting) are not letters.
Status SquishMsgBase::LoadIndex()
{
    HaveIndex = false;
    IndexRepaired = false;
    Index.clear();
    int64_t records = FileSizeRecords(Sqi);
    if (records < 0 || !SeekRecord(Sqi, 0))
        return Fail(SquishIndexSeek);
    uint32_t wanted = static_cast<uint32_t>(std::min<int64_t>(records, Base.num_msg));
    try {
        Index.resize(wanted);
    } catch (const std::bad_alloc&) {
        Index = {};
        return Fail(SquishNoIndex);
    }
    uint32_t got = 0;
    if (wanted > 0 && !ReadRecords(Sqi, Index.data(), wanted, got)) {
        Index.clear();
        return Fail(LastIoError);
    }
    Index.resize(got);
    DropNonLetters();
    // A delete killed after it cut .SQI leaves the count above the records,
    // one killed before the cut the last record twice: the chains may still
    // hold its frame.
    DeleteBrokenOff = IndexRepaired || records < int64_t(Base.num_msg);
    Base.num_msg = Count();
    HaveIndex = true;
    return 0;
}

// The image holds every letter once, in number order, as the index should:
// records of the number 0 and records of a number met before (a delete
// broken off between moving the records down and cutting the file leaves
// the last record twice) are dropped, and an index out of order (damage, a
// peer's repair) is sorted, so that every number listed reads back as its
// own letter. The file keeps its old records until the next change under
// the lock writes the image anew.
void SquishMsgBase::DropNonLetters()
{
    auto byNumber = [](const SquishIndexRecord& a, const SquishIndexRecord& b) { return a.umsgid < b.umsgid; };
    bool sound = Index.empty() || Index.front().umsgid != 0;
    for (std::size_t i = 1; i < Index.size() && sound; ++i)
        sound = Index[i - 1].umsgid < Index[i].umsgid;
    if (!sound) {
        std::stable_sort(Index.begin(), Index.end(), byNumber);
        auto same = [](const SquishIndexRecord& a, const SquishIndexRecord& b) { return a.umsgid == b.umsgid; };
        Index.erase(std::unique(Index.begin(), Index.end(), same), Index.end());
        if (!Index.empty() && Index.front().umsgid == 0)
            Index.erase(Index.begin());
        IndexRepaired = true;
    }
    HighestIndexUid = Index.empty() ? 0 : Index.back().umsgid;
}

// Writes the whole image: the records first, then the file is cut after
// them, so that a write broken off never loses a record (what is left past
// them repeats records already written, and is dropped when read).
Status SquishMsgBase::WriteIndex()
{
    if (!HaveIndex)
        return Fail(SquishNoIndex);
    if (!WriteIndexRecords(0, Count()))
        return StatusWord;
    if (!SeekRecord(Sqi, Count()) || !TruncateFile(Sqi))
        return Fail(SquishIndexSeek);
    return 0;
}

bool SquishMsgBase::WriteIndexRecords(uint32_t from, uint32_t count)
{
    if (count == 0)
        return true;
    if (!SeekRecord(Sqi, from)) {
        StatusWord = SquishIndexSeek;
        return false;
    }
    if (!WriteRecords(Sqi, Index.data() + from, count)) {
        StatusWord = LastIoError;
        return false;
    }
    return true;
}

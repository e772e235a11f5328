// The writing half of SquishMsgBase: storing letters in free or new frames,
// deleting them, purging, rewriting a letter's header. Every change is made
// under the lock, written as it is made, and ordered so that the base is
// sound whenever the process dies between two writes; a write that fails
// takes back what the change wrote before it (squish/README.md).
#include "msgbase/squish/SquishMsgBase.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "core/StringHelpers.h"
#include "msgbase/ChangedBits.h"
#include "msgbase/squish/SquishHash.h"

namespace {

// The index keeps the hash of the recipient as stored (in the set of its letter).
uint32_t RecipientHash(const SquishMessageHeader& msg)
{
    return SquishHash(std::string(msg.to, strnlen(msg.to, sizeof msg.to)));
}

}  // namespace

// ---------------------------------------------------------------- building

void SquishMsgBase::StartNewLetter(const LetterHeader& header)
{
    Msg = {};
    Frame = {};
    WriteBuffer.clear();
    NextDate = 0;
    HeaderLoaded = false;
    FrameOffset = 0;
    CurrentUid = 0;
    ApplyHeader(header);
}

void SquishMsgBase::WriteChar(char ch)
{
    WriteBuffer += ch;
}

// ---------------------------------------------------------------- free frames

void SquishMsgBase::FillFreeCache()
{
    FreeCache.clear();
    FreeCacheValid = true;
    int64_t fileSize = SqdSize();
    uint32_t offset = Base.free_frame;
    // The walk ends at the end of the chain, after 500 frames, or at the
    // first sign of damage: a frame seen before (a loop), one that cannot be
    // read, is not free, or does not fit in the file.
    while (offset != 0 && FreeCache.size() < FreeCacheSize) {
        bool seen = std::any_of(FreeCache.begin(), FreeCache.end(),
                                [offset](const FreeEntry& e) { return e.Offset == offset; });
        SquishFrameHeader frame{};
        if (seen || !ReadFrameHeader(offset, frame) || !IsFrameOf(frame, SquishFreeFrame) ||
            uint64_t(offset) + FrameHeaderLen + frame.frame_length > uint64_t(std::max<int64_t>(fileSize, 0)))
            break;
        FreeCache.push_back({offset, frame.frame_length});
        offset = frame.next_frame;
    }
}

// A free frame is reused only when no letter the index names lies in it or
// reaches into it: a damaged free chain (a frame that overlaps a letter, a
// chain that names a live frame) must never lead a letter over another.
// What cannot be checked counts as used.
bool SquishMsgBase::FrameIsUnused(uint32_t offset, uint32_t length)
{
    const uint64_t end = uint64_t(offset) + FrameHeaderLen + length;
    const SquishIndexRecord* below = nullptr;
    for (const SquishIndexRecord& record : Index) {
        if (record.ofs >= offset && record.ofs < end)
            return false;
        if (record.ofs < offset && (!below || record.ofs > below->ofs))
            below = &record;
    }
    if (!below)
        return true;
    SquishFrameHeader frame{};
    return ReadFrameHeader(below->ofs, frame) && uint64_t(below->ofs) + FrameHeaderLen + frame.frame_length <= offset;
}

// Best fit among the free frames (smallest frame longer than the letter,
// the earlier one on equal lengths); otherwise a new frame at the end.
Status SquishMsgBase::ChooseFrame(uint32_t size, FrameChoice& choice)
{
    if (!FreeCacheValid)
        FillFreeCache();
    for (;;) {
        FreeEntry* best = nullptr;
        for (FreeEntry& entry : FreeCache) {
            if (entry.Offset != 0 && entry.Length > size && (!best || entry.Length < best->Length))
                best = &entry;
        }
        if (!best)
            break;
        SquishFrameHeader frame{};
        bool usable = ReadFrameHeader(best->Offset, frame) && IsFrameOf(frame, SquishFreeFrame) &&
                      frame.frame_length == best->Length && FrameIsUnused(best->Offset, frame.frame_length);
        uint32_t offset = best->Offset;
        *best = {};
        // The cache outlives a lock while nobody else changes the base: once
        // the frames it knew of are used up, the chain may hold more.
        if (FreeCache.size() == FreeCacheSize &&
            std::all_of(FreeCache.begin(), FreeCache.end(), [](const FreeEntry& e) { return e.Offset == 0; }))
            FreeCacheValid = false;
        if (usable) {
            choice = {offset, frame.frame_length, true, frame};
            return 0;
        }
    }
    int64_t fileSize = SqdSize();
    if (fileSize < 0)
        return StatusWord;
    // New frames go at the end of the file: end_frame is not trusted to be
    // past every frame.
    uint64_t offset = std::max<uint64_t>(uint64_t(fileSize), HeaderLen);
    if (offset + FrameHeaderLen + size > std::numeric_limits<uint32_t>::max())
        return Fail(SquishBaseFull);
    choice = {static_cast<uint32_t>(offset), size, false, {}};
    return 0;
}

// Takes a reused frame out of the free chain. Links that lead back to the
// frame itself (a damaged, looping chain) count as no link.
bool SquishMsgBase::UnlinkFreeFrame(const FrameChoice& choice, FileUndo& undo)
{
    const uint32_t offset = choice.Offset;
    const uint32_t prev = choice.Old.prev_frame == offset ? 0 : choice.Old.prev_frame;
    const uint32_t next = choice.Old.next_frame == offset ? 0 : choice.Old.next_frame;
    if (prev == 0 || Base.free_frame == offset)
        Base.free_frame = next;
    if (next == 0 || Base.last_free_frame == offset)
        Base.last_free_frame = prev;
    return RelinkNeighbour(prev, SquishFreeFrame, &SquishFrameHeader::next_frame, next, undo) &&
           RelinkNeighbour(next, SquishFreeFrame, &SquishFrameHeader::prev_frame, prev, undo);
}

// Sets one link of a neighbouring frame, when it is a frame of the expected
// kind: a chain damaged elsewhere never makes this write over a letter, and
// is not followed (true). False: the write failed.
bool SquishMsgBase::RelinkNeighbour(uint32_t neighbour, uint16_t kind, uint32_t SquishFrameHeader::*link,
                                    uint32_t value, FileUndo& undo)
{
    SquishFrameHeader frame{};
    if (neighbour == 0 || !ReadFrameHeader(neighbour, frame) || !IsFrameOf(frame, kind))
        return true;
    undo.Overwritten(Sqd, neighbour, &frame, sizeof frame);
    frame.*link = value;
    return WriteFrameHeader(neighbour, frame);
}

bool SquishMsgBase::AppendToLetterChain(uint32_t offset, FileUndo& undo)
{
    bool linked = true;
    if (Base.last_frame == 0)
        Base.begin_frame = offset;
    else if (Base.last_frame != offset)
        linked = RelinkNeighbour(Base.last_frame, SquishLetterFrame, &SquishFrameHeader::next_frame, offset, undo);
    Base.last_frame = offset;
    return linked;
}

// ---------------------------------------------------------------- storing

// Above every number the base header or the index has given out: a header
// behind its index (damage, a peer's crash) must not give a number twice.
uint32_t SquishMsgBase::NextUid() const
{
    return std::max({Base.uid, HighestIndexUid + 1, 1u});
}

Status SquishMsgBase::WriteLetter()
{
    StatusWord = 0;
    WriteChar('\0');  // the zero byte ends the text and counts in its length
    uint32_t dos = DateTimeToDos(NextDate);
    Msg.date_written = SwapDosHalves(dos);
    std::string ftsc = FormatFtscDate(NextDate);
    std::memset(Msg.ftsc_date, 0, sizeof Msg.ftsc_date);
    CopyToBuffer(ftsc, sizeof Msg.ftsc_date - 1, Msg.ftsc_date);

    auto giveUp = [this](Status status) {
        WriteBuffer.pop_back();  // a repeated attempt stores the same text
        return Fail(status);
    };
    if (WriteBuffer.size() > std::numeric_limits<uint32_t>::max() - SquishMessageHeaderSize - FrameHeaderLen)
        return giveUp(SquishBaseFull);
    const uint32_t size = static_cast<uint32_t>(SquishMessageHeaderSize + WriteBuffer.size());

    bool tookLock = false;
    if (!BeginChange(tookLock))
        return giveUp(StatusWord != 0 ? StatusWord : SquishNoLock);
    FrameChoice choice;
    Status status = HaveIndex ? ChooseFrame(size, choice) : SquishNoIndex;
    if (status == 0)
        status = StoreLetter(size, choice);
    if (status != 0) {
        EndChange(tookLock, 0);
        return giveUp(status);
    }
    const uint32_t uid = Index.back().umsgid;
    Purge();

    IndexPos = PositionFrom(uid);
    FrameOffset = choice.Offset;
    CurrentUid = uid;
    HeaderLoaded = true;
    HeaderError = 0;
    LoadedMsg = Msg;
    return EndChange(tookLock, 0);
}

// Under the lock. The order keeps every step's leftovers harmless: the
// frame leaves the free chain (from then on it is nobody's), the letter is
// written into it, linked at the end of the letter chain and given its index
// record past num_msg; only the base header's new count makes it a letter.
// A step that fails takes back the steps before it; a frame appended at the
// end of the file is cut off again.
Status SquishMsgBase::StoreLetter(uint32_t size, const FrameChoice& choice)
{
    FileUndo undo;
    const SquishBaseHeader before = Base;
    auto takeBack = [&]() {
        Status status = StatusWord != 0 ? StatusWord : Status(5);
        IndexInDoubt = true;
        undo.Restore();
        Base = before;
        return Fail(status);
    };

    if (choice.Reused) {
        if (!UnlinkFreeFrame(choice, undo))
            return takeBack();
        if ((Base.free_frame != before.free_frame || Base.last_free_frame != before.last_free_frame) &&
            !WriteBaseHeader(undo))
            return takeBack();
        undo.Overwritten(Sqd, choice.Offset, &choice.Old, sizeof choice.Old);
    } else {
        undo.Appended(Sqd, choice.Offset);
    }

    SquishFrameHeader frame{};
    frame.id = SquishFrameId;
    frame.prev_frame = Base.last_frame;
    frame.frame_length = choice.Length;
    frame.msg_length = size;
    frame.frame_type = SquishLetterFrame;
    const uint64_t headerAt = uint64_t(choice.Offset) + FrameHeaderLen;
    if (!WriteAt(headerAt + SquishMessageHeaderSize, WriteBuffer.data(), static_cast<uint32_t>(WriteBuffer.size())) ||
        !WriteAt(headerAt, &Msg, sizeof Msg) || !WriteFrameHeader(choice.Offset, frame))
        return takeBack();
    if (!AppendToLetterChain(choice.Offset, undo))
        return takeBack();

    const uint32_t uid = NextUid();
    Index.push_back({choice.Offset, uid, RecipientHash(Msg)});
    undo.Appended(Sqi, Count() - 1);
    Base.uid = uid + 1;
    Base.num_msg = Count();
    Base.high_msg = Base.num_msg;
    if (!choice.Reused)
        Base.end_frame = static_cast<uint32_t>(headerAt + size);
    if (!WriteIndexRecords(Count() - 1, 1) || !WriteBaseHeader(undo)) {
        Index.pop_back();
        return takeBack();
    }
    HighestIndexUid = std::max(HighestIndexUid, uid);
    Frame = frame;
    StatusWord = 0;  // damage met while linking is not the letter's failure
    return 0;
}

// The oldest letters after the first skip_msg go first, until the base
// holds max_msg letters. Bases made by this program have no limit.
void SquishMsgBase::Purge()
{
    if (Base.max_msg == 0 || Base.max_msg <= Base.skip_msg)
        return;
    while (Count() > Base.max_msg && Count() > Base.skip_msg) {
        uint32_t before = Count();
        DeleteByUid(Index[Base.skip_msg].umsgid);
        if (Count() >= before)
            break;
    }
    StatusWord = 0;
}

// ---------------------------------------------------------------- deleting

Status SquishMsgBase::DeleteLetter()
{
    StatusWord = 0;
    if (CurrentUid == 0)
        return Fail(SquishNoSuchLetter);
    bool tookLock = false;
    if (!BeginChange(tookLock))
        return Fail(StatusWord != 0 ? StatusWord : SquishNoLock);
    Status status = HaveIndex ? DeleteByUid(CurrentUid) : SquishNoIndex;
    return EndChange(tookLock, status);
}

// Under the lock. The letter leaves the index first (the records after it
// move down, then the file is cut) and the base header's count follows;
// only then does its frame leave the letter chain and join the free chain,
// so that no frame is ever free and indexed at once. A failure up to the
// count takes everything back; after it the letter is gone, and a frame
// that could not be freed is only space not reused.
Status SquishMsgBase::DeleteByUid(uint32_t uid)
{
    const uint32_t position = PositionFrom(uid) - 1;
    if (position >= Count() || Index[position].umsgid != uid)
        return Fail(SquishNoSuchLetter);
    const auto found = Index.begin() + position;
    const SquishIndexRecord record = *found;
    const SquishBaseHeader before = Base;
    FileUndo undo;
    undo.Overwritten(Sqi, position, &*found, (Index.end() - found) * sizeof record);

    Index.erase(found);
    Base.num_msg = Count();
    if (Base.high_msg > 0)
        --Base.high_msg;
    bool cut = WriteIndexRecords(position, Count() - position) && SeekRecord(Sqi, Count()) && TruncateFile(Sqi);
    if (!cut || !WriteBaseHeader(undo)) {
        Status status = StatusWord != 0 ? StatusWord : LastIoError;
        IndexInDoubt = true;
        undo.Restore();
        Index.insert(Index.begin() + position, record);
        Base = before;
        return Fail(status != 0 ? status : SquishIndexSeek);
    }
    if (IndexPos > position + 1)
        --IndexPos;
    FreeFrame(record.ofs);
    StatusWord = 0;
    return 0;
}

// The frame of a letter that has left the index becomes the last free
// frame; its header and text stay until the frame is reused. A frame that
// cannot be read or is no letter frame (the index named a wrong place) is
// left alone.
void SquishMsgBase::FreeFrame(uint32_t offset)
{
    SquishFrameHeader frame{};
    if (!ReadFrameHeader(offset, frame) || !IsFrameOf(frame, SquishLetterFrame))
        return;
    FileUndo undo;
    const SquishBaseHeader before = Base;
    const SquishFrameHeader old = frame;

    const uint32_t prev = old.prev_frame == offset ? 0 : old.prev_frame;
    const uint32_t next = old.next_frame == offset ? 0 : old.next_frame;
    if (prev == 0 || Base.begin_frame == offset)
        Base.begin_frame = next;
    if (next == 0 || Base.last_frame == offset)
        Base.last_frame = prev;
    bool ok = RelinkNeighbour(prev, SquishLetterFrame, &SquishFrameHeader::next_frame, next, undo) &&
              RelinkNeighbour(next, SquishLetterFrame, &SquishFrameHeader::prev_frame, prev, undo);

    bool startFreeChain = Base.free_frame == 0 || Base.last_free_frame == 0 || Base.last_free_frame == offset;
    SquishFrameHeader lastFree{};
    if (!startFreeChain && (!ReadFrameHeader(Base.last_free_frame, lastFree) || !IsFrameOf(lastFree, SquishFreeFrame)))
        startFreeChain = true;  // a broken free chain is given up, not followed
    frame.frame_type = SquishFreeFrame;
    frame.next_frame = 0;
    frame.prev_frame = startFreeChain ? 0 : Base.last_free_frame;
    undo.Overwritten(Sqd, offset, &old, sizeof old);
    ok = ok && WriteFrameHeader(offset, frame);
    if (ok && !startFreeChain) {
        undo.Overwritten(Sqd, Base.last_free_frame, &lastFree, sizeof lastFree);
        lastFree.next_frame = offset;
        ok = WriteFrameHeader(Base.last_free_frame, lastFree);
    }
    if (startFreeChain)
        Base.free_frame = offset;
    Base.last_free_frame = offset;
    if (!ok || !WriteBaseHeader(undo)) {
        IndexInDoubt = true;
        undo.Restore();
        Base = before;
        return;
    }

    if (FreeCacheValid) {
        auto empty = std::find_if(FreeCache.begin(), FreeCache.end(), [](const FreeEntry& e) { return e.Offset == 0; });
        if (empty != FreeCache.end())
            *empty = {offset, frame.frame_length};
        else if (FreeCache.size() < FreeCacheSize)
            FreeCache.push_back({offset, frame.frame_length});
    }
}

// ---------------------------------------------------------------- rewriting

Status SquishMsgBase::RewriteHeader(const LetterHeader& header)
{
    StatusWord = 0;
    if (!HeaderLoaded)
        return Fail(SquishNoSuchLetter);
    ApplyHeader(header);
    bool tookLock = false;
    if (!BeginChange(tookLock))
        return Fail(StatusWord != 0 ? StatusWord : SquishNoLock);
    return EndChange(tookLock, RewriteMessageHeader());
}

// Under the lock the letter's message header is read again, and only the
// bits changed since it was loaded are changed in it: what
// another program changed meanwhile (a tosser setting Sent as it exports the
// letter) stays. The frame header is left as it is on disk. The letter must
// still be indexed where it was loaded from: once deleted, its frame may
// hold another letter.
Status SquishMsgBase::RewriteMessageHeader()
{
    const uint32_t position = PositionFrom(CurrentUid);
    if (position > Count() || Index[position - 1].umsgid != CurrentUid || Index[position - 1].ofs != FrameOffset)
        return SquishNoSuchLetter;
    SquishIndexRecord& record = Index[position - 1];
    const uint64_t headerAt = uint64_t(FrameOffset) + FrameHeaderLen;
    SquishFrameHeader frame{};
    SquishMessageHeader disk{};
    if (!ReadFrameHeader(FrameOffset, frame))
        return StatusWord;
    if (!IsFrameOf(frame, SquishLetterFrame))
        return SquishNoSuchLetter;
    if (!ReadAt(headerAt, &disk, sizeof disk))
        return StatusWord;

    SquishMessageHeader merged = disk;
    ApplyChangedBits(&merged, &LoadedMsg, &Msg, sizeof merged);
    if (std::memcmp(&merged, &disk, sizeof merged) != 0 && !WriteAt(headerAt, &merged, sizeof merged))
        return StatusWord;
    Msg = merged;
    LoadedMsg = merged;

    // The hash only speeds up the search by recipient, which checks every
    // letter it finds: one that cannot be written leaves the letter intact.
    const uint32_t hash = HasAttr(SquishAttrReceived) ? 0 : RecipientHash(Msg);
    if (record.hash != hash) {
        const uint32_t old = record.hash;
        record.hash = hash;
        if (!WriteIndexRecords(position - 1, 1)) {
            record.hash = old;
            IndexInDoubt = true;
        }
    }
    StatusWord = 0;
    return 0;
}

#include "msgbase/BlockReader.h"

#include <algorithm>

#include "msgbase/FileFaults.h"

using shared_blocks::NowMilliseconds;

BlockReader::BlockReader(uint32_t smallestBlock, uint32_t largestBlock)
    : Smallest(std::max<uint32_t>(smallestBlock, 1)), Largest(std::max(largestBlock, Smallest))
{
}

BlockReader::BlockReader(uint32_t smallestBlock, uint32_t largestBlock, uint32_t sharedBlock, Keeping keeping)
    : BlockReader(smallestBlock, largestBlock)
{
    SharedRecords = sharedBlock;
    Keep = keeping;
}

void BlockReader::Forget()
{
    Valid = false;
    Since = shared_blocks::NextSerial();
    Floor = 0;
}

bool BlockReader::Fresh(const FileRecord& file) const
{
    return Valid && Of == &file && ChangesAtFill == FileChangesMade() && NowMilliseconds() - FilledAt <= MaxBlockAge;
}

void BlockReader::ForgetIfOlderThan(const BlockReader& index)
{
    Floor = index.UsingShared ? index.Shared->Serial : index.Serial;
    if (Serial < Floor)
        Valid = false;
}

// Reads count records or more from first on. A walk that goes on where the
// last block ended (or, walking backwards, where it began) while that block
// still served takes a block twice as large; one that jumps, or comes back
// after the block was dropped (a letter looked at now and then, each look
// after a write), starts with the smallest again.
bool BlockReader::Fill(FileRecord& file, int64_t first, uint32_t count, bool walking)
{
    const int64_t end = Start + Length;
    const bool onwards = walking && first >= Start && first <= end + Length;
    const bool backwards = walking && first < Start && first + count + Length >= Start;
    Size = onwards || backwards ? std::min(Size * 2, Largest) : Smallest;
    const uint32_t size = std::max(Size, count);
    const int64_t from = backwards ? std::max<int64_t>(0, first + count - size) : first;

    Valid = false;
    Of = &file;
    Start = from;
    Length = 0;
    // The buffer only grows, and is never cleared: the read fills it.
    const std::size_t bytes = std::size_t(size) * file.RecordSize();
    if (Capacity < bytes) {
        Block = std::make_unique_for_overwrite<char[]>(bytes);
        Capacity = bytes;
    }
    // The clock and the change count are taken before the read: what
    // changes while it runs makes the block stale at once, never later.
    ChangesAtFill = FileChangesMade();
    FilledAt = NowMilliseconds();
    uint32_t got = 0;
    if (!SeekRecord(file, from) || !ReadRecords(file, Block.get(), size, got))
        return false;
    Length = got;
    Valid = true;
    Serial = shared_blocks::NextSerial();
    return true;
}

const char* BlockReader::Read(FileRecord& file, int64_t first, uint32_t count, uint32_t& got)
{
    got = 0;
    if (first < 0) {
        LastIoError = 131;  // negative seek
        return nullptr;
    }
    if (SharedRecords > 0) {
        LastIoError = 0;
        const char* records = ReadShared(file, first, count, got);
        UsingShared = records != nullptr;
        if (records || LastIoError != 0)
            return records;
    }
    return ReadPrivately(file, first, count, got);
}

const char* BlockReader::ReadPrivately(FileRecord& file, int64_t first, uint32_t count, uint32_t& got)
{
    const bool fresh = Fresh(file);
    const bool held = fresh && first >= Start && first + count <= Start + Length;
    if (!held && !Fill(file, first, count, fresh))
        return nullptr;
    const int64_t after = Start + Length - first;
    got = after <= 0 ? 0 : static_cast<uint32_t>(std::min<int64_t>(count, after));
    return Block.get() + std::size_t(first - Start) * file.RecordSize();
}

// Whether the shared block may serve this walk now: young and read since the
// walk began (or since what the index served was read), or read under the
// stamp that this reader's last look, recent and as late, still found.
bool BlockReader::Serves(const SharedBlock& block, int64_t now) const
{
    const uint64_t changes = FileChangesMade();
    const uint64_t since = std::max(Since, Floor);
    if (block.Changes != changes)
        return false;
    if (now - block.ReadAt <= MaxBlockAge && block.Serial >= since)
        return true;
    return block.Settled && block.Stamp == LastLook.Stamp && LastLook.Changes == changes &&
        now - LastLook.At <= MaxBlockAge && LastLook.Serial >= since;
}

// Leaving a block: one whose records this reader mostly took is of little
// use to the others (WhereSparse).
void BlockReader::MoveTo(FileRecord& file, std::shared_ptr<const SharedBlock> block)
{
    if (Shared && Shared != block && Keep == Keeping::WhereSparse && TakenHere * 2 > Shared->Length)
        shared_blocks::Drop(file, LastLook, *Shared);
    if (Shared != block)
        TakenHere = 0;
    Shared = std::move(block);
}

const char* BlockReader::ReadShared(FileRecord& file, int64_t first, uint32_t count, uint32_t& got)
{
    const int64_t start = first - first % SharedRecords;
    if (first + count > start + SharedRecords)
        return nullptr;  // across two shared blocks: read privately
    const int64_t now = NowMilliseconds();
    auto holds = [&](const SharedBlock& block) {
        return block.Start == start && first + count <= block.Start + block.Length;
    };
    if (!(Shared && SharedOf == &file && holds(*Shared) && Serves(*Shared, now))) {
        const uint64_t since = std::max(Since, Floor);
        const bool lookServes = SharedOf == &file && LastLook.Changes == FileChangesMade() &&
            now - LastLook.At <= MaxBlockAge && LastLook.Serial >= since;
        if (!lookServes) {
            SharedOf = nullptr;
            if (!shared_blocks::Look(file, LastLook))
                return nullptr;
            SharedOf = &file;
        }
        if (!LastLook.Settled)
            return nullptr;  // still being written: the reader's own blocks
        std::shared_ptr<const SharedBlock> block = Shared && Shared->Start == start && Shared->Stamp == LastLook.Stamp
            ? Shared
            : shared_blocks::Find(file, LastLook, start);
        // A block that ends short of the records asked for serves only while
        // the file has not grown since.
        if (!block || !Serves(*block, now) || (!holds(*block) && block->Stamp.Size != LastLook.Stamp.Size))
            block = shared_blocks::Fill(file, LastLook, start, SharedRecords);
        if (!block)
            return nullptr;
        MoveTo(file, std::move(block));
    }
    ++TakenHere;
    const int64_t after = Shared->Start + Shared->Length - first;
    got = after <= 0 ? 0 : static_cast<uint32_t>(std::min<int64_t>(count, after));
    return Shared->Bytes.get() + std::size_t(first - Shared->Start) * file.RecordSize();
}

const char* BlockReader::ReadOn(FileRecord& file, int64_t first, uint32_t& got)
{
    const char* records = Read(file, first, 1, got);
    if (records && got > 0)
        got = static_cast<uint32_t>(UsingShared ? Shared->Start + Shared->Length - first : Start + Length - first);
    return records;
}

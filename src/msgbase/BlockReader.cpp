#include "msgbase/BlockReader.h"

#include <algorithm>
#include <ctime>

#include "msgbase/FileFaults.h"

namespace {

// Blocks read so far by the whole process: orders blocks by their age.
uint64_t BlocksRead = 0;

// The coarse clock costs a few nanoseconds; its ticks (a few milliseconds)
// are fine enough for the age of a block.
int64_t NowMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace

BlockReader::BlockReader(uint32_t smallestBlock, uint32_t largestBlock)
    : Smallest(std::max<uint32_t>(smallestBlock, 1)), Largest(std::max(largestBlock, Smallest))
{
}

bool BlockReader::Fresh(const FileRecord& file) const
{
    return Valid && Of == &file && ChangesAtFill == FileChangesMade() && NowMilliseconds() - FilledAt <= MaxBlockAge;
}

void BlockReader::ForgetIfOlderThan(const BlockReader& index)
{
    if (Serial < index.Serial)
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
    Serial = ++BlocksRead;
    return true;
}

const char* BlockReader::Read(FileRecord& file, int64_t first, uint32_t count, uint32_t& got)
{
    got = 0;
    if (first < 0) {
        LastIoError = 131;  // negative seek
        return nullptr;
    }
    const bool fresh = Fresh(file);
    const bool held = fresh && first >= Start && first + count <= Start + Length;
    if (!held && !Fill(file, first, count, fresh))
        return nullptr;
    const int64_t after = Start + Length - first;
    got = after <= 0 ? 0 : static_cast<uint32_t>(std::min<int64_t>(count, after));
    return Block.get() + std::size_t(first - Start) * file.RecordSize();
}

const char* BlockReader::ReadOn(FileRecord& file, int64_t first, uint32_t& got)
{
    const char* records = Read(file, first, 1, got);
    if (records && got > 0)
        got = static_cast<uint32_t>(Start + Length - first);
    return records;
}

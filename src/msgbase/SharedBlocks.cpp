#include "msgbase/SharedBlocks.h"

#include <ctime>
#include <map>
#include <tuple>
#include <vector>

#include "msgbase/FileFaults.h"

namespace shared_blocks {

namespace {

struct Key {
    uint64_t Device, Inode;
    uint32_t RecordSize;
    auto operator<=>(const Key&) const = default;
};

struct KeptFile {
    FileChangeStamp Stamp;  // what every kept block was read under
    uint32_t BlockBytes = 0;
    std::map<int64_t, std::shared_ptr<SharedBlock>> Blocks;  // by first record
    std::size_t Bytes = 0;
    uint64_t LastUse = 0;
};

std::map<Key, KeptFile> Files;
std::size_t KeptBytes = 0;
uint64_t Serials = 0;
// Buffers of blocks that went, for the next blocks of the same size: fresh
// memory costs the kernel a cleared page for every 4 KiB.
struct Spare {
    std::size_t Bytes;
    std::unique_ptr<char[]> Buffer;
};
std::vector<Spare> Spares;
std::size_t SpareBytes = 0;

std::unique_ptr<char[]> Buffer(std::size_t bytes)
{
    for (auto it = Spares.begin(); it != Spares.end(); ++it)
        if (it->Bytes == bytes) {
            std::unique_ptr<char[]> buffer = std::move(it->Buffer);
            SpareBytes -= bytes;
            Spares.erase(it);
            return buffer;
        }
    return std::make_unique_for_overwrite<char[]>(bytes);
}

// Keeps the buffer of a block nobody else holds.
void Recycle(std::shared_ptr<SharedBlock>& block, std::size_t bytes)
{
    if (block.use_count() == 1 && KeptBytes + SpareBytes + bytes <= MaxBytes) {
        Spares.push_back({bytes, std::move(block->Bytes)});
        SpareBytes += bytes;
    }
    block.reset();
}

Key KeyOf(const FileRecord& file, const FileChangeStamp& stamp)
{
    return {stamp.Device, stamp.Inode, file.RecordSize()};
}

void Forget(KeptFile& kept)
{
    KeptBytes -= kept.Bytes;
    kept.Bytes = 0;
    for (auto& [start, block] : kept.Blocks)
        Recycle(block, kept.BlockBytes);
    kept.Blocks.clear();
}

// Files used longest ago go first, never the one being filled.
void MakeRoom(std::size_t bytes, const Key& filling)
{
    while (KeptBytes + bytes > MaxBytes) {
        auto oldest = Files.end();
        for (auto it = Files.begin(); it != Files.end(); ++it)
            if (!(it->first == filling) && it->second.Bytes > 0 &&
                (oldest == Files.end() || it->second.LastUse < oldest->second.LastUse))
                oldest = it;
        if (oldest == Files.end())
            return;
        Forget(oldest->second);
        Files.erase(oldest);
    }
}

}  // namespace

int64_t RealNowNs()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

bool Settled(const FileChangeStamp& stamp, int64_t before)
{
    return before - stamp.ModifiedNs > SettleNs && before - stamp.StatusChangedNs > SettleNs;
}

uint64_t NextSerial()
{
    return ++Serials;
}

uint64_t LastSerial()
{
    return Serials;
}

// The coarse clock costs a few nanoseconds; its ticks (a few milliseconds)
// are fine enough for the age of a block.
int64_t NowMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

bool Look(FileRecord& file, SharedFileLook& look)
{
    // What this process changes from here on makes the look stale; so does
    // the clock, taken before the file is looked at.
    look.Changes = FileChangesMade();
    look.At = NowMilliseconds();
    const int64_t realNow = RealNowNs();
    look.Stamp = ChangeStampOf(file);
    if (look.Stamp.Size < 0)
        return false;
    look.Settled = Settled(look.Stamp, realNow);
    look.Serial = NextSerial();
    auto kept = Files.find(KeyOf(file, look.Stamp));
    if (kept != Files.end() && !(kept->second.Stamp == look.Stamp)) {
        Forget(kept->second);
        Files.erase(kept);
    }
    return true;
}

std::shared_ptr<const SharedBlock> Find(const FileRecord& file, const SharedFileLook& look, int64_t start)
{
    auto kept = Files.find(KeyOf(file, look.Stamp));
    if (kept == Files.end() || !(kept->second.Stamp == look.Stamp))
        return nullptr;
    auto block = kept->second.Blocks.find(start);
    if (block == kept->second.Blocks.end())
        return nullptr;
    kept->second.LastUse = look.Serial;
    return block->second;
}

std::shared_ptr<const SharedBlock> Fill(FileRecord& file, const SharedFileLook& look, int64_t start, uint32_t records)
{
    auto block = std::make_shared<SharedBlock>();
    const std::size_t bytes = std::size_t(records) * file.RecordSize();
    block->Bytes = Buffer(bytes);
    block->Start = start;
    block->Stamp = look.Stamp;
    block->Settled = look.Settled;
    // The clock and the change count are taken before the read: what
    // changes while it runs makes the block stale at once, never later.
    block->Changes = FileChangesMade();
    block->ReadAt = NowMilliseconds();
    uint32_t got = 0;
    if (!SeekRecord(file, start) || !ReadRecords(file, block->Bytes.get(), records, got))
        return nullptr;
    block->Length = got;
    block->Serial = NextSerial();
    // Only blocks of a settled file are kept: a file still being written
    // would be read anew by every reader anyway.
    if (!look.Settled || block->Changes != look.Changes)
        return block;
    const Key key = KeyOf(file, look.Stamp);
    MakeRoom(bytes, key);
    KeptFile& kept = Files[key];
    if (kept.Blocks.empty()) {
        kept.Stamp = look.Stamp;
        kept.BlockBytes = static_cast<uint32_t>(bytes);
    }
    if (!(kept.Stamp == look.Stamp) || kept.BlockBytes != bytes || KeptBytes + bytes > MaxBytes)
        return block;
    auto& slot = kept.Blocks[start];
    if (slot) {
        kept.Bytes -= bytes;
        KeptBytes -= bytes;
        Recycle(slot, bytes);
    }
    slot = block;
    kept.Bytes += bytes;
    KeptBytes += bytes;
    kept.LastUse = look.Serial;
    return block;
}

void Drop(const FileRecord& file, const SharedFileLook& look, const SharedBlock& block)
{
    auto kept = Files.find(KeyOf(file, look.Stamp));
    if (kept == Files.end())
        return;
    auto found = kept->second.Blocks.find(block.Start);
    if (found == kept->second.Blocks.end() || found->second.get() != &block)
        return;
    kept->second.Bytes -= kept->second.BlockBytes;
    KeptBytes -= kept->second.BlockBytes;
    Recycle(found->second, kept->second.BlockBytes);
    kept->second.Blocks.erase(found);
}

}  // namespace shared_blocks

// Blocks of files that several base objects of this process read, kept for
// all of them: every board of a Hudson base walks the same index and header
// files, so a scan of 200 boards reads them once instead of 200 times.
//
// Blocks are kept per file as the file system knows it (device and inode: the
// objects that opened the same file share them) and per record size, in
// blocks of a fixed number of records. A block tells what it was read under:
// the file's stamp looked at just before the read, whether the file had
// settled by then, the order of the read among all reads and looks of the
// process, and the count of file changes this process had made. BlockReader
// decides what it may serve; this store only keeps, finds and drops blocks.
//
// A block is kept only while its file's stamp stays the one it was read
// under: a look that finds another stamp drops every block of the file. The
// store holds at most MaxBytes; past that, the files used longest ago go.
// One thread uses it, as every base object is used by one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "msgbase/FileLayer.h"

struct SharedBlock {
    std::unique_ptr<char[]> Bytes;
    int64_t Start = 0;      // first record
    uint32_t Length = 0;    // records held (fewer at the end of the file)
    FileChangeStamp Stamp;  // looked at before the read
    bool Settled = false;   // the file had not changed for SettleNs before the look
    uint64_t Serial = 0;    // when it was read, among all reads and looks
    uint64_t Changes = 0;   // FileChangesMade when it was read
    int64_t ReadAt = 0;     // milliseconds of the coarse monotonic clock
};

// The last look at one file: its stamp, when it was taken, and what this
// process had changed by then.
struct SharedFileLook {
    FileChangeStamp Stamp;
    bool Settled = false;
    uint64_t Serial = 0;
    uint64_t Changes = 0;
    int64_t At = 0;
};

namespace shared_blocks {

// The file's last write must lie this far behind a look for the stamp to
// tell every later write: a write within the file system's time granularity
// of the one before may leave the times as they were (two seconds on FAT).
constexpr int64_t SettleNs = 2500000000;
constexpr std::size_t MaxBytes = 32u << 20;

// The real-time clock, to be read before a stamp is taken for Settled.
int64_t RealNowNs();
// Whether a stamp taken after `before` tells every later write: the file's
// last change lies more than SettleNs behind.
bool Settled(const FileChangeStamp& stamp, int64_t before);

// A new serial: the order of reads and looks (BlockReader's private blocks
// count in the same order).
uint64_t NextSerial();
uint64_t LastSerial();
int64_t NowMilliseconds();

// Looks at the file (fstat); the blocks kept under another stamp go. False
// when the file cannot be looked at (LastIoError).
bool Look(FileRecord& file, SharedFileLook& look);
// The kept block of the file that starts at `start`, read under the last look.
std::shared_ptr<const SharedBlock> Find(const FileRecord& file, const SharedFileLook& look, int64_t start);
// Reads `records` records from `start` under the look just taken and keeps
// them; nullptr when the read failed (LastIoError).
std::shared_ptr<const SharedBlock> Fill(FileRecord& file, const SharedFileLook& look, int64_t start, uint32_t records);
// Forgets the block (a walk found it held mostly its own letters: other
// readers would find little in it).
void Drop(const FileRecord& file, const SharedFileLook& look, const SharedBlock& block);

}  // namespace shared_blocks

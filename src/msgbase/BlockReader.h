// A walk's reads of one shared file, served from blocks: a walk that reads
// one small record after another (letter headers, index records) makes one
// read call for many of them. A block grows while the reads run on in order,
// up to the largest size, and starts small again where they jump, so that
// looking at one letter reads little.
//
// A reader that takes no lock may serve bytes only while they are recent: a
// block is forgotten once this process has changed any file since it was
// read (a write through this base object or another one), once it is older
// than MaxBlockAge (another program may have rewritten it since), and when
// its owner says so (the base lock taken: a writer decides on the bytes as
// they are). What the file did not hold when the block was read (it grew
// since) is read afresh, never taken as missing.
//
// A reader made with a shared block size reads a settled file (see
// SharedBlocks) through blocks of that many records kept for every reader of
// the file in this process. Such a block serves as long as this process
// changed no file since it was read and either it is young (as above) and
// was read after the walk began, or a look at the file within MaxBlockAge,
// taken after the walk began, still finds the stamp it was read under. A
// file that changed lately is read through the reader's own blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "msgbase/FileLayer.h"
#include "msgbase/SharedBlocks.h"

class BlockReader {
public:
    // How old a block may be, in milliseconds, before it is read again.
    static constexpr int64_t MaxBlockAge = 20;

    // What a reader with shared blocks keeps for the others.
    enum class Keeping {
        Everything,
        // Blocks this reader took more than half the records of go when it
        // moves on (a board whose letters fill them: the others find little there).
        WhereSparse,
    };

    // Sizes count records of the file read.
    BlockReader(uint32_t smallestBlock, uint32_t largestBlock);
    BlockReader(uint32_t smallestBlock, uint32_t largestBlock, uint32_t sharedBlock, Keeping keeping);

    // The records [first, first + count) of the file, or as many of them as
    // it holds (got: fewer at its end); nullptr when the read failed
    // (LastIoError). count is at most the largest block. The bytes stay
    // valid until the next call.
    const char* Read(FileRecord& file, int64_t first, uint32_t count, uint32_t& got);
    // The record at first and every one after it that the block holds (got:
    // 0 when the file ends before first).
    const char* ReadOn(FileRecord& file, int64_t first, uint32_t& got);

    // The shared block the last read was served from; nullptr when it came
    // from the reader's own block.
    const SharedBlock* SharedServed() const { return UsingShared ? Shared.get() : nullptr; }

    // A new walk (or the base lock): nothing read before is served until it
    // is read or looked at again.
    void Forget();
    // Records found through an index may be taken only from bytes known to
    // be current after the index entries were read: a writer writes a record
    // before the entry that names it, so older bytes may lack it or hold it
    // half written.
    void ForgetIfOlderThan(const BlockReader& index);

private:
    bool Fresh(const FileRecord& file) const;
    bool Fill(FileRecord& file, int64_t first, uint32_t count, bool walking);
    const char* ReadPrivately(FileRecord& file, int64_t first, uint32_t count, uint32_t& got);
    // Shared blocks: nullptr with LastIoError 0 when the file is not settled.
    const char* ReadShared(FileRecord& file, int64_t first, uint32_t count, uint32_t& got);
    bool Serves(const SharedBlock& block, int64_t now) const;
    void MoveTo(FileRecord& file, std::shared_ptr<const SharedBlock> block);

    uint32_t Smallest, Largest;
    std::unique_ptr<char[]> Block;
    std::size_t Capacity = 0;        // bytes
    const FileRecord* Of = nullptr;  // the file the block was read from
    int64_t Start = 0;               // first record in the block
    uint32_t Length = 0;             // records in the block
    uint32_t Size = 0;               // records the last fill asked for
    bool Valid = false;
    uint64_t Serial = 0;         // when it was read, among all blocks of the process
    uint64_t ChangesAtFill = 0;  // FileChangesMade when it was read
    int64_t FilledAt = 0;        // milliseconds of the coarse monotonic clock

    // Shared blocks (SharedRecords 0: none).
    uint32_t SharedRecords = 0;
    Keeping Keep = Keeping::Everything;
    std::shared_ptr<const SharedBlock> Shared;  // the block last served
    const FileRecord* SharedOf = nullptr;
    SharedFileLook LastLook;   // of SharedOf
    uint32_t TakenHere = 0;    // reads served from Shared
    uint64_t Since = 0;        // the serial when the walk began
    uint64_t Floor = 0;        // what the index served was read at this serial
    bool UsingShared = false;  // the last read came from a shared block
};

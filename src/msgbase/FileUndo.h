// What a write across several places of shared files changed, so that a
// failure half-way can take it back: bytes appended to a file are cut off
// again, overwritten bytes get their old contents, newest first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "msgbase/FileLayer.h"

class FileUndo {
public:
    // The file grew from this record on (it is cut there again).
    void Appended(FileRecord& file, int64_t fromRecord);
    // Whole records from this one on held these bytes before.
    void Overwritten(FileRecord& file, int64_t record, const void* old, std::size_t size);
    // Takes every step back, newest first, and forgets them. LastIoError
    // keeps the code of the failure the caller reports, not of the repair.
    void Restore();
    // The write went through: nothing is to be taken back.
    void Forget() { Steps.clear(); }

private:
    struct Step {
        FileRecord* File;
        int64_t Record;
        std::string Old;
        bool Truncate;
    };
    std::vector<Step> Steps;
};

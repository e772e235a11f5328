#include "msgbase/FileUndo.h"

void FileUndo::Appended(FileRecord& file, int64_t fromRecord)
{
    Steps.push_back({&file, fromRecord, {}, true});
}

void FileUndo::Overwritten(FileRecord& file, int64_t record, const void* old, std::size_t size)
{
    Steps.push_back({&file, record, std::string(static_cast<const char*>(old), size), false});
}

void FileUndo::Restore()
{
    const uint16_t keep = LastIoError;
    for (auto step = Steps.rbegin(); step != Steps.rend(); ++step) {
        if (!SeekRecord(*step->File, step->Record))
            continue;
        if (step->Truncate)
            TruncateFile(*step->File);
        else if (!step->Old.empty())
            WriteRecords(*step->File, step->Old.data(), static_cast<uint32_t>(step->Old.size() / step->File->RecordSize()));
    }
    Steps.clear();
    LastIoError = keep;
}

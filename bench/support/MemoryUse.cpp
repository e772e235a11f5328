#include "support/MemoryUse.h"

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

long StatusKilobytes(const std::string& key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.compare(0, key.size(), key) == 0 && line.size() > key.size() && line[key.size()] == ':')
            return std::atol(line.c_str() + key.size() + 1);
    return -1;
}

}  // namespace

long ResidentBytes()
{
    return StatusKilobytes("VmRSS") * 1024;
}

long PeakResidentBytes()
{
    return StatusKilobytes("VmHWM") * 1024;
}

void ResetPeakResident()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

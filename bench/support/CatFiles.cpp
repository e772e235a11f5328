#include "support/CatFiles.h"

#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

std::vector<std::string> FilesUnder(const std::string& dir)
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
        if (entry.is_regular_file())
            files.push_back(entry.path().string());
    return files;
}

std::size_t CatFiles(const std::vector<std::string>& files)
{
    static char buffer[128 * 1024];
    std::size_t total = 0;
    for (const std::string& file : files) {
        const int fd = open(file.c_str(), O_RDONLY);
        if (fd < 0)
            throw std::runtime_error("cannot read " + file);
        ssize_t n;
        while ((n = read(fd, buffer, sizeof buffer)) > 0)
            total += static_cast<std::size_t>(n);
        close(fd);
    }
    return total;
}

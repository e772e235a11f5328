#include "support/BenchSupport.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

ScratchDir::ScratchDir()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/quorvel-bench-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data()))
        throw std::runtime_error("mkdtemp failed");
    Dir = buffer.data();
}

ScratchDir::~ScratchDir()
{
    std::error_code ec;
    fs::remove_all(Dir, ec);
}

double BestSeconds(int rounds, const std::function<void()>& fn)
{
    fn();
    double best = 1e30;
    for (int i = 0; i < rounds; ++i) {
        auto start = std::chrono::steady_clock::now();
        fn();
        double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        best = s < best ? s : best;
    }
    return best;
}

double CatSeconds(const std::vector<std::string>& files)
{
    static char buffer[1 << 16];
    return BestSeconds(3, [&] {
        for (const std::string& f : files) {
            int fd = open(f.c_str(), O_RDONLY);
            if (fd < 0)
                continue;
            while (read(fd, buffer, sizeof buffer) > 0) {
            }
            close(fd);
        }
    });
}

std::vector<std::string> FilesIn(const std::string& dir)
{
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.is_regular_file())
            files.push_back(entry.path().string());
    return files;
}

void Report(const std::string& name, long letters, double seconds, double catSeconds)
{
    std::printf("%s: %ld letters in %.3f s = %.0f letters/s", name.c_str(), letters, seconds,
                seconds > 0 ? letters / seconds : 0.0);
    if (catSeconds > 0)
        std::printf(" (%.1f times cat of the files, %.3f s)", seconds / catSeconds, catSeconds);
    std::printf("\n");
}

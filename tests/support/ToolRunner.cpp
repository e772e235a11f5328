#include "support/ToolRunner.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

std::vector<std::string> ToolResult::OutLines() const
{
    std::vector<std::string> lines;
    std::istringstream in(Out);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

ToolResult RunTool(const std::vector<std::string>& args, const std::string& input)
{
    // Standard input through a file, output through files: no pipe deadlocks.
    TempDir io;
    WriteFileBytes(io / "in", input);
    pid_t pid = fork();
    if (pid == 0) {
        int in = open((io / "in").c_str(), O_RDONLY);
        int out = open((io / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = open((io / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        std::vector<char*> argv;
        std::string tool = QUORVEL_TOOL_PATH;
        argv.push_back(tool.data());
        std::vector<std::string> copies(args);
        for (std::string& a : copies)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(tool.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ToolResult result;
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.Out = ReadFileBytes(io / "out");
    result.Err = ReadFileBytes(io / "err");
    return result;
}

const char* const PlainToolSettings =
    "[quorvel.INI]\n"
    "User\\Name=Point User\n"
    "User\\MainAddress=2:5020/1234.5\n"
    "NewLetterTemplate\\Line0=@@Position\n"
    "QuoteReplyTemplate\\Line0=@@Position\n"
    "QuoteReplyTemplate\\Line1=@@Quote\n";
const char* const PlainTearLine = "--- Quorvel 2.00.84";
const char* const PlainOriginLine = " * Origin: Брать пять долларов за спасение жизни - чудовищно!   (2:5020/1234.5)";

ToolSettings::ToolSettings(const std::string& iniText)
{
    if (const char* previous = std::getenv("XDG_CONFIG_HOME")) {
        Previous = previous;
        HadPrevious = true;
    }
    fs::create_directories(Dir / "Tressik");
    WriteFileBytes(Dir / "Tressik/Quorvel.ini", iniText);
    setenv("XDG_CONFIG_HOME", Dir.Path().c_str(), 1);
}

ToolSettings::~ToolSettings()
{
    if (HadPrevious)
        setenv("XDG_CONFIG_HOME", Previous.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}


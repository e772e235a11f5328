// Running quorvel-tool from a test: its arguments, input, output and settings.
#pragma once

#include <string>
#include <vector>

#include "support/TestSupport.h"

// Runs quorvel-tool with the arguments (UTF-8) and the given standard input.
struct ToolResult {
    int ExitCode = -1;
    std::string Out;
    std::string Err;
    std::vector<std::string> OutLines() const;
};
ToolResult RunTool(const std::vector<std::string>& args, const std::string& input = "");

// While it lives, quorvel-tool runs with XDG_CONFIG_HOME pointing at a fresh
// directory whose settings file (Tressik/Quorvel.ini) holds this INI text,
// UTF-8, in the form the program's settings store writes it; never with the
// user's own settings.
class ToolSettings {
public:
    explicit ToolSettings(const std::string& iniText);
    ~ToolSettings();
    ToolSettings(const ToolSettings&) = delete;
    ToolSettings& operator=(const ToolSettings&) = delete;
    const std::string& ConfigDir() const { return Dir.Path(); }

private:
    TempDir Dir;
    std::string Previous;
    bool HadPrevious = false;
};

// Settings whose templates put nothing around the typed text: a letter
// posted with them holds the typed text, the tear line and the origin line
// naming the main address 2:5020/1234.5.
extern const char* const PlainToolSettings;
// The tear line and the origin line of letters posted with PlainToolSettings (UTF-8).
extern const char* const PlainTearLine;
extern const char* const PlainOriginLine;

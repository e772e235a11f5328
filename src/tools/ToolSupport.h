// What every quorvel-tool command shares: UTF-8 in and out, errors to stderr,
// and opening one message base by its base string.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/Session.h"
#include "msgbase/MsgBase.h"

// Bad arguments: the usage is printed and the tool exits with 2.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

// Anything else that goes wrong: the message (UTF-8) is printed, exit code 1.
class ToolError : public std::runtime_error {
public:
    explicit ToolError(const std::string& message) : std::runtime_error(message) {}
};

// The command's arguments, as the host gave them.
using Args = std::vector<std::string>;

// Prints one line on stdout.
void PrintLine(const std::string& text);

// A field of a record printed one to a line: control characters and
// the backslash escaped as \t \r \n \\ and \xNN, so that a name holding a
// line break or a tab cannot break the record apart.
std::string EscapeField(const std::string& text);

// Reads all of stdin as UTF-8 lines (LF or CR LF ends a line; a malformed
// sequence becomes U+FFFD).
std::vector<std::string> ReadStdinLines();

// Takes the value of an option such as "--to NAME" out of args; "" when absent.
bool TakeOption(Args& args, const std::string& name, std::string& value);
bool TakeFlag(Args& args, const std::string& name);
// Takes the base string (SPEC) from the front of args.
std::string TakeSpec(Args& args);
// A usage error when arguments are left over.
void ExpectNoMore(const Args& args);

// Reads the user's settings (name, main address, templates) from the
// program's own settings file, as the program does when it starts.
void LoadUserSettings(UserSettings& settings);

// Takes "--flag FILE" and "--wait SECONDS" out of args: the session's writes
// then wait while the tosser's flag FILE exists, at most SECONDS (default
// DefaultTosserWaitSeconds), and fail with ETosserBusy after that.
void TakeTosserFlag(Session& session, Args& args);
inline constexpr int DefaultTosserWaitSeconds = 300;

// Parses a letter number argument: 1 to 4294967295.
Num ParseNumber(const std::string& text);

// An open message base that is closed when it goes.
class OpenedBase {
public:
    // Opens the base named by spec; with createMissing a missing base is
    // created first, otherwise a missing base is an error.
    OpenedBase(const std::string& spec, bool createMissing);
    ~OpenedBase();
    MsgBase& operator*() { return *Base; }
    MsgBase* operator->() { return Base.get(); }

    // Makes the letter with exactly this number current and loads its header;
    // a ToolError when there is none (never the next letter up) or its header
    // cannot be read.
    void GoToLetter(Num number);

private:
    std::string Spec;
    std::unique_ptr<MsgBase> Base;
};

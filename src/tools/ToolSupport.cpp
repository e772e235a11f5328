#include "tools/ToolSupport.h"

#include <charconv>
#include <algorithm>
#include <iostream>
#include <iterator>

#include "core/Startup.h"
#include "core/Utf8Text.h"
#include "core/StringHelpers.h"
#include "core/TosserFlag.h"
#include "core/UserSettings.h"
#include "msgbase/MsgBaseFactory.h"
#include "settings/IniSettingsStore.h"

void PrintLine(const std::string& text)
{
    std::cout << text << '\n';
}

std::vector<std::string> ReadStdinLines()
{
    std::string all((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t end = all.find('\n', start);
        if (end == std::string::npos)
            end = all.size();
        std::string line = all.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(ValidUtf8(line));
        start = end + 1;
    }
    return lines;
}

bool TakeOption(Args& args, const std::string& name, std::string& value)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != name)
            continue;
        if (i + 1 >= args.size())
            throw UsageError(name + " needs a value");
        value = args[i + 1];
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        return true;
    }
    return false;
}

std::string TakeSpec(Args& args)
{
    if (args.empty())
        throw UsageError("a message base (SPEC) is needed");
    std::string spec = args.front();
    args.erase(args.begin());
    return spec;
}

void ExpectNoMore(const Args& args)
{
    if (!args.empty())
        throw UsageError("unexpected argument: " + args.front());
}

void LoadUserSettings(UserSettings& settings)
{
    // The program's settings file, under the key the program file "quorvel"
    // names; only read here, never written.
    settings = UserSettings{};
    settings.SetProgramFileName("quorvel");
    SetUserRegistry(std::make_unique<IniSettingsStore>());
    settings.Load(UserRegistry());
}

bool TakeFlag(Args& args, const std::string& name)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == name) {
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
            return true;
        }
    }
    return false;
}

void TakeTosserFlag(Session& session, Args& args)
{
    std::string flag, waitText;
    TakeOption(args, "--flag", flag);
    int32_t seconds = DefaultTosserWaitSeconds;
    if (TakeOption(args, "--wait", waitText) && (!TryStrToInt(waitText, seconds) || seconds < 0))
        throw UsageError("--wait takes a number of seconds");
    StartParameters start = session.Start();
    start.TossingFlagFile = flag;
    session.SetStart(start);
    TosserFlag& tosser = session.Tosser;
    tosser.SetWaiter([&tosser, seconds](const std::string&) { return tosser.PollUntilGone(std::chrono::seconds(seconds)); });
}

Num ParseNumber(const std::string& text)
{
    Num value = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || value == 0)
        throw UsageError("not a letter number: " + text);
    return value;
}

std::string EscapeField(const std::string& text)
{
    // Nearly every name needs nothing escaped.
    if (std::none_of(text.begin(), text.end(), [](char ch) {
            const auto byte = static_cast<unsigned char>(ch);
            return byte < 0x20 || byte == 0x7F || ch == '\\';
        }))
        return text;
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        switch (ch) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        default:
            if (byte < 0x20 || byte == 0x7F)
                out += Format("\\x%02X", unsigned(byte));
            else
                out += ch;
        }
    }
    return out;
}

OpenedBase::OpenedBase(const std::string& spec, bool createMissing) : Spec(spec), Base(CreateBaseFor(spec))
{
    const std::string shown = spec;
    if (!Base)
        throw ToolError("unknown message base type in \"" + shown + "\" (use F, H, J or S)");
    if (!Base->BaseExists()) {
        if (!createMissing)
            throw ToolError("no message base at \"" + shown + "\"");
        if (Status status = Base->CreateBase(0, 0); status == 0xFFFF)
            throw ToolError("cannot create the message base \"" + shown + "\"");
    }
    if (Status status = Base->OpenBase(); status != 0) {
        Base.reset();
        throw ToolError("cannot open the message base \"" + shown + "\" (status " + std::to_string(status) + ")");
    }
}

OpenedBase::~OpenedBase()
{
    if (Base)
        Base->CloseBase();
}

void OpenedBase::GoToLetter(Num number)
{
    Base->SeekFirst(number);
    if (!Base->SeekFound() || Base->GetNumber() != number)
        throw ToolError("no letter number " + std::to_string(number) + " in \"" + Spec + "\"");
    Base->LoadHeader();
    if (Status status = Base->HeaderStatus(); status != 0)
        throw ToolError("cannot read the header of letter " + std::to_string(number) + " (status " +
                        std::to_string(status) + ")");
}

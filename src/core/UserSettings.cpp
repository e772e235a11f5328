#include "core/UserSettings.h"

#include <algorithm>

#include "core/CodePage.h"
#include "core/StringHelpers.h"

std::string UserName;
FidoAddress MainAddress;
std::vector<std::string> AKAs;
std::vector<std::string> NewLetterTemplate;
std::vector<std::string> QuoteReplyTemplate;
std::vector<std::string> NetmailAreas;

namespace {

std::string ProgramFile = "quorvel";

// A list value longer than this is cut when read.
constexpr std::size_t MaxLineLength = 255;

const std::string& SignatureLine()
{
    static const std::string line = Utf8ToAnsi("Иван Петров, Тверь.");
    return line;
}

const char* const UserSection = "User";
const char* const ListSections[] = {"AKAs", "NewLetterTemplate", "QuoteReplyTemplate", "NetmailAreas"};
constexpr int ListCount = 4;

std::vector<std::string>& ListOf(int index)
{
    switch (index) {
    case 0: return AKAs;
    case 1: return NewLetterTemplate;
    case 2: return QuoteReplyTemplate;
    default: return NetmailAreas;
    }
}

std::string SectionKey(const std::string& section)
{
    return UserSettingsKey() + "\\" + section;
}

}  // namespace

const std::string& DefaultUserName()
{
    static const std::string name = Utf8ToAnsi("Иван Петров");
    return name;
}

const std::string& DefaultMainAddressText()
{
    static const std::string address = "2:5020/9999.1";
    return address;
}

const std::vector<std::string>& DefaultNewLetterTemplate()
{
    static const std::vector<std::string> lines = {
        Utf8ToAnsi("Привет, @TFName!"), "", "@Position", "", SignatureLine(), "",
    };
    return lines;
}

const std::vector<std::string>& DefaultQuoteReplyTemplate()
{
    static const std::vector<std::string> lines = {
        "@ODate  @OName(@OAddr) > @DName:", "@Position", "@Quote", "", SignatureLine(), "",
    };
    return lines;
}

void InitSettings()
{
    UserName = DefaultUserName();
    // The address stays zero until LoadSettings: it is the default for the
    // parts a stored address leaves out.
    MainAddress = FidoAddress{};
    AKAs.clear();
    NetmailAreas.clear();
    NewLetterTemplate = DefaultNewLetterTemplate();
    QuoteReplyTemplate = DefaultQuoteReplyTemplate();
}

void SetProgramFileName(const std::string& path)
{
    std::size_t slash = path.find_last_of("/\\");
    ProgramFile = slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string UserSettingsKey()
{
    std::size_t dot = ProgramFile.rfind('.');
    std::string stem = dot == std::string::npos ? ProgramFile : ProgramFile.substr(0, dot);
    return stem + ".INI";
}

std::string ReduceAddressText(const std::string& text)
{
    std::string reduced = text;
    std::size_t open = reduced.rfind('(');
    if (open != std::string::npos) {
        reduced.erase(0, open + 1);
        std::size_t blank = reduced.find(' ');
        if (blank != std::string::npos)
            reduced.erase(0, blank + 1);
    }
    std::size_t close = reduced.find(')');
    if (close != std::string::npos)
        reduced.erase(close);
    return reduced;
}

void LoadSettings(Registry& registry)
{
    if (!registry.CreateKey(UserSettingsKey()))
        return;
    const std::string user = SectionKey(UserSection);
    std::string value;
    UserName = registry.ReadString(user, "Name", value) ? value : DefaultUserName();
    std::string addressText = registry.ReadString(user, "MainAddress", value) ? value : DefaultMainAddressText();
    FidoAddress previous = MainAddress;
    ParseAddress(ReduceAddressText(addressText), previous, MainAddress);

    for (int i = 0; i < ListCount; ++i) {
        const std::string section = SectionKey(ListSections[i]);
        std::string first;
        if (!registry.ReadString(section, "Line0", first) || first.empty())
            continue;
        std::vector<std::string>& list = ListOf(i);
        list.clear();
        for (const std::string& name : registry.ValueNames(section)) {
            std::string line;
            registry.ReadString(section, name, line);
            if (line.size() > MaxLineLength)
                line.resize(MaxLineLength);
            list.push_back(line == "-" ? std::string() : line);
        }
    }
}

void LoadSettings()
{
    LoadSettings(UserRegistry());
}

void SaveSettings(Registry& registry)
{
    if (!registry.CreateKey(UserSettingsKey()))
        return;
    const std::string user = SectionKey(UserSection);
    registry.WriteString(user, "Name", UserName);
    registry.WriteString(user, "MainAddress", AddressToText(MainAddress));
    for (int i = 0; i < ListCount; ++i) {
        const std::string section = SectionKey(ListSections[i]);
        registry.DeleteKey(section);
        const std::vector<std::string>& list = ListOf(i);
        for (std::size_t n = 0; n < list.size(); ++n)
            registry.WriteString(section, Format("Line%zu", n), list[n].empty() ? std::string("-") : list[n]);
    }
}

void SaveSettings()
{
    SaveSettings(UserRegistry());
}

bool IsNetmailArea(const std::string& tag)
{
    const std::string wanted = UpperAscii(StripBoth(tag, ' '));
    if (wanted == "NETMAIL")
        return true;
    return std::any_of(NetmailAreas.begin(), NetmailAreas.end(),
                       [&wanted](const std::string& line) { return UpperAscii(StripBoth(line, ' ')) == wanted; });
}

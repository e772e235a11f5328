#include "core/UserSettings.h"

#include <algorithm>

#include "core/Utf8Text.h"
#include "core/StringHelpers.h"

namespace {

// A list value longer than this is cut when read.
constexpr std::size_t MaxLineLength = 255;

const std::string& SignatureLine()
{
    static const std::string line = "Иван Петров, Тверь.";
    return line;
}

const char* const UserSection = "User";
const char* const ListSections[] = {"AKAs", "NewLetterTemplate", "QuoteReplyTemplate", "NetmailAreas"};
constexpr int ListCount = 4;

template <typename Settings>
auto& ListOf(Settings& settings, int index)
{
    switch (index) {
    case 0: return settings.AKAs;
    case 1: return settings.NewLetterTemplate;
    case 2: return settings.QuoteReplyTemplate;
    default: return settings.NetmailAreas;
    }
}

std::string SectionKey(const UserSettings& settings, const std::string& section)
{
    return settings.Key() + "\\" + section;
}

// A stored set name; what names no set this program knows gives the default.
Charset StoredCharset(Registry& registry, const std::string& key, const char* name)
{
    std::string value;
    if (!registry.ReadString(key, name, value))
        return Charset::Cp866;
    Charset set = CharsetByName(value);
    return set == Charset::None ? Charset::Cp866 : set;
}

}  // namespace

const std::string& DefaultUserName()
{
    static const std::string name = "Иван Петров";
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
        "Привет, @TFName!", "", "@Position", "", SignatureLine(), "",
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

UserSettings::UserSettings()
    : UserName(DefaultUserName()),
      NewLetterTemplate(DefaultNewLetterTemplate()),
      QuoteReplyTemplate(DefaultQuoteReplyTemplate())
{
}

ReadingRules UserSettings::Reading() const
{
    return ReadingRules{DefaultIncomingCharset, SoftBreak8D};
}

void UserSettings::SetProgramFileName(const std::string& path)
{
    std::size_t slash = path.find_last_of("/\\");
    ProgramFile = slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string UserSettings::Key() const
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

void UserSettings::Load(Registry& registry)
{
    if (!registry.CreateKey(Key()))
        return;
    const std::string user = SectionKey(*this, UserSection);
    std::string value;
    UserName = registry.ReadString(user, "Name", value) ? value : DefaultUserName();
    std::string addressText = registry.ReadString(user, "MainAddress", value) ? value : DefaultMainAddressText();
    FidoAddress previous = MainAddress;
    ParseAddress(ReduceAddressText(addressText), previous, MainAddress);
    DefaultIncomingCharset = StoredCharset(registry, user, "IncomingCharset");
    OutgoingCharset = StoredCharset(registry, user, "OutgoingCharset");
    SoftBreak8D = registry.ReadString(user, "SoftBreak8D", value) && value == "1";

    for (int i = 0; i < ListCount; ++i) {
        const std::string section = SectionKey(*this, ListSections[i]);
        std::string first;
        if (!registry.ReadString(section, "Line0", first) || first.empty())
            continue;
        std::vector<std::string>& list = ListOf(*this, i);
        list.clear();
        for (const std::string& name : registry.ValueNames(section)) {
            std::string line;
            registry.ReadString(section, name, line);
            line = std::string(Utf8Left(line, MaxLineLength));
            list.push_back(line == "-" ? std::string() : line);
        }
    }
}

void UserSettings::Save(Registry& registry) const
{
    if (!registry.CreateKey(Key()))
        return;
    const std::string user = SectionKey(*this, UserSection);
    registry.WriteString(user, "Name", UserName);
    registry.WriteString(user, "MainAddress", AddressToText(MainAddress));
    registry.WriteString(user, "IncomingCharset", std::string(CharsetName(DefaultIncomingCharset)));
    registry.WriteString(user, "OutgoingCharset", std::string(CharsetName(OutgoingCharset)));
    registry.WriteString(user, "SoftBreak8D", SoftBreak8D ? "1" : "0");
    for (int i = 0; i < ListCount; ++i) {
        const std::string section = SectionKey(*this, ListSections[i]);
        registry.DeleteKey(section);
        const std::vector<std::string>& list = ListOf(*this, i);
        for (std::size_t n = 0; n < list.size(); ++n)
            registry.WriteString(section, Format("Line%zu", n), list[n].empty() ? std::string("-") : list[n]);
    }
}

bool UserSettings::IsNetmailArea(const std::string& tag) const
{
    const std::string wanted = UpperAscii(StripBoth(tag, ' '));
    if (wanted == "NETMAIL")
        return true;
    return std::any_of(NetmailAreas.begin(), NetmailAreas.end(),
                       [&wanted](const std::string& line) { return UpperAscii(StripBoth(line, ' ')) == wanted; });
}

#include "core/Charset.h"

#include "core/StringHelpers.h"

namespace {

struct CharsetInfo {
    Charset Set;
    const char* Name;       // as written in a CHRS line
    int Level;
    const char* IconvName;  // glibc's name
};

// In the order of the enumeration. The seven-bit national variants glibc has
// no table for (Dutch, Swiss) are read as plain ASCII.
constexpr CharsetInfo Sets[CharsetCount] = {
    {Charset::None, "", 0, ""},
    {Charset::Utf8, "UTF-8", 4, "UTF-8"},
    {Charset::Ascii, "ASCII", 1, "ASCII"},
    {Charset::Canadian, "CANADIAN", 1, "CSA_Z243.4-1985-1"},
    {Charset::Dutch, "DUTCH", 1, "ASCII"},
    {Charset::Finnish, "FINNISH", 1, "SEN_850200_B"},
    {Charset::French, "FRENCH", 1, "NF_Z_62-010"},
    {Charset::German, "GERMAN", 1, "DIN_66003"},
    {Charset::Italian, "ITALIAN", 1, "IT"},
    {Charset::Norweig, "NORWEIG", 1, "NS_4551-1"},
    {Charset::Portu, "PORTU", 1, "PT"},
    {Charset::Spanish, "SPANISH", 1, "ES"},
    {Charset::Swedish, "SWEDISH", 1, "SEN_850200_B"},
    {Charset::Swiss, "SWISS", 1, "ASCII"},
    {Charset::Uk, "UK", 1, "BS_4730"},
    {Charset::Cp437, "CP437", 2, "CP437"},
    {Charset::Cp737, "CP737", 2, "CP737"},
    {Charset::Cp775, "CP775", 2, "CP775"},
    {Charset::Cp848, "CP848", 2, "IBM848"},
    {Charset::Cp850, "CP850", 2, "CP850"},
    {Charset::Cp852, "CP852", 2, "CP852"},
    {Charset::Cp855, "CP855", 2, "CP855"},
    {Charset::Cp857, "CP857", 2, "CP857"},
    {Charset::Cp858, "CP858", 2, "CP858"},
    {Charset::Cp860, "CP860", 2, "CP860"},
    {Charset::Cp861, "CP861", 2, "CP861"},
    {Charset::Cp862, "CP862", 2, "CP862"},
    {Charset::Cp863, "CP863", 2, "CP863"},
    {Charset::Cp864, "CP864", 2, "CP864"},
    {Charset::Cp865, "CP865", 2, "CP865"},
    {Charset::Cp866, "CP866", 2, "CP866"},
    {Charset::Cp869, "CP869", 2, "CP869"},
    {Charset::Cp1125, "CP1125", 2, "CP1125"},
    {Charset::Cp1250, "CP1250", 2, "CP1250"},
    {Charset::Cp1251, "CP1251", 2, "CP1251"},
    {Charset::Cp1252, "CP1252", 2, "CP1252"},
    {Charset::Cp1253, "CP1253", 2, "CP1253"},
    {Charset::Cp1254, "CP1254", 2, "CP1254"},
    {Charset::Cp1255, "CP1255", 2, "CP1255"},
    {Charset::Cp1256, "CP1256", 2, "CP1256"},
    {Charset::Cp1257, "CP1257", 2, "CP1257"},
    {Charset::Cp1258, "CP1258", 2, "CP1258"},
    {Charset::Cp10000, "CP10000", 2, "MACINTOSH"},
    {Charset::Latin1, "LATIN-1", 2, "ISO-8859-1"},
    {Charset::Latin2, "LATIN-2", 2, "ISO-8859-2"},
    {Charset::Latin5, "LATIN-5", 2, "ISO-8859-9"},
    {Charset::Latin9, "LATIN-9", 2, "ISO-8859-15"},
    {Charset::Iso8859_5, "ISO-8859-5", 2, "ISO-8859-5"},
    {Charset::Iso8859_7, "ISO-8859-7", 2, "ISO-8859-7"},
    {Charset::Koi8R, "KOI8-R", 2, "KOI8-R"},
    {Charset::Koi8U, "KOI8-U", 2, "KOI8-U"},
};

constexpr bool InEnumerationOrder()
{
    for (int i = 0; i < CharsetCount; ++i)
        if (static_cast<int>(Sets[i].Set) != i)
            return false;
    return true;
}
static_assert(InEnumerationOrder(), "Sets must follow the order of the Charset enumeration");

struct Alias {
    const char* Name;
    Charset Set;
};

// Other names letters carry. IBMPC ("the PC's own code page"), +7_FIDO and
// ALT were written by Russian DOS software for CP866 text.
constexpr Alias Aliases[] = {
    {"UTF8", Charset::Utf8},           {"US-ASCII", Charset::Ascii},      {"IBMPC", Charset::Cp866},
    {"+7_FIDO", Charset::Cp866},       {"+7", Charset::Cp866},            {"ALT", Charset::Cp866},
    {"IBM437", Charset::Cp437},        {"IBM850", Charset::Cp850},        {"IBM866", Charset::Cp866},
    {"MAC", Charset::Cp10000},         {"LATIN1", Charset::Latin1},       {"ISO-8859-1", Charset::Latin1},
    {"ISO8859-1", Charset::Latin1},    {"LATIN2", Charset::Latin2},       {"ISO-8859-2", Charset::Latin2},
    {"LATIN5", Charset::Latin5},       {"ISO-8859-9", Charset::Latin5},   {"LATIN9", Charset::Latin9},
    {"ISO-8859-15", Charset::Latin9},  {"KOI8", Charset::Koi8R},          {"KOI8R", Charset::Koi8R},
    {"KOI8U", Charset::Koi8U},         {"WINDOWS-1251", Charset::Cp1251}, {"WINDOWS-1252", Charset::Cp1252},
};

const CharsetInfo& Info(Charset set)
{
    return Sets[static_cast<int>(set)];
}

// The keyword of a charset control line and the value after its colon.
bool SplitCharsetKludge(std::string_view line, std::string_view& keyword, std::string_view& value)
{
    if (!line.empty() && line.front() == '\x01')
        line.remove_prefix(1);
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return false;
    keyword = line.substr(0, colon);
    value = line.substr(colon + 1);
    const std::string upper = UpperAscii(keyword);
    return upper == "CHRS" || upper == "CODEPAGE";
}

}  // namespace

Charset CharsetByName(std::string_view name)
{
    const std::string upper = UpperAscii(name);
    if (upper.empty())
        return Charset::None;
    for (const CharsetInfo& info : Sets)
        if (upper == info.Name)
            return info.Set;
    for (const Alias& alias : Aliases)
        if (upper == alias.Name)
            return alias.Set;
    return Charset::None;
}

std::string_view CharsetName(Charset set)
{
    return Info(set).Name;
}

int CharsetLevel(Charset set)
{
    return Info(set).Level;
}

const char* CharsetIconvName(Charset set)
{
    return Info(set).IconvName;
}

bool IsSingleByteCharset(Charset set)
{
    return set != Charset::None && set != Charset::Utf8;
}

bool IsCharsetKludge(std::string_view line)
{
    std::string_view keyword, value;
    return SplitCharsetKludge(line, keyword, value);
}

Charset CharsetOfKludge(std::string_view line)
{
    std::string_view keyword, value;
    if (!SplitCharsetKludge(line, keyword, value))
        return Charset::None;
    const std::string name = ExtractWord(value, 1);
    Charset set = CharsetByName(name);
    // CODEPAGE lines give the code page's number alone.
    if (set == Charset::None && !name.empty() && name.find_first_not_of("0123456789") == std::string::npos)
        set = CharsetByName("CP" + name);
    return set;
}

std::string CharsetKludge(Charset set)
{
    if (set == Charset::None)
        return {};
    return "CHRS: " + std::string(CharsetName(set)) + " " + std::to_string(CharsetLevel(set));
}

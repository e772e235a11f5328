#include "core/AreasFile.h"

#include "core/CharsetDecoder.h"
#include "core/OsFiles.h"
#include "core/StringHelpers.h"
#include "core/Utf8Text.h"

const std::string& AreaDescriptionText()
{
    static const std::string text = "Описание";
    return text;
}

ECantFindAreasBBS::ECantFindAreasBBS(const std::string& fileName, int code)
    : EQuorvel(Format("Где \"%s\"?  (Ошибка %d)", fileName.c_str(), code)), Code(code)
{
}

namespace {

// A path of the areas file as the host names it. Tossers write the bytes of
// their own system (UTF-8 on today's Linux) or, in files kept from DOS days,
// CP866: the bytes when they name something, else their CP866 reading when
// that does; a base still to be made takes UTF-8 bytes as they are and
// anything else by its CP866 reading.
std::string AreaPathFromFile(const std::string& bytes)
{
    if (IsAscii(bytes) || PathOrBaseExists(bytes))
        return bytes;
    std::string cp866 = DecodeAs(bytes, Charset::Cp866);
    if (PathOrBaseExists(cp866))
        return cp866;
    return IsValidUtf8(bytes) ? bytes : cp866;
}

std::string BaseSpecFor(const std::string& word, const std::string& hudsonPath)
{
    char marker = word.empty() ? '\0' : word[0];
    std::string spec;
    if (marker == '!' || marker == '$') {
        spec += marker == '!' ? 'J' : 'S';
        spec += AreaPathFromFile(word.substr(1));
    } else if (marker >= '0' && marker <= '9') {
        spec += 'H';
        spec += PadLeft(word, '0', 3);
        spec += hudsonPath;
    } else {
        spec += 'F';
        spec += AreaPathFromFile(word);
    }
    return spec;
}

}  // namespace

std::unique_ptr<TAreaBase> TAreasFromCFG::ParseLine(const std::string& line, const std::string& hudsonPath)
{
    if (line.size() < 2 || line[0] == ';' || (line[0] == 'P' && line[1] == ' '))
        return nullptr;
    std::string base = ExtractWord(line, 1);
    std::string tag = UpperAscii(ExtractWord(line, 2));
    return std::make_unique<TAreaBase>(tag, AreaDescriptionText(), BaseSpecFor(base, hudsonPath));
}

TAreasFromCFG::TAreasFromCFG(const std::string& areasFileName, const std::string& hudsonPath)
{
    std::string contents;
    if (uint16_t code = ReadWholeFile(areasFileName, contents); code != 0)
        throw ECantFindAreasBBS(areasFileName, code);

    // A line ends at CR, LF or CR LF.
    std::size_t start = 0;
    while (start < contents.size()) {
        std::size_t end = contents.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = contents.size();
        if (std::unique_ptr<TAreaBase> area = ParseLine(contents.substr(start, end - start), hudsonPath))
            Add(std::move(area));
        start = end;
        if (start < contents.size() && contents[start] == '\r')
            ++start;
        if (start < contents.size() && contents[start] == '\n')
            ++start;
    }
    StableSort([](const TAreaBase& a, const TAreaBase& b) { return Compare(&a, &b) < 0; });
}

int TAreasFromCFG::Compare(const TAreaBase* a, const TAreaBase* b)
{
    if (!a)
        return 1;
    if (!b)
        return -1;
    return Utf8CompareStr(a->Tag, b->Tag);
}

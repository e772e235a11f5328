#include "core/AreasFile.h"

#include "core/CodePage.h"
#include "core/OsFiles.h"
#include "core/StringHelpers.h"

const std::string& AreaDescriptionText()
{
    static const std::string text = Utf8ToAnsi("Описание");
    return text;
}

ECantFindAreasBBS::ECantFindAreasBBS(const std::string& fileName, int code)
    : EQuorvel(Format(Utf8ToAnsi("Где \"%s\"?  (Ошибка %d)").c_str(), fileName.c_str(), code)), Code(code)
{
}

namespace {

std::string BaseSpecFor(const std::string& word, const std::string& hudsonPath)
{
    char marker = word.empty() ? '\0' : word[0];
    std::string spec;
    if (marker == '!' || marker == '$') {
        spec += marker == '!' ? 'J' : 'S';
        spec += word.substr(1);
    } else if (marker >= '0' && marker <= '9') {
        spec += 'H';
        spec += PadLeft(word, '0', 3);
        spec += hudsonPath;
    } else {
        spec += 'F';
        spec += word;
    }
    return spec;
}

}  // namespace

TAreaBase* TAreasFromCFG::ParseLine(const std::string& line, const std::string& hudsonPath)
{
    if (line.size() < 2 || line[0] == ';' || (line[0] == 'P' && line[1] == ' '))
        return nullptr;
    std::string base = OemToAnsiText(ExtractWord(line, 1));
    std::string tag = UpperAscii(ExtractWord(line, 2));
    return new TAreaBase(tag, AreaDescriptionText(), BaseSpecFor(base, hudsonPath));
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
        if (TAreaBase* area = ParseLine(contents.substr(start, end - start), hudsonPath))
            Add(area);
        start = end;
        if (start < contents.size() && contents[start] == '\r')
            ++start;
        if (start < contents.size() && contents[start] == '\n')
            ++start;
    }
    Sort();
}

int TAreasFromCFG::Compare(const TAreaBase* a, const TAreaBase* b) const
{
    if (!a)
        return 1;
    if (!b)
        return -1;
    return AnsiCompareStr(a->Tag, b->Tag);
}

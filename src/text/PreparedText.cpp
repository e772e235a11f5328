#include "text/PreparedText.h"

#include "core/CodePage.h"
#include "core/Startup.h"
#include "core/StringHelpers.h"
#include "core/UserSettings.h"
#include "model/TArea.h"
#include "text/LetterDates.h"

namespace {

// The origin text is the program's own; there is no setting for it. It ends
// in two blanks, so three stand before the address.
const std::string& OriginText()
{
    static const std::string text = Utf8ToAnsi("Брать пять долларов за спасение жизни - чудовищно!  ");
    return text;
}

}  // namespace

TokenValueList TokenValues(const EditorState& editor, const TLetter* answered, DateTime now)
{
    TokenValueList v;
    v[TokenCAddr] = AddressToText(MainAddress);
    v[TokenCFName] = ExtractWord(UserName, 1);
    v[TokenCLName] = ExtractWord(UserName, 2);
    v[TokenCName] = UserName;
    v[TokenCDate] = LetterDate(now);
    v[TokenCTime] = LetterTime(now);
    if (editor.Area) {
        v[TokenCDesc] = editor.Area->Description;
        v[TokenCEcho] = editor.Area->Tag;
    }
    if (answered) {
        v[TokenOAddr] = AddressToText(editor.AnsweredText.FromAddr);
        v[TokenOFName] = ExtractWord(answered->From, 1);
        v[TokenOLName] = ExtractWord(answered->From, 2);
        v[TokenOName] = answered->From;
        v[TokenODate] = LetterDate(answered->Date);
        v[TokenOTime] = LetterTime(answered->Date);
        if (editor.Area) {
            v[TokenODesc] = editor.Area->Description;
            v[TokenOEcho] = editor.Area->Tag;
        }
        v[TokenDAddr] = AddressToText(editor.AnsweredText.ToAddr);
        v[TokenDFName] = ExtractWord(answered->To, 1);
        v[TokenDLName] = ExtractWord(answered->To, 2);
        v[TokenDName] = answered->To;
    }
    v[TokenTAddr] = editor.ToAddress;
    v[TokenTFName] = ExtractWord(editor.To, 1);
    v[TokenTLName] = ExtractWord(editor.To, 2);
    v[TokenTName] = editor.To;
    return v;
}

const std::vector<std::string>& TemplateFor(int mode)
{
    return mode == NewLetterMode ? NewLetterTemplate : QuoteReplyTemplate;
}

std::string TearLine()
{
    return std::string("--- ") + ProgramTitle + " " + ProgramVersion;
}

std::string OriginLine()
{
    return Format(" * Origin: %s (%s)", OriginText().c_str(), AddressToText(MainAddress).c_str());
}

std::vector<std::string> ClosingLines(const EditorState& editor)
{
    if (editor.Netmail)
        return {TearLine()};
    return {TearLine(), OriginLine()};
}

std::vector<std::string> ExpandEditorTemplate(const EditorState& editor, const std::vector<std::string>& templateLines,
                                              DateTime now)
{
    const TLetter* answered = FindAnsweredLetter(editor);
    // A new letter quotes nothing, whatever the structure holds.
    static const TFormattedStrings nothing;
    const TFormattedStrings& quoted = editor.Mode == NewLetterMode ? nothing : editor.AnsweredText;
    return ExpandTemplate(templateLines, TokenValues(editor, answered, now), quoted).Lines;
}

std::vector<std::string> PrepareText(const EditorState& editor, DateTime now)
{
    if (editor.Mode == ChangeMode)
        return editor.AnsweredText.Lines;
    std::vector<std::string> lines = ExpandEditorTemplate(editor, TemplateFor(editor.Mode), now);
    for (std::string& line : ClosingLines(editor))
        lines.push_back(std::move(line));
    return lines;
}

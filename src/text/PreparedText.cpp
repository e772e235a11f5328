#include "text/PreparedText.h"

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
    static const std::string text = "Брать пять долларов за спасение жизни - чудовищно!  ";
    return text;
}

}  // namespace

TokenValueList TokenValues(const UserSettings& settings, const EditorState& editor, const TLetter* answered,
                           DateTime now)
{
    TokenValueList v;
    v[TokenCAddr] = AddressToText(settings.MainAddress);
    v[TokenCFName] = ExtractWord(settings.UserName, 1);
    v[TokenCLName] = ExtractWord(settings.UserName, 2);
    v[TokenCName] = settings.UserName;
    v[TokenCDate] = LetterDate(now);
    v[TokenCTime] = LetterTime(now);
    if (editor.Area) {
        v[TokenCDesc] = editor.Area->Description;
        v[TokenCEcho] = editor.Area->Tag;
    }
    if (answered) {
        // Names as the answered letter's text reads them (the scan may have
        // read them by another set).
        const std::string& from = editor.AnsweredFrom.empty() ? answered->From : editor.AnsweredFrom;
        const std::string& to = editor.AnsweredTo.empty() ? answered->To : editor.AnsweredTo;
        v[TokenOAddr] = AddressToText(editor.AnsweredText.FromAddr);
        v[TokenOFName] = ExtractWord(from, 1);
        v[TokenOLName] = ExtractWord(from, 2);
        v[TokenOName] = from;
        v[TokenODate] = LetterDate(answered->Date);
        v[TokenOTime] = LetterTime(answered->Date);
        if (editor.Area) {
            v[TokenODesc] = editor.Area->Description;
            v[TokenOEcho] = editor.Area->Tag;
        }
        v[TokenDAddr] = AddressToText(editor.AnsweredText.ToAddr);
        v[TokenDFName] = ExtractWord(to, 1);
        v[TokenDLName] = ExtractWord(to, 2);
        v[TokenDName] = to;
    }
    v[TokenTAddr] = editor.ToAddress;
    v[TokenTFName] = ExtractWord(editor.To, 1);
    v[TokenTLName] = ExtractWord(editor.To, 2);
    v[TokenTName] = editor.To;
    return v;
}

const std::vector<std::string>& TemplateFor(const UserSettings& settings, int mode)
{
    return mode == NewLetterMode ? settings.NewLetterTemplate : settings.QuoteReplyTemplate;
}

std::string TearLine()
{
    return std::string("--- ") + ProgramTitle + " " + ProgramVersion;
}

std::string OriginLine(const UserSettings& settings)
{
    return Format(" * Origin: %s (%s)", OriginText().c_str(), AddressToText(settings.MainAddress).c_str());
}

std::vector<std::string> ClosingLines(const UserSettings& settings, const EditorState& editor)
{
    if (editor.Netmail)
        return {TearLine()};
    return {TearLine(), OriginLine(settings)};
}

std::vector<std::string> ExpandEditorTemplate(const UserSettings& settings, const EditorState& editor,
                                              const std::vector<std::string>& templateLines, DateTime now)
{
    const TLetter* answered = FindAnsweredLetter(editor);
    // A new letter quotes nothing, whatever the structure holds.
    static const TFormattedStrings nothing;
    const TFormattedStrings& quoted = editor.Mode == NewLetterMode ? nothing : editor.AnsweredText;
    return ExpandTemplate(templateLines, TokenValues(settings, editor, answered, now), quoted).Lines;
}

std::vector<std::string> PrepareText(const UserSettings& settings, const EditorState& editor, DateTime now)
{
    if (editor.Mode == ChangeMode)
        return editor.AnsweredText.Lines;
    std::vector<std::string> lines = ExpandEditorTemplate(settings, editor, TemplateFor(settings, editor.Mode), now);
    for (std::string& line : ClosingLines(settings, editor))
        lines.push_back(std::move(line));
    return lines;
}

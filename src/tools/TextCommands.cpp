// quorvel-tool post / reflow: the letter text as the editor makes it. post
// writes a letter as the editor saves one, with the text the editor prepares
// from the user's templates and the typed body where the user types it;
// reflow shows what the reflowing of a letter's text does to it.
#include <algorithm>

#include "core/AreasFile.h"
#include "core/CodePage.h"
#include "core/StringHelpers.h"
#include "core/TosserWait.h"
#include "core/UserSettings.h"
#include "model/TArea.h"
#include "text/PreparedText.h"
#include "text/SaveLetter.h"
#include "tools/ToolCommands.h"

namespace {

// The text field after the user typed body into the prepared text: a new
// letter's body stands where "@Position" was (a new letter quotes nothing),
// a reply's where "@Quote" was, after the quoted text. A template without
// that line gets the body after all its lines, before the tear line.
std::vector<std::string> TypedText(const EditorState& editor, const std::vector<std::string>& body)
{
    const std::string marker = editor.Mode == NewLetterMode ? "@Position" : "@Quote";
    const std::vector<std::string>& lines = TemplateFor(editor.Mode);
    auto at = std::find(lines.begin(), lines.end(), marker);
    const std::vector<std::string> before(lines.begin(), at);
    const std::vector<std::string> after(at == lines.end() ? at : at + 1, lines.end());
    const DateTime now = NowDateTime();

    std::vector<std::string> text = ExpandEditorTemplate(editor, before, now);
    text.insert(text.end(), body.begin(), body.end());
    if (!after.empty()) {
        std::vector<std::string> rest = ExpandEditorTemplate(editor, after, now);
        text.insert(text.end(), rest.begin(), rest.end());
    }
    text.push_back(TearLine());
    text.push_back(OriginLine());
    return text;
}

}  // namespace

int CommandPost(Args args)
{
    std::string from, to, subject, addressText, replyText;
    if (!TakeOption(args, "--from", from) || !TakeOption(args, "--to", to) ||
        !TakeOption(args, "--subject", subject) || !TakeOption(args, "--addr", addressText))
        throw UsageError("post needs --from, --to, --subject and --addr");
    bool replying = TakeOption(args, "--reply", replyText);
    TakeTosserFlag(args);
    std::string spec = TakeSpec(args);
    ExpectNoMore(args);
    Num replyTo = replying ? ParseNumber(replyText) : 0;

    LoadUserSettings();
    // The editor takes the field as typed; a script's typing error is better
    // refused than written under a wrong address.
    FidoAddress address;
    if (!ParseAddress(addressText, MainAddress, address) || address.Net == 0)
        throw ToolError("not a FidoNet address: " + AnsiToUtf8(addressText));
    std::vector<std::string> body = ReadStdinLines();

    // Not even a missing base is created while the tosser works.
    WaitForTosser(Utf8ToAnsi("записать письмо"));
    TArea area(spec, AreaDescriptionText(), spec);
    area.Open();  // a missing base is created; one that cannot be opened is an error
    area.Load();

    EditorState editor;
    editor.Area = &area;
    editor.Mode = replying ? ReplyMode : NewLetterMode;
    if (replying) {
        TLetter* answered = area.FindByNumber(replyTo);
        if (!answered)
            throw ToolError("no letter number " + std::to_string(replyTo) + " in \"" + AnsiToUtf8(spec) + "\"");
        editor.AnsweredKey = answered->Key;
        editor.AnsweredText = ReadAnsweredText(*answered);
    }
    editor.From = from;
    editor.FromAddress = addressText;
    editor.To = to;
    editor.Subject = subject;
    editor.Lines = TypedText(editor, body);
    editor.TextPrepared = true;
    editor.Modified = true;

    SaveLetter(editor);
    PrintLine(std::to_string(area.Current->Number));
    area.Close();
    return 0;
}

int CommandReflow(Args args)
{
    bool kludges = TakeFlag(args, "--kludges");
    std::string widthText;
    int32_t width = 79;
    if (TakeOption(args, "--width", widthText) && (!TryStrToInt(widthText, width) || width < 1))
        throw UsageError("--width takes a number of characters");
    ExpectNoMore(args);

    TFormattedStrings text;
    text.Lines = ReadStdinLines();
    // Control lines come as read --kludges shows them ("^A" first) or raw.
    for (std::string& line : text.Lines)
        if (line.rfind("^A", 0) == 0)
            line.replace(0, 2, 1, KludgeMark);
    text.ReFormat(kludges, width, 0, nullptr, nullptr, FidoAddress{});
    for (const std::string& line : text.Lines)
        PrintLine(!line.empty() && line[0] == KludgeMark ? "^A" + line.substr(1) : line);
    return 0;
}

// quorvel-tool post / reflow: the letter text as the editor makes it. post
// writes a letter as the editor saves one (echomail, or with --dest or
// --netmail netmail to one station), with the text the editor prepares from
// the user's templates and the typed body where the user types it;
// reflow shows what the reflowing of a letter's text does to it.
#include <algorithm>

#include "core/AreasFile.h"
#include "core/StringHelpers.h"
#include "core/TosserFlag.h"
#include "core/UserSettings.h"
#include "model/TArea.h"
#include "text/Netmail.h"
#include "text/PreparedText.h"
#include "text/SaveLetter.h"
#include "tools/ToolCommands.h"

namespace {

// The text field after the user typed body into the prepared text: a new
// letter's body stands where "@Position" was (a new letter quotes nothing),
// a reply's where "@Quote" was, after the quoted text. A template without
// that line gets the body after all its lines, before the tear line.
std::vector<std::string> TypedText(const UserSettings& settings, const EditorState& editor,
                                   const std::vector<std::string>& body)
{
    const std::string marker = editor.Mode == NewLetterMode ? "@Position" : "@Quote";
    const std::vector<std::string>& lines = TemplateFor(settings, editor.Mode);
    auto at = std::find(lines.begin(), lines.end(), marker);
    const std::vector<std::string> before(lines.begin(), at);
    const std::vector<std::string> after(at == lines.end() ? at : at + 1, lines.end());
    const DateTime now = NowDateTime();

    std::vector<std::string> text = ExpandEditorTemplate(settings, editor, before, now);
    text.insert(text.end(), body.begin(), body.end());
    if (!after.empty()) {
        std::vector<std::string> rest = ExpandEditorTemplate(settings, editor, after, now);
        text.insert(text.end(), rest.begin(), rest.end());
    }
    for (std::string& line : ClosingLines(settings, editor))
        text.push_back(std::move(line));
    return text;
}

// A netmail address given on the command line, checked before anything is
// written: one that names no station is a bad argument.
FidoAddress NetmailArgument(const std::string& text, uint16_t defaultZone, EBadAddress::Role role)
{
    try {
        return NetmailAddress(text, defaultZone, role);
    } catch (const EBadAddress& e) {
        throw UsageError(e.what());
    }
}

}  // namespace

int CommandPost(Session& session, Args args)
{
    std::string from, to, subject, addressText, replyText;
    if (!TakeOption(args, "--from", from) || !TakeOption(args, "--to", to) ||
        !TakeOption(args, "--subject", subject) || !TakeOption(args, "--addr", addressText))
        throw UsageError("post needs --from, --to, --subject and --addr");
    bool replying = TakeOption(args, "--reply", replyText);
    TakeTosserFlag(session, args);
    std::string charsetText;
    Charset forcedCharset = Charset::None;
    if (TakeOption(args, "--charset", charsetText)) {
        forcedCharset = CharsetByName(charsetText);
        if (forcedCharset != Charset::Cp866 && forcedCharset != Charset::Utf8)
            throw UsageError("--charset takes CP866 or UTF-8");
    }
    std::string destText;
    const bool hasDest = TakeOption(args, "--dest", destText);
    const bool netmail = TakeFlag(args, "--netmail") || hasDest;
    std::string spec = TakeSpec(args);
    ExpectNoMore(args);
    Num replyTo = replying ? ParseNumber(replyText) : 0;
    if (netmail && !hasDest && !replying)
        throw UsageError("--netmail goes to the answered letter's sender: give --reply NUMBER, or --dest ADDRESS");

    LoadUserSettings(session.Settings);
    const UserSettings& settings = session.Settings;
    // The editor takes the field as typed; a script's typing error is better
    // refused than written under a wrong address.
    if (netmail) {
        const FidoAddress sender = NetmailArgument(addressText, settings.MainAddress.Zone, EBadAddress::Sender);
        if (hasDest)
            NetmailArgument(destText, sender.Zone, EBadAddress::Recipient);
    } else {
        FidoAddress address;
        if (!ParseAddress(addressText, settings.MainAddress, address) || address.Net == 0)
            throw ToolError("not a FidoNet address: " + addressText);
    }
    std::vector<std::string> body = ReadStdinLines();

    // Not even a missing base is created while the tosser works.
    session.Tosser.WaitFor("записать письмо");
    TArea area(session, spec, AreaDescriptionText(), spec);
    area.Open();  // a missing base is created; one that cannot be opened is an error
    area.Load();

    EditorState editor;
    editor.Area = &area;
    editor.Mode = replying ? ReplyMode : NewLetterMode;
    editor.Netmail = netmail;
    editor.ForcedCharset = forcedCharset;
    if (replying) {
        TLetter* answered = area.Letters.FindByNumber(replyTo);
        if (!answered)
            throw ToolError("no letter number " + std::to_string(replyTo) + " in \"" + spec + "\"");
        editor.AnsweredKey = answered->Key;
        ReadAnsweredText(editor, *answered);
    }
    editor.From = from;
    editor.FromAddress = addressText;
    editor.ToAddress = hasDest ? destText : StartingDestination(editor);
    if (netmail && editor.ToAddress.empty())
        throw ToolError("letter " + std::to_string(replyTo) + " carries no sender address to answer: give --dest");
    editor.To = to;
    editor.Subject = subject;
    editor.Lines = TypedText(settings, editor, body);
    editor.TextPrepared = true;
    editor.Modified = true;

    SaveLetter(editor);
    PrintLine(std::to_string(area.Current->Number));
    area.Close();
    return 0;
}

int CommandReflow(Session&, Args args)
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

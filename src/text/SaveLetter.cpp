#include "text/SaveLetter.h"

#include <algorithm>
#include <memory>

#include "core/CharsetEncoder.h"
#include "core/MsgIdSerial.h"
#include "core/StringHelpers.h"
#include "core/UserSettings.h"
#include "model/Session.h"
#include "model/TArea.h"
#include "text/Netmail.h"

ECantWriteLetter::ECantWriteLetter(Status status)
    : EQuorvel(Format("Не могу записать письмо. Ошибка #%d", int(status))), Code(status)
{
}

const std::string& ChangedLetterGoneMessage()
{
    static const std::string text =
        "Пока Вы тормозили, исходное письмо изчезло из базы.\rТак что извинете.";
    return text;
}

namespace {

// Keeps the area open for the length of a save when no window holds it open.
class OpenForSave {
public:
    explicit OpenForSave(TArea& area) : Area(area)
    {
        if (!Area.Base) {
            Area.Open();
            Opened = true;
        }
    }
    ~OpenForSave()
    {
        if (Opened) {
            try {
                Area.Close();
            } catch (const ECantCloseArea&) {
                // The letter is stored; a failed close loses nothing of it.
            }
        }
    }
    OpenForSave(const OpenForSave&) = delete;
    OpenForSave& operator=(const OpenForSave&) = delete;

private:
    TArea& Area;
    bool Opened = false;
};

std::string Kludge(const std::string& keyword, const std::string& value)
{
    return std::string(1, KludgeMark) + keyword + ": " + value;
}

}  // namespace

std::vector<std::string> TextToStore(const UserSettings& settings, const std::vector<std::string>& lines)
{
    TFormattedStrings text;
    text.Lines = lines;
    text.ReFormat(false, 79, 0, nullptr, nullptr, settings.MainAddress);
    return std::move(text.Lines);
}

Charset LetterCharset(const UserSettings& settings, const EditorState& editor, const std::vector<std::string>& text)
{
    if (editor.ForcedCharset != Charset::None)
        return editor.ForcedCharset;
    const Charset preferred = editor.AnsweredCharset == Charset::Utf8 ? Charset::Utf8 : settings.OutgoingCharset;
    auto fits = [preferred](const std::string& s) { return FitsCharset(s, preferred); };
    if (fits(editor.From) && fits(editor.To) && fits(editor.Subject) && std::all_of(text.begin(), text.end(), fits))
        return preferred;
    return Charset::Utf8;
}

SaveOutcome SaveLetter(EditorState& editor, DateTime now)
{
    // Before anything is looked up: the tosser may change the area meanwhile.
    TArea& area = *editor.Area;
    Session& session = area.Owner;
    const UserSettings& settings = session.Settings;
    session.Tosser.WaitFor("записать письмо");
    const int mode = editor.Mode;
    TLetter* answered = FindAnsweredLetter(editor);
    if (mode == ChangeMode && !answered) {
        editor.Modified = false;
        return SaveOutcome::ChangedLetterGone;
    }

    // Netmail goes only where its addresses say: one that names no station is
    // refused before anything is written.
    FidoAddress sender, dest;
    if (editor.Netmail) {
        sender = NetmailAddress(editor.FromAddress, settings.MainAddress.Zone, EBadAddress::Sender);
        dest = NetmailAddress(editor.ToAddress, sender.Zone, EBadAddress::Recipient);
    } else {
        // The field's text is used whether or not it parsed completely; what
        // it leaves out comes from the main address.
        ParseAddress(editor.FromAddress, settings.MainAddress, sender);
    }

    Num replyTo = 0;
    if (mode == ChangeMode)
        replyTo = answered->ReplyTo;
    else if (answered)
        replyTo = answered->Number;
    auto letter = std::make_unique<TLetter>(&area, Num(-1), replyTo, editor.Subject, editor.From, editor.To,
                                            WholeMinutes(now), false);
    letter->ReadNow = true;

    const std::vector<std::string> text = TextToStore(settings, editor.Lines);
    const Charset charset = LetterCharset(settings, editor, text);

    OpenForSave open(area);
    MsgBase& base = *area.Base;
    LetterHeader header;
    header.From = letter->From;
    header.To = letter->To;
    header.Subject = letter->Subject;
    header.Written = letter->Date;
    if (editor.Netmail)
        header.Dest = dest;
    header.Orig = sender;
    header.ReplyTo = replyTo;
    header.Flags = {LetterFlag::Local, LetterFlag::Read};
    header.Flags.Set(LetterFlag::Private, editor.Netmail);
    // Where the format exports only letters that carry the export mark, a
    // letter without it would stay at the point for ever.
    header.Flags.Set(LetterFlag::Echo);

    std::vector<std::string> kludges;
    if (mode == ChangeMode) {
        if (!editor.AnsweredText.MsgId.empty())
            kludges.push_back(Kludge("MSGID", editor.AnsweredText.MsgId));
        if (!editor.AnsweredText.Reply.empty())
            kludges.push_back(Kludge("REPLY", editor.AnsweredText.Reply));
    } else {
        kludges.push_back(Kludge("MSGID", AddressToText(sender) + " " + SerialText(NextMsgIdSerial(now))));
        if (!editor.AnsweredText.MsgId.empty())
            kludges.push_back(Kludge("REPLY", editor.AnsweredText.MsgId));
    }
    // A changed letter's own CHRS went with its other control lines when
    // its text was prepared: this is the only one.
    std::string charsetLine = CharsetKludge(charset);
    charsetLine.insert(0, 1, KludgeMark);  // built in place: GCC 12 warns falsely about char + string here
    kludges.push_back(std::move(charsetLine));

    base.SetOutgoingCharset(charset);
    // Formats that keep zones and points in control lines write them as the
    // letter starts, by its type. The last line too ends with a carriage
    // return: tossers append the SEEN-BY and PATH lines straight after the
    // text, and without it the first of them would be glued onto the origin
    // line.
    base.SetMailType(editor.Netmail ? MailNet : MailEcho);
    if (Status status = base.WriteLetter(header, kludges, text); status != 0)
        throw ECantWriteLetter(status);
    letter->Number = base.GetNumber();

    if (mode == ChangeMode) {
        answered->DeleteFromBase();
        // The old object takes the new identity and keeps its place in its
        // thread (ReplyTo and Replies stay).
        answered->Assign(*letter);
        area.Resettle(answered);
    } else {
        area.AddLetter(std::move(letter));
    }
    editor.Modified = false;
    return SaveOutcome::Saved;
}

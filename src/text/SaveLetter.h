// Saving what an editor holds: a new letter (echomail, or netmail to one
// station) written through the area's base with its header, its MSGID (and
// REPLY) control lines, the CHRS line of its character set and its text
// wrapped to 79 characters, then joined to the area. A changed letter is written as a
// new letter and the old one deleted; in the area the old letter object takes
// the new identity and keeps its place in its thread.
#pragma once

#include "core/DateHelpers.h"
#include "core/Exceptions.h"
#include "core/UserSettings.h"
#include "msgbase/MsgBase.h"
#include "text/EditorState.h"

// "Не могу записать письмо. Ошибка #%d": the base refused the letter.
class ECantWriteLetter : public EQuorvel {
public:
    explicit ECantWriteLetter(Status status);
    Status Code;
};

enum class SaveOutcome {
    Saved,
    // A change whose letter vanished from the area before it was saved:
    // nothing was written. The editor shows ChangedLetterGoneMessage and
    // closes; the structure is marked unmodified, its text left as it was.
    ChangedLetterGone,
};

// "Пока Вы тормозили, исходное письмо изчезло из базы.\rТак что извинете."
const std::string& ChangedLetterGoneMessage();

// Saves the letter (now gives its date, cut to whole minutes, and its MSGID
// serial). On success the structure is marked unmodified and the new letter
// is the area's current letter. On failure an exception says why (the base's
// status as ECantWriteLetter, ELetterNotFound, ECantDeleteLetter,
// ECantOpenArea, and for netmail EBadAddress before anything is written);
// the structure stays modified with its text untouched, and a letter the
// base stored before a later step failed stays in the base.
// Netmail (editor.Netmail) goes from FromAddress to ToAddress, both exact
// addresses, marked private; the format stores the full addresses (in the
// header or in INTL, FMPT and TOPT lines) and its own netmail mark.
// The area's base is used when the area is open; otherwise the area is
// opened for the save. While the tosser works, the save first waits for it
// (its session's Tosser.WaitFor; ETosserBusy, with nothing written, when that is given up).
SaveOutcome SaveLetter(EditorState& editor, DateTime now = NowDateTime());

// The text as it is stored: lines beginning with Ctrl-A dropped, long lines
// wrapped to 79 characters.
std::vector<std::string> TextToStore(const UserSettings& settings, const std::vector<std::string>& lines);

// The character set a letter is written in: the forced one when there is
// one; else UTF-8 for a reply to a UTF-8 letter, else the outgoing set of
// the settings; UTF-8 whenever a character of the names, the subject or the
// text has no place in that set. (In CP866 the Cyrillic capital Н is written
// as the Latin H, whose look it shares: its byte is the soft line break that
// many readers drop.)
Charset LetterCharset(const UserSettings& settings, const EditorState& editor, const std::vector<std::string>& text);

// What an editor window holds about the letter being written: its mode, its
// area, the letter it answers (by key) with that letter's prepared text, and
// the header fields and text lines as the user typed them. Preparing the text
// and saving work on this structure alone, so they run without any window;
// the editor window fills it from its fields.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "text/TFormattedStrings.h"

class TArea;
class TLetter;

enum EditorMode : int {
    NewLetterMode = 0,  // a new letter
    ChangeMode = 1,     // the current letter, changed (written anew, the old one deleted)
    ReplyMode = 2,      // a reply to the current letter
    CommentMode = 3,    // a comment on the current letter (to its recipient)
};

struct EditorState {
    int Mode = NewLetterMode;
    TArea* Area = nullptr;
    // Written as netmail: to the station in ToAddress, from the one in
    // FromAddress, private, without an origin line.
    bool Netmail = false;
    // The answered (or, in ChangeMode, the changed) letter's key; the letter
    // itself is looked up again by it whenever it is needed, because a reload
    // of the area replaces the letter objects.
    int32_t AnsweredKey = 0;
    // The answered letter's text, reflowed to 79 characters with the control
    // lines hidden: its lines, MsgId, Reply, FromAddr and ToAddr. Empty for a
    // new letter.
    TFormattedStrings AnsweredText;

    std::string From;         // at most 35 characters
    std::string FromAddress;  // the from-address field, as typed
    std::string To;           // at most 35 characters
    std::string ToAddress;    // the recipient's address field (shown for netmail only)
    std::string Subject;      // at most 71 characters
    std::vector<std::string> Lines;  // the text field, one string a line

    bool Modified = false;
    bool TextPrepared = false;
};

// The answered letter when it is still in the area; nullptr for a new letter
// or when it has gone.
TLetter* FindAnsweredLetter(const EditorState& editor);

// The text of a letter as an editor keeps it when it answers or changes the
// letter: read from the base (its area must be open), control lines hidden
// with their MSGID and REPLY values kept, reflowed to 79 characters, and the
// sender's and recipient's addresses worked out. ELetterNotFound when the
// letter is no longer in the base.
TFormattedStrings ReadAnsweredText(TLetter& letter);

// One letter of an area as the model keeps it: the header fields needed to
// list, sort and thread letters, its read state and the letters answering it.
// The text is not kept; it is read from the base when wanted.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/Exceptions.h"
#include "model/TReplyList.h"
#include "msgbase/MsgBase.h"

class TArea;
class TTreeNode;

// "Не найдено письмо #%d": the letter is no longer in the base.
class ELetterNotFound : public EQuorvel {
public:
    explicit ELetterNotFound(Num number);
    Num Number;
};

// The base refused to store the read mark (the letter stays unread).
class ECantMarkRead : public EQuorvel {
public:
    ECantMarkRead(Num number, Status status);
};

// The base refused to delete the letter.
class ECantDeleteLetter : public EQuorvel {
public:
    ECantDeleteLetter(Num number, Status status);
};

// The identity key of a letter: one byte of the checksum of each of the date,
// To, From and Subject folded into a CRC-32 register. It recognises a letter
// again after a reload; different letters may share a key.
int32_t LetterKey(const std::string& subject, const std::string& from, const std::string& to, DateTime date);

// A letter as it is read whole: its text lines and its header fields as the
// text's character set reads them (which the scan may not have known: in
// some formats only the text names the set).
struct TLetterText {
    std::vector<std::string> Lines;
    Charset Set = Charset::None;
    std::string From, To, Subject;
};

class TLetter {
public:
    TLetter(TArea* area, Num number, Num replyTo, std::string subject, std::string from, std::string to,
            DateTime date, bool unread);
    TLetter(const TLetter&) = delete;
    TLetter& operator=(const TLetter&) = delete;

    TArea* Area;              // not owned
    TTreeNode* Node = nullptr;  // the display node a window made for it; owned by that window
    int32_t Key;
    Num Number;
    Num ReplyTo;              // 0: a thread root
    std::string Subject;
    std::string From;
    std::string To;
    DateTime Date;
    TReplyList Replies;       // letters of the same area answering this one, not owned
    bool Unread;              // unread when loaded and not marked read since
    bool ReadNow = false;     // marked read during this run (since the area's last load)
    bool InUnreadsTree = false;  // scratch flag of the conversation tree

    bool IsRoot() const { return ReplyTo == 0; }
    // New in this run of the program: unread when loaded, read or not now.
    bool WasUnread() const { return Unread || ReadNow; }

    // Makes the letter current in the area's open base (SeekFirst on its
    // number); ELetterNotFound when no letter at or above the number is left.
    // A later letter satisfies it: StillValid checks the identity.
    void Seek();
    // Whether the letter at Number in the base is still this one (same key).
    // When it is, the base stands on it with its header loaded.
    bool StillValid();
    // Reads the text of the letter the base stands on: TABs become eight
    // blanks, empty lines at the end are dropped. Appends to lines.
    void ReadText(std::vector<std::string>& lines);
    // The same, with the text's set and the header fields read by it. The
    // letter's own From, To and Subject stay as the scan read them, so that
    // the letter is still recognised by its key.
    TLetterText ReadLetter();
    // Sets the read mark in the base and counts the letter as read. Nothing
    // happens for a letter already read. With notify the windows are told.
    // While the tosser works it waits for it first (its session's Tosser.WaitFor).
    void MarkRead(bool notify);
    // MarkRead for a caller that has just waited for the tosser itself.
    void StoreReadMark(bool notify);
    // Deletes the letter from the base (after waiting for the tosser).
    void DeleteFromBase();

    // Pre-order walk of this letter and, depth first, the letters answering
    // it; stops at the first callback that returns true and returns true.
    // Every letter is visited once even if the reply links run in a circle.
    bool ForEachInThread(const std::function<bool(TLetter* letter, TTreeNode* node)>& callback);

    // Joins the Replies of the letter this one answers; a letter answering a
    // number that is not in the area becomes a root.
    void AttachToParent();
    // Leaves the Replies of the letter this one answers (if that one is
    // still in the area).
    void DetachFromParent();
    // Copies the identity: Number, Key, From, To, Subject, Date.
    void Assign(const TLetter& other);

private:
    MsgBase& OpenBase() const;
    uint32_t WalkMark = 0;
};

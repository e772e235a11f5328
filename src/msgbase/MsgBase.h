// The message base interface. Every area's letters live in one of four
// on-disk formats; the rest of the program holds one MsgBase object per open
// area and talks to the files only through these operations. An object has
// one current letter at a time (chosen by the Seek operations or created by
// StartNewLetter); its header travels as one value (LetterHeader), and the
// text readers read its text from a reading position.
//
// Text crosses this interface once per direction: headers, WriteText and
// WriteKludge take UTF-8 and store the bytes of the letter's character set;
// Header() and the line readers deliver UTF-8, decoded by the set the letter
// names in its CHRS control line (else by the rule for letters that name
// none). WriteChar and ReadChar move stored bytes. Nothing here throws;
// operations that touch files report a Status (0 = success) or a boolean.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "core/Charset.h"
#include "core/CharsetDecoder.h"
#include "msgbase/FileLayer.h"
#include "msgbase/LetterHeader.h"

// Mail types given to SetMailType before a letter is built.
constexpr uint8_t MailLocal = 0;
constexpr uint8_t MailEcho = 1;
constexpr uint8_t MailNet = 2;

// Characters with a meaning in letter texts.
constexpr char KludgeMark = '\x01';      // opens a control line
constexpr char SoftCarriageReturn = '\x8D';  // CP866 Н, or a soft break when the user says so

class MsgBase {
public:
    MsgBase() = default;
    MsgBase(const MsgBase&) = delete;
    MsgBase& operator=(const MsgBase&) = delete;

    // Releases the private state and buffers (after CloseBase).
    virtual ~MsgBase() = default;

    // The base as a whole: where it is, opening, closing, making one,
    // locking it against other writers. BaseExists is true as soon as any file of
    // the base holds something: a base that is partly missing counts as
    // present, so that nobody creates a fresh base over what is left of it
    // (OpenBase then refuses it with a status). CreateBase makes only a
    // wholly new base and never starts existing files afresh.
    virtual void SetBasePath(const std::string& spec) = 0;
    virtual Status OpenBase() = 0;
    virtual Status CloseBase() = 0;
    virtual Status CreateBase(uint16_t maxLetters, uint16_t maxDays) = 0;
    virtual bool BaseExists() = 0;
    virtual bool LockBase();
    virtual bool UnlockBase();

    // The current letter's header (after LoadHeader; for a letter being
    // built, as it stands), its strings decoded as of now: by the set known
    // when it was loaded, after StartText by the text's set.
    virtual LetterHeader Header() = 0;
    // Writes the loaded letter's header back in place as `header` has it:
    // only the fields that differ from Header() change (strings cut to the
    // format's fields), and of those only the bits this program changed are
    // carried over to the header as it is on disk now. Fields and flags a
    // format does not keep are left alone.
    virtual Status RewriteHeader(const LetterHeader& header) = 0;

    // Writing: the text of the letter being built, and storing it.
    // WriteLetter(header, text) is the whole of it: StartNewLetter, the
    // control lines (each with its leading ^A), the text lines, WriteLetter.
    virtual void WriteText(const std::string& text);   // encoded in the outgoing set, one WriteChar per byte
    virtual void WriteChar(char ch) = 0;               // one stored byte, appended
    virtual void WriteLine(const std::string& text);   // WriteText, then CR
    virtual void WriteKludge(const std::string& line); // line begins with ^A; inherited: WriteLine
    virtual Status WriteLetter() = 0;                  // stores it under the next number; it becomes current
    Status WriteLetter(const LetterHeader& header, const std::vector<std::string>& kludges,
                       const std::vector<std::string>& lines);

    // Reading the current letter's text.
    virtual char ReadChar() = 0;   // next stored byte; 0 and TextEnded at the end
    virtual bool TextEnded() = 0;
    // The next line, wrapped at maxLen bytes (65535: no wrapping), as UTF-8.
    virtual std::string ReadLine(uint16_t maxLen);
    // ReadLine, skipping control lines (a control line that ends the text is returned).
    virtual std::string ReadPlainLine(uint16_t maxLen);
    virtual bool LineWasWrapped();

    // Choosing the current letter by its position, loading its header,
    // starting its text; starting a new letter.
    virtual Num GetNumber() = 0;  // of the current letter; 0 when there is none
    virtual uint32_t GetPosition() = 0;
    virtual void SetPosition(uint32_t position) = 0;
    virtual void LoadHeader() = 0;
    virtual void StartText() = 0;
    // Forgets the current letter and starts a new one with this header
    // (Number ignored), in the outgoing set and the mail type given before;
    // its text follows (WriteKludge, WriteText, WriteLine), then WriteLetter.
    // With MailNet, the netmail control lines of the addresses open the text.
    virtual void StartNewLetter(const LetterHeader& header) = 0;

    // Walking the letters in number order, and searching by recipient.
    virtual void SeekFirst(Num number) = 0;  // first existing letter >= number
    virtual void SeekNext() = 0;
    virtual void SeekPrior() = 0;
    virtual bool SeekFound() = 0;
    virtual void FindMailFirst(const std::string& name, const std::string& alias) = 0;
    virtual void FindMailNext() = 0;
    virtual bool MailFound() = 0;

    // Numbers and counts: the highest number, how many letters, the number
    // shown to the user, the Hudson board.
    virtual Num GetHighNumber() = 0;
    virtual uint32_t CountLetters() = 0;
    virtual Num GetDisplayNumber();
    virtual Num GetHighActiveNumber();
    virtual uint16_t GetBoard();

    // Deleting letters already stored, and how new ones are stored.
    virtual Status DeleteLetter() = 0;
    virtual void SetMailType(uint8_t type) = 0;

    // The last-read pointers the base keeps per user.
    virtual Num GetLastRead(uint32_t user) = 0;
    virtual void SetLastRead(uint32_t user, Num number) = 0;

    // A place in the current letter's text, to return to.
    virtual int64_t GetTextPos() = 0;
    // Returns to a position from GetTextPos; TextEnded then answers for that position.
    virtual void SetTextPos(int64_t position) = 0;

    // What this format can do. Whether LockBase may be held around a run of
    // changes (RewriteHeader, WriteLetter, DeleteLetter then work under the
    // lock held instead of taking their own), so that marking many letters
    // read takes the lock once for the run. Inherited: false.
    virtual bool LocksForRuns() const { return false; }
    // Whether the Echo flag means something in this format
    // (a letter is only exported when it carries the export mark).
    virtual bool HasExportMark() const { return false; }
    // Damaged headers: how the last LoadHeader went. 0 when the current
    // letter's header was read; otherwise the status that kept it from being
    // read (the index names bytes the files do not hold, a short read, another
    // letter's header where this one's should be). The getters then answer
    // empty values, never another letter's: callers show such a letter as an
    // error for that letter, or leave it out. Inherited: 0.
    virtual Status HeaderStatus() const;

    // Character sets. The set new letters are written
    // in (CP866 until changed; set it after StartNewLetter, before the
    // setters). UTF-8 and CP866 are the sets the program writes.
    void SetOutgoingCharset(Charset set) { OutgoingSet = set; }
    Charset GetOutgoingCharset() const { return OutgoingSet; }
    // The set the current letter's text is read in: valid after StartText.
    Charset GetTextCharset() const { return TextCharset; }
    // How texts that name no set are read: the user's reading settings, given
    // by whoever opens the base (until then CP866, 0x8D the letter Н).
    void SetReadingRules(const ReadingRules& rules) { Reading = rules; }
    const ReadingRules& GetReadingRules() const { return Reading; }

protected:
    // Header fields are decoded by the set known when the header was loaded
    // (HeaderCharset: where the format keeps the letter's CHRS beside its
    // header; None = the rule without a set, field by field), and after
    // StartText by the text's set. So the scan never reads texts to learn
    // sets, and a letter's header reads the same in the scan and after
    // every later LoadHeader (letters are recognised by their headers).
    // Each format's LoadHeader starts with BeginHeader and sets
    // HeaderCharset where it finds one; its StartText ends with
    // ResolveTextCharset.
    void BeginHeader();
    std::string DecodeHeader(std::string_view stored) const;
    // The set DecodeHeader decodes by now (None: the rule, field by field).
    Charset HeaderDecodingSet() const;
    // A UTF-8 name or subject as stored in the outgoing set, cut to at most
    // width bytes without splitting a character.
    std::string EncodeField(const std::string& utf8, std::size_t width) const;
    // The text's set: the CHRS among its control lines, else HeaderCharset,
    // else the rule over the whole text.
    void ResolveTextCharset(std::string_view wholeText);
    // The stored forms the names (the empty ones left out) may have in
    // letters written in the sets met here (CP866, UTF-8, the default
    // incoming set), each cut to the field's width as EncodeField cuts, for
    // recipient searches over indexes of stored bytes; each form once.
    std::vector<std::string> StoredFormsOf(std::initializer_list<std::string> names, std::size_t width) const;

    Charset HeaderCharset = Charset::None;
    Charset TextCharset = Charset::None;
    Charset OutgoingSet = Charset::Cp866;
    ReadingRules Reading;
    // Set by the line readers: the last line ended because it was wrapped.
    bool LastLineWrapped = false;

private:
    bool TextResolved = false;
};

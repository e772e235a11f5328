// JamMsgBase, the writing half: new letters appended under the base lock
// (text, header, then the index record that makes the letter part of the
// base), headers rewritten in place with only the bits that changed, letters
// deleted through their index record.
#include <cstring>

#include "core/CharsetEncoder.h"
#include "core/StringHelpers.h"
#include "core/Utf8Text.h"
#include "msgbase/ChangedBits.h"
#include "msgbase/FileUndo.h"
#include "msgbase/jam/JamMsgBase.h"
#include "msgbase/jam/JamSubfields.h"

namespace {

constexpr int64_t MaxJamOffset = 0xFFFFFFFFll;
// An index record's header offset is read as a signed number (negative: the
// letter is deleted), so a header must begin below 2 GiB.
constexpr int64_t MaxHeaderOffset = 0x7FFFFFFFll;

// The value of a control line from position `from` on: leading colons
// dropped, blanks trimmed, cut to `limit` characters (0: no limit).
std::string KludgeValue(const std::string& line, std::size_t from, std::size_t limit)
{
    std::string value = from < line.size() ? line.substr(from) : std::string();
    value = StripBoth(StripLeading(value, ':'), ' ');
    if (limit != 0 && value.size() > limit)
        value.resize(limit);
    return value;
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

}  // namespace

// ---------------------------------------------------------------- building

void JamMsgBase::StartNewLetter(const LetterHeader& header)
{
    NewText.clear();
    Fixed = JamMsgHeader{};
    Fixed.MSGIDcrc = JamNoCrc;
    Fixed.REPLYcrc = JamNoCrc;
    Fixed.PasswordCRC = JamNoCrc;
    Subfields.clear();
    KludgeBuffer.clear();
    From.clear();
    To.clear();
    Subject.clear();
    Orig = Dest = FidoAddress{};
    When = NowDateTime();
    LastLineWrapped = false;
    CurrentNumber = 0;
    LoadedNumber = 0;
    ApplyHeader(header);
}

void JamMsgBase::WriteChar(char ch)
{
    const char c = ch;
    // LastLineWrapped serves as "a line is open" while a letter is written.
    if (c == '\r')
        LastLineWrapped = false;
    else if (c != '\n')
        LastLineWrapped = true;
    NewText += c;
}

void JamMsgBase::WriteKludge(const std::string& line)
{
    std::string text = line;
    if (!text.empty() && text[0] == KludgeMark)
        text.erase(0, 1);
    text = EncodeText(Utf8Left(text, 255), OutgoingSet).Bytes;

    if (StartsWith(text, "PID")) {
        AddJamSubfield(Subfields, JamPid, KludgeValue(text, 3, 40));
    } else if (StartsWith(text, "MSGID")) {
        std::string value = KludgeValue(text, 5, 100);
        Fixed.MSGIDcrc = JamNameCrc(value);
        AddJamSubfield(Subfields, JamMsgId, value);
    } else if (StartsWith(text, "INTL") || StartsWith(text, "TOPT") || StartsWith(text, "FMPT")) {
        // The addresses travel in their own subfields.
    } else if (StartsWith(text, "REPLY")) {
        // Taken after the keyword, so that "REPLY:addr" reads as "REPLY: addr".
        std::string value = KludgeValue(text, 5, 100);
        Fixed.REPLYcrc = JamNameCrc(value);
        AddJamSubfield(Subfields, JamReplyId, value);
    } else if (StartsWith(text, "PATH")) {
        AddJamSubfield(Subfields, JamPath2D, KludgeValue(text, 4, 0));
    } else {
        AddJamSubfield(Subfields, JamFtsKludge, StripBoth(text, ' '));
    }
}

// ---------------------------------------------------------------- storing

// The subfields of the letter being built: those of the control lines
// first, then the names, subject and addresses.
std::vector<uint8_t> JamMsgBase::SubfieldsToWrite() const
{
    std::vector<uint8_t> subfields = Subfields;
    if (!To.empty())
        AddJamSubfield(subfields, JamReceiverName, To);
    if (!From.empty())
        AddJamSubfield(subfields, JamSenderName, From);
    if (!Subject.empty())
        AddJamSubfield(subfields, HasFlag(JamFileRequest) ? JamEnclosedFileRequest : JamSubject, Subject);
    if (!Dest.IsZero())
        AddJamSubfield(subfields, JamDAddress, AddressToText(Dest));
    if (!Orig.IsZero())
        AddJamSubfield(subfields, JamOAddress, AddressToText(Orig));
    return subfields;
}

Status JamMsgBase::WriteLetter()
{
    if (LastLineWrapped) {
        WriteChar('\r');
        WriteChar('\n');
    }
    Fixed.Signature = JamSignature;
    Fixed.Revision = JamRevision;
    if (MailType == MailLocal)
        Fixed.Attribute |= JamTypeLocal;
    else if (MailType == MailEcho)
        Fixed.Attribute |= JamTypeEcho;
    else if (MailType == MailNet)
        Fixed.Attribute |= JamTypeNet;
    Fixed.DateWritten = DateTimeToUnix(When);

    std::vector<uint8_t> subfields = SubfieldsToWrite();

    if (!LockBase())
        return JamLockFailed;

    // Text, then header, then the index record that makes the letter part of
    // the base: a failure before the last step leaves only unreferenced bytes,
    // and those are cut off again.
    Status status = 0;
    int64_t textOffset = FileSizeBytes(Jdt);
    int64_t headerOffset = textOffset < 0 ? -1 : FileSizeBytes(Jhr);
    int64_t records = headerOffset < 0 ? -1 : FileSizeRecords(Jdx);
    if (records < 0)
        status = LastIoError;
    int64_t number = FirstNumber() + records;
    if (status == 0 && (textOffset + int64_t(NewText.size()) > MaxJamOffset || headerOffset > MaxHeaderOffset ||
                        number > MaxJamOffset))
        status = JamBaseFull;

    JamMsgHeader header = Fixed;
    header.TxtOffset = static_cast<uint32_t>(textOffset);
    header.TxtLen = static_cast<uint32_t>(NewText.size());
    header.MessageNumber = static_cast<uint32_t>(number);
    header.SubfieldLen = static_cast<uint32_t>(subfields.size());

    // What was tried is cut back on failure, newest first: a write that
    // failed may still have written part of its bytes.
    FileUndo undo;
    auto append = [&](FileRecord& file, int64_t at, const void* data, std::size_t count) {
        undo.Appended(file, at);
        return WriteAt(file, at, data, count);
    };
    if (status == 0 && !NewText.empty() && !append(Jdt, textOffset, NewText.data(), NewText.size()))
        status = LastIoError;
    if (status == 0) {
        std::vector<uint8_t> bytes(sizeof header);
        std::memcpy(bytes.data(), &header, sizeof header);
        bytes.insert(bytes.end(), subfields.begin(), subfields.end());
        if (!append(Jhr, headerOffset, bytes.data(), bytes.size()))
            status = LastIoError;
    }
    if (status == 0) {
        undo.Appended(Jdx, records);
        status = WriteIndexRecord(number, {JamNameCrc(To), static_cast<uint32_t>(headerOffset)});
    }
    if (status == 0) {
        ++BaseHeader.ActiveMsgs;
        ++BaseHeader.ModCounter;
    } else {
        undo.Restore();
    }
    if (!UnlockBase() && status == 0)
        status = LastIoError;
    if (status != 0)
        return status;

    Fixed = header;
    LoadedHeader = header;
    Subfields = std::move(subfields);
    CurrentNumber = number;
    LoadedNumber = number;
    LoadedOffset = static_cast<uint32_t>(headerOffset);
    LastLineWrapped = false;
    return 0;
}

// ---------------------------------------------------------------- rewriting and deleting

Status JamMsgBase::RewriteFixedPart()
{
    JamIndexRecord record{};
    if (LoadedNumber == 0 || LoadedNumber != CurrentNumber)
        return JamBadReference;
    if (!LookupIndex(CurrentNumber, record))
        return LastIoError != 0 ? LastIoError : JamBadReference;
    // The letter must still be where it was loaded from.
    if (!JamIndexLive(record) || record.HdrOffset != LoadedOffset)
        return JamBadReference;
    return MergeFixedPart();
}

// Writes the loaded letter's fixed header part back where it was loaded from.
// Only the bits changed since loading are written: what another program
// changed in the meantime (a tosser setting Sent, a reply link) stays.
Status JamMsgBase::MergeFixedPart()
{
    JamMsgHeader onDisk{};
    uint32_t got = 0;
    if (!ReadAt(Jhr, LoadedOffset, &onDisk, sizeof onDisk, got))
        return LastIoError;
    if (got != sizeof onDisk || onDisk.Signature != JamSignature)
        return JamBadReference;
    ApplyChangedBits(&onDisk, &LoadedHeader, &Fixed, sizeof onDisk);
    if (!WriteAt(Jhr, LoadedOffset, &onDisk, sizeof onDisk))
        return LastIoError;
    Fixed = onDisk;
    LoadedHeader = onDisk;
    return 0;
}

Status JamMsgBase::RewriteHeader(const LetterHeader& header)
{
    ApplyHeader(header);
    if (!LockBase())
        return JamLockFailed;
    Status status = RewriteFixedPart();
    if (!UnlockBase() && status == 0)
        status = LastIoError;
    return status;
}

// The index record decides whether a letter is there, so it changes first:
// when it cannot be written (.jdx read-only, a full disk) nothing else has
// changed, and a writer that dies after it leaves the letter deleted. The
// header's Deleted bit follows; when that cannot be written, the index
// record is put back. The counters change only when both were written.
Status JamMsgBase::DeleteLetter()
{
    if (!LockBase())
        return JamLockFailed;
    Status status = 0;
    JamIndexRecord record{};
    if (!InRange(CurrentNumber) || !LookupIndex(CurrentNumber, record)) {
        status = JamBadReference;
    } else if (JamIndexLive(record)) {
        // A record that is no longer live: another program deleted the letter already.
        if (LoadedNumber != CurrentNumber || LoadedOffset != record.HdrOffset)
            LoadHeader();
        status = LoadedNumber == CurrentNumber ? WriteIndexRecord(CurrentNumber, JamDeletedRecord)
                                               : JamBadReference;
        if (status == 0) {
            Fixed.Attribute |= JamDeleted;
            status = MergeFixedPart();
            if (status != 0) {
                Fixed.Attribute &= ~JamDeleted;
                WriteIndexRecord(CurrentNumber, record);
            }
        }
        if (status == 0) {
            if (BaseHeader.ActiveMsgs > 0)
                --BaseHeader.ActiveMsgs;
            ++BaseHeader.ModCounter;
        }
    }
    if (!UnlockBase() && status == 0)
        status = LastIoError;
    return status;
}

// JamMsgBase, the writing half: new letters appended under the base lock
// (text, header, then the index record that makes the letter part of the
// base), headers rewritten in place with only the bits that changed, letters
// deleted through their index record.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

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
    const int64_t textSize = FileSizeBytes(Jdt);
    int64_t headerOffset = textSize < 0 ? -1 : FileSizeBytes(Jhr);
    int64_t records = headerOffset < 0 ? -1 : FileSizeRecords(Jdx);
    if (records < 0)
        status = LastIoError;
    if (status == 0)
        status = RepairKilledDelete();
    if (status == 0)
        status = WalkTextClaims(headerOffset);
    // The new text goes after every text a header claims, also where .jdt
    // was cut short inside them: an old letter never shows the new text.
    const int64_t textOffset = std::max(textSize, TextClaimsEnd);
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
    if (status == 0 && !NewText.empty()) {
        undo.Appended(Jdt, textSize);
        if (!WriteAt(Jdt, textOffset, NewText.data(), NewText.size()))
            status = LastIoError;
    }
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
    NoteCheckedState(status);
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

// Calls visit for every header in .jhr from `from` up to jhrSize, in the
// order they lie one after the other; `reached` is where the walk ended: the
// end, or a place that holds no header (damage, which cannot be walked past).
Status JamMsgBase::WalkHeaders(int64_t from, int64_t jhrSize, const HeaderVisit& visit, int64_t& reached)
{
    int64_t at = std::max<int64_t>(from, sizeof(JamBaseHeader));
    std::vector<char> chunk;
    int64_t chunkAt = 0;
    while (at + int64_t(sizeof(JamMsgHeader)) <= jhrSize) {
        if (at + int64_t(sizeof(JamMsgHeader)) > chunkAt + int64_t(chunk.size())) {
            chunk.resize(static_cast<std::size_t>(std::min<int64_t>(ClaimsChunkBytes, jhrSize - at)));
            uint32_t got = 0;
            if (!ReadAt(Jhr, at, chunk.data(), chunk.size(), got))
                return LastIoError;
            chunk.resize(got);
            chunkAt = at;
            if (got < sizeof(JamMsgHeader))
                break;
        }
        JamMsgHeader header{};
        std::memcpy(&header, chunk.data() + (at - chunkAt), sizeof header);
        if (header.Signature != JamSignature)
            break;
        if (Status status = visit(at, header); status != 0)
            return status;
        at += int64_t(sizeof header) + header.SubfieldLen;
    }
    reached = at;
    return 0;
}

// The end of the texts the headers in .jhr claim, deleted letters' too.
// Those appended since the last walk are walked (all of them again when .jhr
// shrank, a packed base). Past a damaged header they cannot be followed: the
// headers the index names count instead, and the walk goes on from the end.
Status JamMsgBase::WalkTextClaims(int64_t jhrSize)
{
    if (jhrSize < TextClaimsWalked) {
        TextClaimsWalked = 0;
        TextClaimsEnd = 0;
    }
    int64_t reached = 0;
    Status status = WalkHeaders(TextClaimsWalked, jhrSize, [this](int64_t, const JamMsgHeader& header) {
        if (header.TxtLen > 0)
            TextClaimsEnd = std::max(TextClaimsEnd, int64_t(header.TxtOffset) + header.TxtLen);
        return Status(0);
    }, reached);
    if (status == 0 && reached + int64_t(sizeof(JamMsgHeader)) <= jhrSize) {
        status = IndexedTextClaims();
        reached = jhrSize;
    }
    if (status == 0)
        TextClaimsWalked = std::min(reached, jhrSize);
    return status;
}

// The header offsets of the letters the index holds, sorted.
Status JamMsgBase::LiveHeaderOffsets(std::vector<uint32_t>& offsets)
{
    offsets.clear();
    const int64_t records = FileSizeRecords(Jdx);
    if (records < 0)
        return LastIoError;
    std::vector<JamIndexRecord> index(static_cast<std::size_t>(std::min<int64_t>(records, ClaimsChunkBytes / 8)));
    for (int64_t from = 0; from < records; from += int64_t(index.size())) {
        uint32_t got = 0;
        if (!ReadAt(Jdx, from, index.data(), index.size(), got))
            return LastIoError;
        for (uint32_t i = 0; i < got; ++i)
            if (JamIndexLive(index[i]))
                offsets.push_back(index[i].HdrOffset);
        if (got < index.size())
            break;
    }
    std::sort(offsets.begin(), offsets.end());
    return 0;
}

// A delete killed part way leaves its index record deleted, while the
// header's Deleted bit and the counters may still say otherwise. Under the
// lock, before a change of the counters, they are checked against the index
// whenever someone else may have written since this object last left the
// base (a fresh object, another program's change): on a difference the
// counters are set from the index, and headers no live index record names
// get the Deleted bit (tossers that walk the headers would show them).
Status JamMsgBase::RepairKilledDelete()
{
    const int64_t records = FileSizeRecords(Jdx);
    if (records < 0)
        return LastIoError;
    if (records == CheckedRecords && BaseHeader.ModCounter == CheckedModCounter)
        return 0;
    std::vector<uint32_t> live;
    if (Status status = LiveHeaderOffsets(live); status != 0)
        return status;
    if (live.size() == BaseHeader.ActiveMsgs)
        return 0;
    int64_t reached = 0;
    Status status = WalkHeaders(0, FileSizeBytes(Jhr), [&](int64_t at, const JamMsgHeader& header) {
        if ((header.Attribute & JamDeleted) || std::binary_search(live.begin(), live.end(), uint32_t(at)))
            return Status(0);
        const uint32_t attribute = header.Attribute | JamDeleted;
        return WriteAt(Jhr, at + int64_t(offsetof(JamMsgHeader, Attribute)), &attribute, sizeof attribute)
                   ? Status(0)
                   : Status(LastIoError);
    }, reached);
    if (status != 0)
        return status;
    BaseHeader.ActiveMsgs = static_cast<uint32_t>(live.size());
    ++BaseHeader.ModCounter;
    return 0;
}

// After a change under the lock: the state this object leaves the base in,
// which needs no check at its next change.
void JamMsgBase::NoteCheckedState(Status status)
{
    CheckedRecords = status == 0 ? FileSizeRecords(Jdx) : -1;
    CheckedModCounter = BaseHeader.ModCounter;
}

Status JamMsgBase::IndexedTextClaims()
{
    std::vector<uint32_t> live;
    if (Status status = LiveHeaderOffsets(live); status != 0)
        return status;
    for (uint32_t offset : live) {
        JamMsgHeader header{};
        uint32_t read = 0;
        if (ReadAt(Jhr, offset, &header, sizeof header, read) && read == sizeof header &&
            header.Signature == JamSignature && header.TxtLen > 0)
            TextClaimsEnd = std::max(TextClaimsEnd, int64_t(header.TxtOffset) + header.TxtLen);
    }
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
    Status status = RepairKilledDelete();
    if (status == 0)
        status = DeleteLocked();
    NoteCheckedState(status);
    if (!UnlockBase() && status == 0)
        status = LastIoError;
    return status;
}

Status JamMsgBase::DeleteLocked()
{
    JamIndexRecord record{};
    if (!InRange(CurrentNumber) || !LookupIndex(CurrentNumber, record))
        return JamBadReference;
    if (!JamIndexLive(record))
        return 0;  // another program deleted the letter already
    if (LoadedNumber != CurrentNumber || LoadedOffset != record.HdrOffset)
        LoadHeader();
    Status status = LoadedNumber == CurrentNumber ? WriteIndexRecord(CurrentNumber, JamDeletedRecord) : JamBadReference;
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
    return status;
}

#include "msgbase/MsgBase.h"

#include <algorithm>
#include <stdexcept>

#include "core/CharsetDecoder.h"
#include "core/CharsetEncoder.h"
#include "core/Utf8Text.h"

namespace {

[[noreturn]] void NotInThisFormat(const char* operation)
{
    throw std::logic_error(std::string(operation) + " is not supported by this message base format");
}

// Bytes at the end of a UTF-8 line that begin a character without finishing
// it (a line cut at a byte count); 0 when the line ends whole.
std::size_t UnfinishedUtf8Tail(std::string_view line)
{
    std::size_t start = line.size();
    while (start > 0 && line.size() - start < 4 && (static_cast<uint8_t>(line[start - 1]) & 0xC0) == 0x80)
        --start;
    if (start == 0)
        return 0;
    const auto lead = static_cast<uint8_t>(line[start - 1]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    const std::size_t present = line.size() - start + 1;
    return length > present && lead >= 0xC0 ? present : 0;
}

// UTF-8 text in a set, as a field of at most width bytes.
std::string EncodeCut(const std::string& utf8, Charset set, std::size_t width)
{
    std::string bytes = EncodeText(utf8, set, CapitalEn::AsIs).Bytes;
    if (bytes.size() <= width)
        return bytes;
    if (!IsSingleByteCharset(set))
        return std::string(Utf8LeftBytes(bytes, width));
    bytes.resize(width);
    return bytes;
}

}  // namespace

void MsgBase::BeginHeader()
{
    HeaderCharset = Charset::None;
    TextResolved = false;
}

std::string MsgBase::DecodeHeader(std::string_view stored) const
{
    return DecodeHeaderField(stored, HeaderDecodingSet(), Reading);
}

Charset MsgBase::HeaderDecodingSet() const
{
    return TextResolved ? TextCharset : HeaderCharset;
}

std::string MsgBase::EncodeField(const std::string& utf8, std::size_t width) const
{
    return EncodeCut(utf8, OutgoingSet, width);
}

void MsgBase::ResolveTextCharset(std::string_view wholeText)
{
    Charset declared = Charset::None;
    std::size_t start = 0;
    while (start < wholeText.size() && declared == Charset::None) {
        std::size_t end = wholeText.find('\r', start);
        if (end == std::string_view::npos)
            end = wholeText.size();
        std::string_view line = wholeText.substr(start, end - start);
        while (!line.empty() && (line.front() == '\n' || line.front() == '\0'))
            line.remove_prefix(1);
        if (!line.empty() && line.front() == KludgeMark && IsCharsetKludge(line))
            declared = CharsetOfKludge(line);
        start = end + 1;
    }
    if (declared == Charset::None)
        declared = HeaderCharset;
    TextCharset = ResolveCharset(declared, wholeText, Reading.DefaultIncoming);
    TextResolved = true;
}

std::vector<std::string> MsgBase::StoredFormsOf(std::initializer_list<std::string> names, std::size_t width) const
{
    std::vector<std::string> forms;
    for (const std::string& name : names) {
        if (name.empty())
            continue;
        for (Charset set : {Charset::Cp866, Charset::Utf8, Reading.DefaultIncoming}) {
            std::string form = EncodeCut(name, set, width);
            if (std::find(forms.begin(), forms.end(), form) == forms.end())
                forms.push_back(std::move(form));
        }
    }
    return forms;
}

bool MsgBase::LockBase() { NotInThisFormat("LockBase"); }
bool MsgBase::UnlockBase() { NotInThisFormat("UnlockBase"); }
uint16_t MsgBase::GetBoard() { return 0; }
Num MsgBase::GetDisplayNumber() { return GetNumber(); }
bool MsgBase::LineWasWrapped() { return LastLineWrapped; }
Status MsgBase::HeaderStatus() const { return 0; }

void MsgBase::WriteText(const std::string& text)
{
    for (char byte : EncodeText(text, OutgoingSet).Bytes)
        WriteChar(byte);
}

void MsgBase::WriteLine(const std::string& text)
{
    WriteText(text);
    WriteChar('\r');
}

void MsgBase::WriteKludge(const std::string& line)
{
    WriteLine(line);
}

Status MsgBase::WriteLetter(const LetterHeader& header, const std::vector<std::string>& kludges,
                            const std::vector<std::string>& lines)
{
    StartNewLetter(header);
    for (const std::string& kludge : kludges)
        WriteKludge(kludge);
    for (const std::string& line : lines)
        WriteLine(line);
    return WriteLetter();
}

std::string MsgBase::ReadLine(uint16_t maxLen)
{
    bool previousWrapped = LastLineWrapped;
    LastLineWrapped = true;
    std::string line;
    if (TextEnded())
        return line;

    // In CP866 the byte is the letter Н unless the user reads it as the soft
    // break of old editors; in every other set it is part of a character.
    const bool dropSoftBreaks = TextCharset == Charset::Cp866 && Reading.SoftBreak8D;
    std::size_t wrapCount = 0;   // line length up to and including the last space
    int64_t wrapPos = -1;        // reading position just after that space
    bool ended = false;
    while (line.size() < maxLen) {
        if (TextEnded()) {
            ended = true;
            break;
        }
        char ch = ReadChar();
        if (ch == '\0' && TextEnded()) {
            ended = true;
            break;
        }
        if (ch == '\n' || ch == '\0' || (ch == SoftCarriageReturn && dropSoftBreaks))
            continue;
        if (ch == '\r') {
            LastLineWrapped = false;
            return DecodeAs(line, TextCharset);
        }
        if (ch == ' ') {
            if (line.empty() && previousWrapped) {
                previousWrapped = false;  // one leading blank of a continuation is dropped
                continue;
            }
            line += ch;
            wrapCount = line.size();
            wrapPos = GetTextPos();
            continue;
        }
        line += ch;
    }
    if (!ended && wrapPos >= 0) {
        line.resize(wrapCount);
        SetTextPos(wrapPos);
    } else if (!ended && TextCharset == Charset::Utf8) {
        // A hard cut inside a character: the character starts the next line.
        if (std::size_t tail = UnfinishedUtf8Tail(line); tail > 0 && tail < line.size()) {
            line.resize(line.size() - tail);
            SetTextPos(GetTextPos() - static_cast<int64_t>(tail));
        }
    }
    return DecodeAs(line, TextCharset);
}

std::string MsgBase::ReadPlainLine(uint16_t maxLen)
{
    std::string line = ReadLine(maxLen);
    while (!line.empty() && line[0] == KludgeMark && !TextEnded())
        line = ReadLine(maxLen);
    return line;
}

Num MsgBase::GetHighActiveNumber()
{
    SeekFirst(GetHighNumber());
    if (!SeekFound())
        SeekPrior();
    return SeekFound() ? GetNumber() : 0;
}

#include "tools/DemoPoint.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>

#include "core/MsgIdSerial.h"
#include "core/StringHelpers.h"
#include "core/UserSettings.h"
#include "msgbase/MsgBaseFactory.h"
#include "tools/ToolSupport.h"

namespace fs = std::filesystem;

namespace {

const char* const MarkerName = ".quorvel-demo";
const FidoAddress PointAddress{2, 5020, 1234, 5};

// Addresses of the demo's writers, by name.
FidoAddress AddressOf(const std::string& utf8Name)
{
    if (utf8Name == "Ivan Petrov" || utf8Name == "Иван Петров")
        return PointAddress;
    uint16_t node = static_cast<uint16_t>(100 + utf8Name.size() * 7 % 900);
    return {2, 5020, node, 0};
}

std::string Expand(const char* pattern, const std::string& dir)
{
    return Format(pattern, dir.c_str());
}

// The directory that holds a base: its path follows the format letter and,
// for a Hudson board, the board's three digits.
fs::path BaseDirectory(const std::string& spec)
{
    const std::size_t pathStart = std::toupper(static_cast<unsigned char>(spec.at(0))) == 'H' ? 4 : 1;
    return fs::path(spec.substr(pathStart)).parent_path();
}

// Everything below dir that the demo made, as recorded by the marker.
std::set<std::string> RecordedFiles(const fs::path& dir)
{
    std::set<std::string> files;
    std::ifstream marker(dir / MarkerName);
    for (std::string line; std::getline(marker, line);)
        files.insert(line);
    return files;
}

void RefuseForeignFiles(const fs::path& dir)
{
    if (!fs::exists(dir))
        return;
    std::set<std::string> ours = RecordedFiles(dir);
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_directory())
            continue;
        std::string relative = fs::relative(entry.path(), dir).string();
        if (relative != MarkerName && !ours.count(relative))
            throw ToolError("\"" + dir.string() + "\" holds files the demo did not make (" + relative +
                            "); choose an empty or new directory");
    }
}

void WriteArea(const DemoAreaSpec& area, const std::string& dir, DateTime now)
{
    const std::string spec = Expand(area.BaseSpec, dir);
    std::unique_ptr<MsgBase> base = CreateBaseFor(spec);
    if (!base)
        throw ToolError("no message base format for " + std::string(area.BaseSpec));
    fs::create_directories(BaseDirectory(spec));
    if (!base->BaseExists())
        base->CreateBase(0, 0);
    if (Status status = base->OpenBase(); status != 0)
        throw ToolError("cannot open the demo base " + spec + " (status " + std::to_string(status) + ")");

    std::vector<Num> numbers;
    std::vector<std::string> msgIds;
    for (const DemoLetterSpec& letter : area.Letters) {
        const FidoAddress from = AddressOf(letter.From);
        const DateTime written = now - letter.MinutesAgo / 1440.0;
        const std::string msgId = AddressToText(from) + " " + SerialText(NextMsgIdSerial(written));
        const bool reply = letter.Parent >= 0 && static_cast<std::size_t>(letter.Parent) < numbers.size();

        // Netmail as a tosser leaves it: full addresses, private, no origin line.
        const bool netmail = std::string(area.Tag) == "NETMAIL";
        LetterHeader header;
        header.From = letter.From;
        header.To = letter.To;
        header.Subject = letter.Subject;
        header.Written = std::trunc(written * 1440.0) / 1440.0;
        if (netmail)
            header.Dest = AddressOf(letter.To);
        header.Orig = from;
        header.Flags.Set(LetterFlag::Private, netmail);
        if (reply)
            header.ReplyTo = numbers[static_cast<std::size_t>(letter.Parent)];
        header.Flags.Set(LetterFlag::Read, letter.Read);
        base->SetOutgoingCharset(letter.Utf8 ? Charset::Utf8 : Charset::Cp866);
        base->SetMailType(netmail ? MailNet : MailEcho);
        base->StartNewLetter(header);
        base->WriteKludge("\x01MSGID: " + msgId);
        if (reply)
            base->WriteKludge("\x01REPLY: " + msgIds[static_cast<std::size_t>(letter.Parent)]);
        if (letter.ExtraKludges) {
            base->WriteKludge("\x01PID: DemoEdit 1.0");
            base->WriteKludge("\x01TZUTC: 0300");
        }
        std::string charsetLine = CharsetKludge(base->GetOutgoingCharset());
        charsetLine.insert(0, 1, KludgeMark);  // built in place: GCC 12 warns falsely about char + string here
        base->WriteKludge(charsetLine);
        for (const char* line : letter.Lines)
            base->WriteLine(line);
        base->WriteLine("--- Quorvel 2.00.84");
        if (!netmail)
            base->WriteLine(Format(" * Origin: %s (%s)", area.Origin, AddressToText(from).c_str()));
        if (letter.ExtraKludges) {
            base->WriteLine("SEEN-BY: 5020/1234 5020/9999");
            base->WriteKludge("\x01PATH: 5020/9999 5020/1234");
        }
        if (Status status = base->WriteLetter(); status != 0)
            throw ToolError("cannot write a demo letter into " + spec + " (status " +
                            std::to_string(status) + ")");
        numbers.push_back(base->GetNumber());
        msgIds.push_back(msgId);
    }
    base->CloseBase();
}

}  // namespace

std::string MakeDemoPoint(const std::string& dirText)
{
    const fs::path dir = fs::absolute(dirText);
    RefuseForeignFiles(dir);
    if (fs::exists(dir))
        fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string root = dir.string();

    try {
        std::ofstream areas(dir / "areas.bbs", std::ios::binary);
        areas << "; Areas of the Quorvel demo point, in the tosser's export style\r\n";
        for (const DemoAreaSpec& area : DemoAreas())
            areas << Expand(area.AreasFileWord, root) << " " << area.Tag << "\r\n";
        areas.close();

        const DateTime now = NowWholeMinutes();
        for (const DemoAreaSpec& area : DemoAreas())
            WriteArea(area, root, now);

        std::ofstream marker(dir / MarkerName);
        for (const auto& entry : fs::recursive_directory_iterator(dir))
            if (!entry.is_directory() && entry.path().filename() != MarkerName)
                marker << fs::relative(entry.path(), dir).string() << "\n";
    } catch (...) {
        // Nothing half-made stays behind: the directory holds only what this call wrote.
        fs::remove_all(dir);
        throw;
    }
    return (dir / "areas.bbs").string();
}

bool AdoptDemoUser(const UserSettings& program, Registry& settings)
{
    const std::string user = program.Key() + "\\User";
    std::string name;
    if (settings.ReadString(user, "Name", name) && !name.empty())
        return false;
    settings.CreateKey(user);
    settings.WriteString(user, "Name", "Иван Петров");
    settings.WriteString(user, "MainAddress", AddressToText(PointAddress));
    return true;
}

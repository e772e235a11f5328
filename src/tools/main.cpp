// quorvel-tool: the program's core without its windows, for scripts, tests
// and a quick look at a point's bases. Output is UTF-8, one record a line,
// fields separated by tabs; errors go to stderr with a non-zero exit code.
#include <cstring>
#include <iostream>
#include <map>

#include "core/Exceptions.h"
#include "tools/ToolCommands.h"

namespace {

const char* const Usage =
    "usage: quorvel-tool COMMAND ARGS...\n"
    "  areas AREASFILE [HUDSONPATH]        the areas of an areas file: TAG, BASESPEC\n"
    "  list SPEC                           the letters of one base: NUMBER, REPLYTO, R|U,\n"
    "                                      DATE, FROM, TO, SUBJECT\n"
    "  read SPEC NUMBER [--kludges]        one letter's header and text\n"
    "  post SPEC --from NAME --to NAME --subject TEXT --addr ADDRESS [--reply NUMBER]\n"
    "       [--dest ADDRESS | --netmail] [--charset CP866|UTF-8] < TEXT\n"
    "                                      writes a letter (--reply: an answer to NUMBER) as the\n"
    "                                      editor saves it: the user's template, TEXT where the\n"
    "                                      user types, tear and origin line; prints its number.\n"
    "                                      --dest: netmail from --addr to ADDRESS (no origin\n"
    "                                      line); --netmail with --reply: netmail to the sender;\n"
    "                                      --charset: the letter's character set (else the\n"
    "                                      settings' set, UTF-8 for what does not fit)\n"
    "  mark-read SPEC NUMBER               marks a letter read\n"
    "  mark-all-read SPEC [--timing]       marks every letter read, as leaving an area with\n"
    "                                      \"mark the rest read\" does; prints how many it marked\n"
    "                                      (--timing: seconds loading and marking on stderr)\n"
    "  delete SPEC NUMBER                  deletes a letter\n"
    "    post, mark-read, mark-all-read and delete take [--flag FLAGFILE [--wait SECONDS]]:\n"
    "    while the tosser's flag exists they wait (at most SECONDS, default 300), then give\n"
    "    up (exit 1)\n"
    "  scan AREASFILE [HUDSONPATH] [--flag FLAGFILE] [--progress]\n"
    "                                      scans every area: TAG, UNREAD, TOTAL, STATUS in\n"
    "                                      display order, then TOTAL and the unread sum\n"
    "  tree SPEC [--view unreads|tree|list]\n"
    "                                      one base's letters as a conversation tree\n"
    "  reflow [--width N] [--kludges] < TEXT\n"
    "                                      a letter's text as the reader reflows it (79 characters;\n"
    "                                      --kludges keeps the control lines, shown as ^A)\n"
    "  demo DIR                            makes a demo point in DIR; prints FLAGFILE, AREASFILE, HUDSONDIR\n"
    "  nodelist [FILE...]                  checks nodelists and pointlists: FILE, PATH; FILE, KIND, COUNT\n"
    "                                      for each kind of entry; FILE, bad, COUNT; FILE, bad line,\n"
    "                                      LINE, REASON (a FILE may be a base name: NODELIST finds the\n"
    "                                      newest NODELIST.123, NODELIST.Z23, ...)\n"
    "  lookup QUERY [--nodelist FILE]... [--pointlist FILE]... [--limit N]\n"
    "                                      stations by sysop name, system name or address prefix:\n"
    "                                      ADDRESS, SYSOP, SYSTEM, LOCATION, STATUS, FLAGS\n"
    "    without FILEs both use the lists the settings name\n"
    "SPEC is a base as the areas file gives it: J/path/ru.test, S/path/area,\n"
    "F/path/netmail/, H005/path/to/hudson/\n";

using Command = int (*)(Session&, Args);

const std::map<std::string, Command>& Commands()
{
    static const std::map<std::string, Command> commands = {
        {"areas", CommandAreas}, {"list", CommandList},         {"read", CommandRead},
        {"post", CommandPost},   {"mark-read", CommandMarkRead}, {"delete", CommandDelete},
        {"scan", CommandScan},   {"tree", CommandTree},           {"mark-all-read", CommandMarkAllRead},
        {"demo", CommandDemo},   {"reflow", CommandReflow},
        {"nodelist", CommandNodelist}, {"lookup", CommandLookup},
    };
    return commands;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << Usage;
        return 2;
    }
    auto command = Commands().find(argv[1]);
    if (command == Commands().end()) {
        std::cerr << "quorvel-tool: unknown command " << argv[1] << "\n" << Usage;
        return 2;
    }
    Args args;
    for (int i = 2; i < argc; ++i)
        args.push_back(argv[i]);
    try {
        // The one session of this run: settings at their defaults until a
        // command reads the user's, no tosser flag until one is given.
        Session session;
        return command->second(session, args);
    } catch (const UsageError& e) {
        std::cerr << "quorvel-tool: " << e.what() << "\n" << Usage;
        return 2;
    } catch (const EQuorvel& e) {
        std::cerr << "quorvel-tool: " << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "quorvel-tool: " << e.what() << "\n";
        return 1;
    }
}

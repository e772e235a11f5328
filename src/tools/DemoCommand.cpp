// quorvel-tool demo DIR: a demo point to try the program on.
#include <cstdio>

#include "core/UserSettings.h"
#include "settings/IniSettingsStore.h"
#include "tools/DemoPoint.h"
#include "tools/ToolCommands.h"

int CommandDemo(Session&, Args args)
{
    if (args.size() != 1)
        throw UsageError("demo takes DIR");
    std::string dir = args[0];
    std::string areasFile = MakeDemoPoint(dir);
    std::string root = areasFile.substr(0, areasFile.rfind('/'));
    PrintLine(root + "/toss.flag\t" + areasFile + "\t" + root + "/hudson/");
    // The program's own settings file, under the key the program file
    // "quorvel" names; only a user not set yet is changed.
    UserSettings program;
    program.SetProgramFileName("quorvel");
    IniSettingsStore settings;
    if (AdoptDemoUser(program, settings))
        std::fprintf(stderr, "The user is now the demo's point: Иван Петров, 2:5020/1234.5 "
                             "(Настройки, Пользователь... in Quorvel changes it).\n");
    return 0;
}

// quorvel-tool demo DIR: a demo point to try the program on.
#include "tools/DemoPoint.h"
#include "tools/ToolCommands.h"

int CommandDemo(Args args)
{
    if (args.size() != 1)
        throw UsageError("demo takes DIR");
    std::string dir = args[0];
    std::string areasFile = MakeDemoPoint(dir);
    std::string root = areasFile.substr(0, areasFile.rfind('/'));
    PrintLine(root + "/toss.flag\t" + areasFile + "\t" + root + "/hudson/");
    return 0;
}

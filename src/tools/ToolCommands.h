// The commands of quorvel-tool; each returns the process exit code.
#pragma once

#include "tools/ToolSupport.h"

int CommandAreas(Args args);
int CommandList(Args args);
int CommandRead(Args args);
int CommandPost(Args args);
int CommandMarkRead(Args args);
int CommandDelete(Args args);
int CommandScan(Args args);
int CommandTree(Args args);
int CommandMarkAllRead(Args args);
int CommandDemo(Args args);
int CommandReflow(Args args);
int CommandNodelist(Args args);
int CommandLookup(Args args);

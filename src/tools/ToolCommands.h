// The commands of quorvel-tool; each returns the process exit code.
#pragma once

#include "model/Session.h"
#include "tools/ToolSupport.h"

int CommandAreas(Session& session, Args args);
int CommandList(Session& session, Args args);
int CommandRead(Session& session, Args args);
int CommandPost(Session& session, Args args);
int CommandMarkRead(Session& session, Args args);
int CommandDelete(Session& session, Args args);
int CommandScan(Session& session, Args args);
int CommandTree(Session& session, Args args);
int CommandMarkAllRead(Session& session, Args args);
int CommandDemo(Session& session, Args args);
int CommandReflow(Session& session, Args args);
int CommandNodelist(Session& session, Args args);
int CommandLookup(Session& session, Args args);

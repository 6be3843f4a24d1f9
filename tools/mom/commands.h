#pragma once
// The console's commands. Each takes the words after its name and returns the exit code.

#include <ostream>
#include <string>
#include <vector>

namespace mom_console {

using Words = std::vector<std::string>;

int RunInit(const Words& words, std::ostream& out);
int RunSql(const Words& words, std::ostream& out, std::ostream& err);
int RunRegister(const Words& words, std::ostream& out, bool unregister);
int RunCall(const Words& words, std::ostream& out, std::ostream& err);
// The HTTP service (tools/mom/serve): runs until SIGINT or SIGTERM.
int RunServe(const Words& words, std::ostream& out, std::ostream& err);
int RunDemo(const Words& words, std::ostream& out);
int RunEcn(const Words& words, std::ostream& out);
// so-lines (external false) and ext-lines (true): demand lines as a JSON recordset.
int RunLines(const Words& words, std::ostream& out, bool external);
// The quantity journal: one order's (line's, allocation's, routing line's) changes,
// and the replay that reports counters differing from their journal (exit 1).
int RunHistory(const Words& words, std::ostream& out);
int RunVerify(const Words& words, std::ostream& out, std::ostream& err);

// The help text of one command, or of the console when `command` is empty.
std::string HelpText(const std::string& command);

}  // namespace mom_console

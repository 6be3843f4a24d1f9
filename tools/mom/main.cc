// mom: the integrators' console for the manufacturing-order services.

#include <iostream>
#include <string>
#include <vector>

#include "platform/com/error.h"
#include "tools/mom/commands.h"
#include "tools/mom/console_error.h"

int main(int argc, char** argv) {
  using namespace mom_console;
  std::vector<std::string> words(argv + 1, argv + argc);
  if (words.empty() || words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
    std::string topic = words.size() > 1 ? words[1] : "";
    std::cout << HelpText(topic);
    return words.empty() ? kExitUsage : kExitOk;
  }
  const std::string command = words[0];
  words.erase(words.begin());
  for (const std::string& w : words) {
    if (w == "--help" || w == "-h") {
      std::cout << HelpText(command);
      return kExitOk;
    }
  }
  try {
    if (command == "init") return RunInit(words, std::cout);
    if (command == "sql") return RunSql(words, std::cout, std::cerr);
    if (command == "register") return RunRegister(words, std::cout, false);
    if (command == "unregister") return RunRegister(words, std::cout, true);
    if (command == "call") return RunCall(words, std::cout, std::cerr);
    if (command == "serve") return RunServe(words, std::cout, std::cerr);
    if (command == "demo") return RunDemo(words, std::cout);
    if (command == "ecn") return RunEcn(words, std::cout);
    if (command == "so-lines") return RunLines(words, std::cout, false);
    if (command == "ext-lines") return RunLines(words, std::cout, true);
    if (command == "history") return RunHistory(words, std::cout);
    if (command == "verify") return RunVerify(words, std::cout, std::cerr);
    throw UsageError("unknown command '" + command + "'");
  } catch (const UsageError& e) {
    std::cerr << "mom " << command << ": " << e.what() << "\n(see: mom " << command << " --help)\n";
    return kExitUsage;
  } catch (const com::Error& e) {
    std::cerr << "mom " << command << ": error " << e.number() << ": " << e.description() << "\n";
    return kExitFailure;
  } catch (const std::exception& e) {
    std::cerr << "mom " << command << ": " << e.what() << "\n";
    return kExitFailure;
  }
}

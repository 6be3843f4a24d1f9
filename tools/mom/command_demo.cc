// mom demo [DB]: the roads of the component on a fresh sample database.

#include <unistd.h>

#include <filesystem>

#include "tools/mom/commands.h"
#include "tools/mom/console_error.h"
#include "tools/mom/demo.h"

namespace mom_console {

int RunDemo(const Words& words, std::ostream& out) {
  if (words.size() > 1) throw UsageError("usage: mom demo [DB]");
  std::string path;
  std::filesystem::path temp_dir;
  if (words.empty()) {
    temp_dir = std::filesystem::temp_directory_path() / ("mom-demo-" + std::to_string(::getpid()));
    std::filesystem::create_directories(temp_dir);
    path = (temp_dir / "demo.db").string();
  } else {
    path = words[0];
    if (std::filesystem::exists(path)) throw UsageError(path + " exists; the demo makes a fresh database");
  }

  Demo demo(out, path);
  DemoProductReceipt(demo);
  DemoMaterial(demo);
  DemoMoGeneration(demo);
  out << "\nDone. The database stays at " << path << " for a look: mom sql " << path
      << " \"select * from mom_orderdetail\"\n";
  return kExitOk;
}

}  // namespace mom_console

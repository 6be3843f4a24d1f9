#pragma once
// The demo's narrator: a fresh sample database, a connection on it like a calling
// module's, and clsMOM created through the registry. Each road of the demo is a
// function taking it (demo_*.cc).

#include <ostream>
#include <string>
#include <vector>

#include "platform/ado/connection.h"
#include "platform/com/dispatch.h"
#include "platform/com/ptr.h"

namespace mom_console {

class Demo {
 public:
  // Creates the sample database at `path` (which must not exist).
  Demo(std::ostream& out, const std::string& path);

  void Section(const std::string& title) { out_ << "\n== " << title << " ==\n"; }
  void Say(const std::string& text) { out_ << text << "\n"; }

  // Prints the rows of a query, one line each.
  void Show(const std::string& label, const std::string& sql);
  // The token of a row as callers read it.
  std::string Token(const std::string& table, const std::string& key, int32_t id);
  // Calls an operation late-bound inside a transaction of the caller's, committing
  // when it returns true; prints the result and, on failure, ErrMsg (the argument at
  // err_msg_index). Arguments are passed by reference; Missing ones are omitted.
  bool Call(const std::string& operation, std::vector<com::Variant> args, int err_msg_index);
  // The same, handing back the arguments' final values.
  bool Call(const std::string& operation, std::vector<com::Variant>& args, int err_msg_index, bool keep);

  com::Variant Conn();
  const com::Ptr<ado::Connection>& connection() const { return connection_; }
  const com::Ptr<com::IDispatch>& mom() const { return mom_; }
  const std::string& path() const { return path_; }

 private:
  std::ostream& out_;
  std::string path_;
  com::Ptr<ado::Connection> connection_;
  com::Ptr<com::IDispatch> mom_;
};

// The roads of the demo.
void DemoProductReceipt(Demo& demo);
void DemoMaterial(Demo& demo);
void DemoMoGeneration(Demo& demo);

}  // namespace mom_console

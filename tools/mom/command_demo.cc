// mom demo [DB]: the road of a product receipt on a fresh sample database, as the
// inventory module walks it: it reads a line with its token, calls the component on
// its own connection inside its own transaction, and commits or rolls back.

#include <unistd.h>

#include <filesystem>
#include <iomanip>
#include <initializer_list>

#include "database/manufacturing_db.h"
#include "platform/ado/connection.h"
#include "platform/ado/connection_string.h"
#include "platform/ado/recordset.h"
#include "platform/com/error.h"
#include "platform/com/late_binding.h"
#include "tools/mom/commands.h"
#include "tools/mom/component_host.h"
#include "tools/mom/console_error.h"
#include "tools/mom/json_values.h"

namespace mom_console {

namespace {

class Demo {
 public:
  Demo(std::ostream& out, const std::string& path) : out_(out) {
    database::CreateDatabase(path, /*with_sample=*/true, /*overwrite=*/false);
    out_ << "Sample database: " << path << "\n";
    connection_ = ado::Connection::Create();
    connection_->Open(ado::ConnectionString::ForSqliteFile(path));
    mom_ = CreateClsMom();
  }

  void Section(const std::string& title) { out_ << "\n== " << title << " ==\n"; }
  void Say(const std::string& text) { out_ << text << "\n"; }

  // Prints the rows of a query, one line each.
  void Show(const std::string& label, const std::string& sql) {
    com::Ptr<ado::Recordset> rs = ado::Recordset::Create();
    rs->SetCursorLocation(ado::adUseClient);
    rs->Open(sql, connection_.get());
    Json rows = RecordsetToJson(*rs)["rows"];
    for (const Json& row : rows) out_ << "  " << std::left << std::setw(16) << label << row.dump() << "\n";
  }

  std::string Token(const std::string& table, const std::string& key, int32_t id) {
    com::Ptr<ado::Recordset> rs = ado::Recordset::Create();
    rs->SetCursorLocation(ado::adUseClient);
    rs->Open("select convert(char,convert(money,Krts),2) as Krts from " + table + " where " + key + " = " +
                 std::to_string(id),
             connection_.get());
    return rs->fields().Item("Krts").Value().ToString();
  }

  // Calls an operation late-bound inside a transaction of the caller's, committing
  // when it returns true; prints the result and ErrMsg.
  bool Call(const std::string& operation, std::vector<com::Variant> args, int err_msg_index) {
    std::vector<com::Variant> values = std::move(args);
    std::vector<com::Variant> refs;
    for (com::Variant& v : values) refs.push_back(v.is_missing() ? v : com::Variant::Ref(&v));
    connection_->BeginTrans();
    bool ok = false;
    try {
      ok = com::CallByName(mom_.get(), operation, refs).ToBool();
    } catch (const com::Error& e) {
      connection_->RollbackTrans();
      out_ << "  " << operation << " failed with error " << e.number() << ": " << e.description() << "\n";
      return false;
    }
    if (ok)
      connection_->CommitTrans();
    else
      connection_->RollbackTrans();
    out_ << "  " << operation << " -> " << (ok ? "true (committed)" : "false (rolled back)");
    if (!ok) out_ << ", ErrMsg = \"" << values[err_msg_index].ToString() << "\"";
    out_ << "\n";
    return ok;
  }

  com::Variant Conn() { return com::Variant(com::Ptr<com::IUnknown>(static_cast<com::IUnknown*>(connection_.get()))); }

 private:
  std::ostream& out_;
  com::Ptr<ado::Connection> connection_;
  com::Ptr<com::IDispatch> mom_;
};

}  // namespace

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
  const std::string line_sql =
      "select MoDId, SfcFlag, Qty, QualifiedInQty, convert(char,convert(money,Krts),2) as Krts "
      "from mom_orderdetail where MoDId = ";
  const std::string routing_sql =
      "select MoRoutingDId, LastFlag, CompleteQty, QualifiedQty, convert(char,convert(money,Krts),2) as Krts "
      "from sfc_moroutingdetail where MoRoutingDId = 3003";

  demo.Section("1. Receipt of 10 on MO line 1001 (under shop-floor control)");
  demo.Say("The inventory module reads the line's token and calls MoQtyWrB with \"产品入库\".");
  demo.Show("order line", line_sql + "1001");
  demo.Show("last operation", routing_sql);
  std::string token = demo.Token("mom_orderdetail", "MoDId", 1001);
  const std::string stale_token = token;
  demo.Call("MoQtyWrB",
            {com::Variant(1001), com::Variant(false), com::Variant(10.0), com::Variant("产品入库"), demo.Conn(),
             com::Variant(""), com::Variant(token)},
            5);
  demo.Say("After: the routing's last operation (type 6) and then the order line (type 1) were written.");
  demo.Show("order line", line_sql + "1001");
  demo.Show("last operation", routing_sql);

  demo.Section("2. Receipt of 5 on MO line 1002 (no shop-floor control)");
  demo.Show("order line", line_sql + "1002");
  demo.Call("MoQtyWrB",
            {com::Variant(1002), com::Variant(false), com::Variant(5.0), com::Variant("产品入库"), demo.Conn(),
             com::Variant(""), com::Variant(demo.Token("mom_orderdetail", "MoDId", 1002))},
            5);
  demo.Show("order line", line_sql + "1002");

  demo.Section("3. By-product receipt of 2 on allocation 5007");
  demo.Say("For a by-product the receipt goes to the allocation as a material issue (\"生产领料\").");
  const std::string allocation_sql =
      "select AllocateId, ByproductFlag, Qty, IssQty, convert(char,convert(money,Krts),2) as Krts "
      "from mom_moallocate where AllocateId = 5007";
  demo.Show("allocation", allocation_sql);
  demo.Call("MoQtyWrB",
            {com::Variant(5007), com::Variant(true), com::Variant(2.0), com::Variant("产品入库"), demo.Conn(),
             com::Variant(""), com::Variant(demo.Token("mom_moallocate", "AllocateId", 5007))},
            5);
  demo.Show("allocation", allocation_sql);

  demo.Section("4. A stale token is refused");
  demo.Say("Line 1001 changed in step 1, so the token read before it no longer matches.");
  demo.Call("MoInQtyWrB",
            {com::Variant(1001), com::Variant(1.0), com::Variant("产品入库"), demo.Conn(), com::Variant(stale_token),
             com::Variant("")},
            5);
  demo.Show("order line", line_sql + "1001");

  demo.Section("5. An unaccepted business type is refused before the database is called");
  demo.Call("MoInQtyWrB",
            {com::Variant(1002), com::Variant(1.0), com::Variant("产品入库 "), demo.Conn(), com::Variant(""),
             com::Variant("")},
            5);

  demo.Section("6. An operation move of 3 written back");
  const std::string move_sql =
      "select OpMdId, Qty, convert(char,convert(money,Krts),2) as Krts from sfc_optransformdetail where OpMdId = 4101";
  demo.Show("move line", move_sql);
  demo.Call("OpMoveQtyWrB",
            {com::Variant(4101), com::Variant(3.0), com::Variant("工序转移"), demo.Conn(),
             com::Variant(demo.Token("sfc_optransformdetail", "OpMdId", 4101)), com::Variant("")},
            5);
  demo.Show("move line", move_sql);

  out << "\nDone. The database stays at " << path << " for a look: mom sql " << path
      << " \"select * from mom_orderdetail\"\n";
  return kExitOk;
}

}  // namespace mom_console

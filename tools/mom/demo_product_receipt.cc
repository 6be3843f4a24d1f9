// The road of a product receipt, as the inventory module walks it: it reads a line
// with its token, calls the component on its own connection inside its own
// transaction, and commits or rolls back.

#include "tools/mom/demo.h"

namespace mom_console {

void DemoProductReceipt(Demo& demo) {
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

}

}  // namespace mom_console

#include "bench/pg_raw_generation.h"

#include <cstdio>
#include <string>
#include <vector>

#include "bench/sales_order_set.h"
#include "platform/com/error.h"

namespace mom_bench {

namespace {

struct OpenLine {
  std::string order_id, line_id, qty, item, free1, free2, due;
  bool has_free;
};

void PrepareStatements(PgSession& s) {
  s.Prepare("gen_lines",
            "select m.id, d.isosid, d.iQuantity - d.fMoQuantity, d.cInvCode, d.cFree1, d.cFree2, d.dPreMoDate "
            "from so_somain m join so_sodetails d on d.id = m.id where m.id >= $1 order by m.id, d.isosid");
  s.Prepare("gen_token", "select Krts, cCloser from so_somain where id = $1");
  s.Prepare("gen_part",
            "select PartId from bas_part where InvCode = $1 and coalesce(Free1, '') = coalesce($2, '') and "
            "coalesce(Free2, '') = coalesce($3, '') order by PartId limit 1");
  s.Prepare("gen_demand", "select DemandId from mps_netdemand where SoType = 1 and SoDId = $1");
  s.Prepare("gen_code_used", "select 1 from mom_order where MoCode = $1");
  s.Prepare("gen_bom",
            "select BomId from bom_bom where PartId = $1 and Status = 3 "
            "order by Version collate \"C\" desc, BomId desc limit 1");
  s.Prepare("gen_so",
            "select m.cSOCode, d.iRowNo from so_sodetails d join so_somain m on m.id = d.id "
            "where d.isosid = $1");
  s.Prepare("gen_head",
            "insert into mom_order (MoCode, CreateDate, CreateUser) values ($1, localtimestamp, 'bench') "
            "returning MoId");
  s.Prepare("gen_detail",
            "insert into mom_orderdetail (MoId, SortSeq, MoClass, PartId, InvCode, BomId, Qty, Status, SoType, "
            "SoDId, SoCode, SoSeq, DueDate, StartDate, Free1, Free2) "
            "values ($1, 1, 1, $2, $3, $4, $5, 1, 1, $6, $7, $8, $9, localtimestamp, $10, $11) returning MoDId");
  s.Prepare("gen_allocate",
            "insert into mom_moallocate (MoDId, SortSeq, OpSeq, ComponentId, InvCode, BaseQtyN, BaseQtyD, "
            "ParentScrap, CompScrap, FVFlag, ByproductFlag, WIPType, WhCode, Qty, StartDemDate, EndDemDate, "
            "\"offset\", OpComponentId) "
            "select $1, c.SortSeq, c.OpSeq, c.ComponentId, p.InvCode, c.BaseQtyN, c.BaseQtyD, b.ParentScrap, "
            "c.CompScrap, c.FVFlag, c.ByproductFlag, c.WIPType, c.WhCode, "
            "round(case when c.FVFlag = 1 then $2::numeric * c.BaseQtyN / c.BaseQtyD * (1 + b.ParentScrap / 100.0) "
            "else c.BaseQtyN / c.BaseQtyD end * (1 + c.CompScrap / 100.0), 6), localtimestamp, $3, c.\"offset\", "
            "c.OpComponentId from bom_opcomponent c join bom_bom b on b.BomId = c.BomId "
            "join bas_part p on p.PartId = c.ComponentId where c.BomId = $4 order by c.SortSeq, c.OpComponentId");
  s.Prepare("gen_numbering", "update sys_doccode set NextNumber = $1 where DocType = 'MO21' and NextNumber < $1");
  s.Prepare("gen_so_written",
            "update so_sodetails set fMoQuantity = round(fMoQuantity + $1::numeric, 6) where isosid = $2");
}

std::vector<OpenLine> ReadOpenLines(PgSession& s) {
  const std::string first = std::to_string(kFirstSalesOrderId);
  PgResult rows = s.Run("gen_lines", {first.c_str()});
  std::vector<OpenLine> lines;
  lines.reserve(PQntuples(rows.get()));
  auto text = [&](int row, int column) {
    const char* value = PgText(rows, row, column);
    return value ? std::string(value) : std::string();
  };
  for (int row = 0; row < PQntuples(rows.get()); ++row)
    lines.push_back({text(row, 0), text(row, 1), text(row, 2), text(row, 3), text(row, 4), text(row, 5), text(row, 6),
                     PgText(rows, row, 4) != nullptr});
  return lines;
}

// The first value of a lookup the data set guarantees; its absence means the database
// is not the benchmark's.
const char* Found(const PgResult& result, const char* what) {
  if (PQntuples(result.get()) == 0) throw com::Error(kErrPostgresRefused, std::string("no ") + what + " found");
  return PQgetvalue(result.get(), 0, 0);
}

}  // namespace

int PgRawGenerateFromSalesOrders(PgSession& s) {
  PrepareStatements(s);
  const std::vector<OpenLine> lines = ReadOpenLines(s);
  std::string last_order;
  int number = 1;
  int generated = 0;
  for (const OpenLine& l : lines) {
    s.Execute("BEGIN");
    if (l.order_id != last_order) {
      last_order = l.order_id;
      s.Run("gen_token", {l.order_id.c_str()});
    }
    const char* free1 = l.has_free ? l.free1.c_str() : nullptr;
    const char* free2 = l.has_free ? l.free2.c_str() : nullptr;
    PgResult part = s.Run("gen_part", {l.item.c_str(), free1, free2});
    s.Run("gen_demand", {l.line_id.c_str()});
    char code[16];
    std::snprintf(code, sizeof code, "MO%06d", number++);
    s.Run("gen_code_used", {code});
    const char* part_id = Found(part, "part");
    PgResult bom = s.Run("gen_bom", {part_id});
    const char* bom_id = Found(bom, "valid bill");
    PgResult so = s.Run("gen_so", {l.line_id.c_str()});
    PgResult head = s.Run("gen_head", {code});
    PgResult detail = s.Run("gen_detail", {PQgetvalue(head.get(), 0, 0), part_id, l.item.c_str(), bom_id, l.qty.c_str(),
                                           l.line_id.c_str(), PQgetvalue(so.get(), 0, 0), PQgetvalue(so.get(), 0, 1),
                                           l.due.empty() ? nullptr : l.due.c_str(), free1, free2});
    s.Run("gen_allocate",
          {PQgetvalue(detail.get(), 0, 0), l.qty.c_str(), l.due.empty() ? nullptr : l.due.c_str(), bom_id});
    const std::string next = std::to_string(number);
    s.Run("gen_numbering", {next.c_str()});
    s.Run("gen_so_written", {l.qty.c_str(), l.line_id.c_str()});
    s.Execute("COMMIT");
    ++generated;
  }
  return generated;
}

}  // namespace mom_bench

#include "suite/ecn_apply_server.h"

#include <cmath>

#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "platform/ado/text.h"
#include "platform/com/error.h"
#include "suite/current_login.h"
#include "suite/ecn_apply_fit.h"

namespace suite {

namespace {

constexpr const char* kHeadColumns =
    "ApplyId, DocCode, DocDate, Grade, GradeDesc, ReasonDesc, EmplName, DeptName, PlanAuditDate, PlanReleaseDate, "
    "Define1, Define2, Define3, Define4, Define5, Define6, Define7, Define8, Define9, Define10, Define11, Define12, "
    "Define13, Define14, Define15, Define16";

std::string DateLiteral(com::Date d) { return "'" + com::FormatDateTime(d) + "'"; }

std::string XmlEscaped(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// Runs `sql` on the current login's database and writes every row as a <table> element,
// each value fitted to the field of `layout` it goes into.
template <size_t N>
std::string DataSet(const std::string& sql, const std::string& table, const std::array<ApplyField, N>& layout) {
  std::string connection_string = CurrentLoginConnectionString();
  if (connection_string.empty())
    throw com::Error(com::kErrAutomation, "没有当前登录: the host has not set the current login's KrDbName");
  com::Ptr<ado::Connection> cn = ado::Connection::Create();
  cn->Open(connection_string);
  com::Ptr<ado::Recordset> rs = ado::Recordset::Create();
  rs->SetCursorLocation(ado::adUseClient);
  rs->Open(sql, cn.get(), ado::adOpenForwardOnly, ado::adLockReadOnly);
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<NewDataSet xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n";
  for (; !rs->Eof(); rs->MoveNext()) {
    xml += "  <" + table + ">\n";
    for (int32_t i = 0; i < rs->fields().Count(); ++i) {
      const ado::Field& f = rs->fields().Item(i);
      std::optional<std::string> text = FitToField(f.Value(), layout.at(static_cast<size_t>(i)));
      if (!text)
        xml += "    <" + f.Name() + " xsi:nil=\"true\"/>\n";
      else
        xml += "    <" + f.Name() + ">" + XmlEscaped(*text) + "</" + f.Name() + ">\n";
    }
    xml += "  </" + table + ">\n";
  }
  xml += "</NewDataSet>\n";
  rs->Close();
  cn->Close();
  return xml;
}

}  // namespace

std::string SqlLiteral(const std::string& text) { return ado::QuoteLiteral(text); }

std::string ApplyHeadSql(const std::string& start_code, const std::string& end_code, com::Date start_date,
                         com::Date end_date, const std::string& applicant, int32_t grade) {
  // The end date counts as a whole day.
  com::Date end_exclusive{std::floor(end_date.days) + 1};
  std::string in_range =
      "PlanReleaseDate >= " + DateLiteral(start_date) + " and PlanReleaseDate < " + DateLiteral(end_exclusive);
  // The whole range is what the dialog asks for when both date boxes are empty: then a
  // head without a planned release date is wanted too.
  if (start_date.days <= kWholeRangeStart.days && end_date.days >= kWholeRangeEnd.days)
    in_range = "(PlanReleaseDate is null or " + in_range + ")";
  std::string sql = std::string("select ") + kHeadColumns + " from ecn_ecnapply where DocCode >= " +
                    SqlLiteral(start_code) + " and DocCode <= " + SqlLiteral(end_code) + " and " + in_range;
  if (!applicant.empty())
    sql += " and (EmplCode = " + SqlLiteral(applicant) + " or EmplName = " + SqlLiteral(applicant) + ")";
  if (grade >= 0) sql += " and Grade = " + SqlLiteral(std::to_string(grade));
  return sql + " order by DocCode";
}

std::string ApplyBodySql(int32_t apply_id, int32_t ecn_type) {
  std::string sql =
      "select d.ApplyDId, d.SortSeq, d.NewFlag, d.Version, d.VersionDesc, d.VersionEffDate, d.IdentCode, "
      "d.IdentDesc, d.InvCode, i.cInvName, i.cInvStd, d.Free1, d.Free2, d.Free3, d.Free4, d.Free5, d.Free6, "
      "d.Free7, d.Free8, d.Free9, d.Free10, i.cInvAddCode, i.cInvDefine1, i.cInvDefine2, i.cInvDefine3, "
      "i.cInvDefine4, i.cInvDefine5, i.cInvDefine6, i.cInvDefine7, i.cInvDefine8, i.cInvDefine9, i.cInvDefine10, "
      "i.cInvDefine11, i.cInvDefine12, i.cInvDefine13, i.cInvDefine14, i.cInvDefine15, i.cInvDefine16 "
      "from ecn_ecnapplydetail d left join Inventory i on i.cInvCode = d.InvCode where d.ApplyId = " +
      std::to_string(apply_id);
  if (ecn_type > 0) sql += " and d.EcnType = " + std::to_string(ecn_type);
  return sql + " order by d.SortSeq";
}

EcnApplyServer::EcnApplyServer() : AutomationObject("IEcnApplyServer", kIidEcnApplyServer) {
  AddMember({"GetApplyHead",
             kDispIdGetApplyHead,
             com::InvokeKind::Method,
             {com::RefParam("cSCode", com::VarType::String), com::RefParam("cECode", com::VarType::String),
              com::RefParam("dSDate", com::VarType::Date), com::RefParam("dEDate", com::VarType::Date),
              com::RefParam("cEmpl", com::VarType::String), com::InParam("iGrade", com::VarType::I4),
              com::RefParam("cData", com::VarType::String)},
             com::VarType::I4},
            [](std::span<com::Variant> args) {
              args[6] = com::Variant(DataSet(ApplyHeadSql(args[0].ToString(), args[1].ToString(), args[2].ToDate(),
                                                          args[3].ToDate(), args[4].ToString(), args[5].ToI4()),
                                             "ApplyHead", kApplyHeadFields));
              return com::Variant(int32_t{1});
            });
  AddMember({"GetApplyBody",
             kDispIdGetApplyBody,
             com::InvokeKind::Method,
             {com::InParam("iApplyId", com::VarType::I4), com::InParam("iEcnType", com::VarType::I4),
              com::RefParam("cData", com::VarType::String)},
             com::VarType::I4},
            [](std::span<com::Variant> args) {
              args[2] = com::Variant(DataSet(ApplyBodySql(args[0].ToI4(), args[1].ToI4()), "ApplyBody", kApplyBodyFields));
              return com::Variant(int32_t{1});
            });
}

}  // namespace suite

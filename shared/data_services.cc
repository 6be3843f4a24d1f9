#include "shared/data_services.h"

#include "platform/ado/recordset.h"
#include "platform/com/creation.h"
#include "platform/com/late_binding.h"

namespace mom::XMLRSData {

namespace {

size_t Utf8Length(const std::string& s) {
  size_t n = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

std::string Captions(ConnectionRef& cn, const char* sql) {
  com::Ptr<ado::Recordset> rs = ado::Recordset::Create();
  rs->SetCursorLocation(ado::adUseClient);
  rs->Open(sql, cn.get(), ado::adOpenForwardOnly, ado::adLockReadOnly);
  std::string result;
  for (; !rs->Eof(); rs->MoveNext()) {
    std::string name = rs->fields().Item("Name").Value().ToString();  // Null raises 94
    size_t length = Utf8Length(name);
    if (length < 10) name.append(10 - length, ' ');
    result += "|<" + name + "  ";
  }
  return result;
}

}  // namespace

void FillRecordset(RecordsetRef& rs, std::string& data, std::string& table_name, com::Variant& first_fields,
                   com::Variant& second_fields) {
  com::Ptr<com::IDispatch> server = com::CreateObject("REREVORU.clsDsToRs");
  com::Variant rs_arg(com::Ptr<com::IUnknown>(static_cast<com::IUnknown*>(rs.get())));
  com::Variant data_arg(data), table_arg(table_name);
  com::Variant args[] = {com::Variant::Ref(&rs_arg), com::Variant::Ref(&data_arg), com::Variant::Ref(&table_arg),
                         com::Variant::Ref(&first_fields), com::Variant::Ref(&second_fields)};
  com::CallByName(server.get(), "Fill", args);
  data = data_arg.ToString();
  table_name = table_arg.ToString();
  rs = rs_arg.ToObject<ado::Recordset>();
}

std::string GetFreeCaptions(ConnectionRef& cn) {
  return Captions(cn,
                  "select coalesce(cItemName, cItem) as Name from UserDef where cID in ('20', '21', '28', '29', "
                  "'30', '31', '32', '33', '34', '35')");
}

std::string GetDefineCaptions(ConnectionRef& cn) {
  return Captions(cn,
                  "select coalesce(cItemName, cItem) as Name from UserDef where cID in ('01', '02', '03', '04', "
                  "'05', '06', '07', '08', '09', '10', '36', '37', '38', '39', '40', '41')");
}

com::Date GetServerDate(ConnectionRef& cn) {
  com::Ptr<ado::Recordset> rs = ado::Recordset::Create();
  rs->SetCursorLocation(ado::adUseClient);
  rs->Open("select getdate() as Date", cn.get());
  return rs->fields().Item("Date").Value().ToDate();
}

}  // namespace mom::XMLRSData

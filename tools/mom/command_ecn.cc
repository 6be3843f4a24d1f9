// mom ecn DB [--type N] [--screenshot FILE]

#include <charconv>
#include <cstdlib>
#include <QGuiApplication>
#include <nlohmann/json.hpp>

#include "ecn/ecn_apply_change_ref.h"
#include "ecn/ecn_apply_change_ref_dialog.h"
#include "platform/ado/connection.h"
#include "platform/com/error.h"
#include "platform/com/late_binding.h"
#include "suite/qt_host.h"
#include "tools/mom/commands.h"
#include "tools/mom/component_host.h"
#include "tools/mom/console_error.h"
#include "tools/mom/database_target.h"

namespace mom_console {

int RunEcn(const Words& words, std::ostream& out) {
  std::string db, screenshot;
  int16_t ecn_type = 0;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (w == "--type" || w == "--screenshot") {
      if (i + 1 >= words.size()) throw UsageError(w + " needs a value");
      const std::string& value = words[++i];
      if (w == "--screenshot") {
        screenshot = value;
      } else {
        auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), ecn_type);
        if (ec != std::errc() || ptr != value.data() + value.size())
          throw UsageError("--type: expected a 16-bit integer, got '" + value + "'");
      }
    } else if (w.rfind("--", 0) == 0) {
      throw UsageError("unknown option " + w);
    } else if (db.empty()) {
      db = w;
    } else {
      throw UsageError("unexpected argument '" + w + "'");
    }
  }
  if (db.empty()) throw UsageError("usage: mom ecn DB [--type N] [--screenshot FILE]");
  DatabaseTarget target = ExistingDatabase(db);

  EnsureRegistered();
  const char* env_user = std::getenv("USER");
  com::Ptr<com::IDispatch> login = CreateLogin(target.connection_string, env_user && *env_user ? env_user : "admin", "001");
  com::Ptr<ado::Connection> cn = ado::Connection::Create();
  cn->Open(target.connection_string);

  nlohmann::ordered_json output;
  try {
    int32_t ApplyDId = 0, SortSeq = 0, result = 0;
    std::string DocCode;
    if (screenshot.empty()) {
      // A window nobody can see would wait for ever.
      suite::EnsureGuiApplication();
      if (!suite::PlatformShowsWindows())
        throw com::Error(com::kErrAutomation,
                         "无法显示窗口：图形平台“" + QGuiApplication::platformName().toStdString() +
                             "”不在屏幕上显示窗口，对话框没有人能回答。请在桌面上运行，或用 --screenshot FILE 取图。");
      // As the suite's modules call it: clsMOM from the registry, late-bound.
      com::Ptr<com::IDispatch> mom = CreateClsMom();
      com::Variant a_login(login), a_type(ecn_type),
          a_cn(com::Ptr<com::IUnknown>(static_cast<com::IUnknown*>(cn.get()))), a_id(int32_t{0}),
          a_code{std::string()}, a_seq(int32_t{0});
      com::Variant args[] = {com::Variant::Ref(&a_login), com::Variant::Ref(&a_type), com::Variant::Ref(&a_cn),
                             com::Variant::Ref(&a_id),    com::Variant::Ref(&a_code), com::Variant::Ref(&a_seq)};
      result = com::CallByName(mom.get(), "EcnApplyChangeRef", args).ToI4();
      ApplyDId = a_id.ToI4();
      DocCode = a_code.ToString();
      SortSeq = a_seq.ToI4();
    } else {
      // The same dialog, filtered on the boxes as they open and pictured instead of shown.
      mom::ObjectRef login_ref = login;
      result = mom::ecn::EcnApplyChangeRef(
          login_ref, ecn_type, cn, ApplyDId, DocCode, SortSeq,
          [&](mom::ecn::frmEcnApplyChangeRef& form) { mom::ecn::SaveEcnApplyChangeRefScreenshot(form, screenshot); });
      output["screenshot"] = screenshot;
    }
    output["ApplyDId"] = ApplyDId;
    output["DocCode"] = DocCode;
    output["SortSeq"] = SortSeq;
    output["result"] = result;
  } catch (const com::Error& e) {
    output["error"] = {{"number", e.number()}, {"description", e.description()}};
    out << output.dump() << "\n";
    return kExitOperationError;
  }
  out << output.dump() << "\n";
  return kExitOk;
}

}  // namespace mom_console

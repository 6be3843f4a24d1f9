// The Python module mom: late binding to the component and the suite's servers, and the
// data layer's connections and recordsets.

#include <pybind11/pybind11.h>

#include "database/data_layer_hooks.h"
#include "python/bridge_ado.h"
#include "python/bridge_dispatch.h"
#include "python/bridge_errors.h"

PYBIND11_MODULE(mom, module) {
  module.doc() =
      "Manufacturing-order services from Python: CreateObject(progid) for late-bound objects "
      "(KRZ7DEVUZIda.clsMOM and the suite's servers), Connection and Recordset of the data layer, "
      "Ref for by-reference arguments, Error for every failure.";
  // The manufacturing database's procedures and catalog, for connections opened here
  // before any object of the component is created.
  database::RegisterWithDataLayer();
  mom_python::DefineErrors(module);
  mom_python::DefineDispatch(module);
  mom_python::DefineAdo(module);
}

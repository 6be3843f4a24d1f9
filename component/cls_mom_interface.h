#pragma once
// _clsMOM: the default interface of clsMOM, for early-bound callers. Operations are in
// slot order. Every argument is by reference except cFrom; the last parameter is the
// result. Optional parameters may be passed as null pointers: they then take their
// declared defaults (text "", date 0, the flags as documented per operation).
//
// Trapping operations report failure as result false with the text in ErrMsg and
// return S_OK; MoQtyWrB, MoQtyWrBfromQc and EcnApplyChangeRef return a failed status
// with error info when a step of their own fails.

#include <cstdint>
#include <string>

#include "component/identity.h"
#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "platform/com/dispatch.h"
#include "platform/com/ptr.h"

namespace mom {

// Automation flag: true is -1, false 0; any non-zero value reads as true.
using VariantBool = int16_t;
inline constexpr VariantBool kVariantTrue = -1;
inline constexpr VariantBool kVariantFalse = 0;

using ConnectionRef = com::Ptr<ado::Connection>;
using RecordsetRef = com::Ptr<ado::Recordset>;
using ObjectRef = com::Ptr<com::IDispatch>;

struct _clsMOM : com::IDispatch {
  using Base = com::IDispatch;
  static constexpr com::Guid kIid = mom::kIid;
  static constexpr com::Guid kAliasIid = mom::kIidEarlier;

  virtual com::HResult PushMoFromSo(ObjectRef* ClsLogin, std::string* MoCode, RecordsetRef* SoRs,
                                    std::string* ErrMsg, std::string cFrom, VariantBool* result) = 0;
  virtual com::HResult OpMoveQtyWrB(int32_t* iOpMdId, double* fNetChgQty, std::string* cBusType,
                                    ConnectionRef* oConn, std::string* Krts, std::string* ErrMsg,
                                    VariantBool* result) = 0;
  // isChk: default true.
  virtual com::HResult MoInQtyWrB(int32_t* iMoDId, double* fNetChgQty, std::string* cBusType, ConnectionRef* oConn,
                                  std::string* Krts, std::string* ErrMsg, com::Date* CurDate, VariantBool* isChk,
                                  VariantBool* result) = 0;
  // isChk: default false.
  virtual com::HResult MoQtyWrBfromQc(int32_t* iCompletedId, int32_t* iMoAllocateId, double* fNetChgQty,
                                      std::string* cBusType, ConnectionRef* oConn, std::string* ErrMsg,
                                      VariantBool* isChk, VariantBool* result) = 0;
  virtual com::HResult STPullfromMORM(ObjectRef* ClsLogin, int32_t* MoAllocateId, double* PQty, double* CQty,
                                      std::string* ErrMsg, VariantBool* result) = 0;
  virtual com::HResult STPullfromMORP(ObjectRef* ClsLogin, int32_t* MoAllocateId, double* SQty, double* PQty,
                                      std::string* ErrMsg, VariantBool* result) = 0;
  virtual com::HResult MORMOutQtyWrB(int32_t* MoAllocateId, double* fNetChgQty, std::string* cBusType,
                                     VariantBool* bChk, ConnectionRef* oConn, std::string* ErrMsg, std::string* Krts,
                                     VariantBool* result) = 0;
  virtual com::HResult GetBFRds(ConnectionRef* oConn, int32_t* moDId, double* NetChgQty, RecordsetRef* BillListRs,
                                VariantBool* bCheck, std::string* ErrMsg, VariantBool* result) = 0;
  // isChk: default false.
  virtual com::HResult MoQtyWrB(int32_t* iMoDId, VariantBool* bBPFlag, double* fNetChgQty, std::string* cBusType,
                                ConnectionRef* oConn, std::string* ErrMsg, std::string* Krts, com::Date* CurDate,
                                VariantBool* isChk, VariantBool* result) = 0;
  virtual com::HResult MoRoutingWrB(int32_t* MoRoutingDId, double* fNetChgQty, ConnectionRef* oConn,
                                    std::string* ErrMsg, std::string* Krts, VariantBool* result) = 0;
  virtual com::HResult EcnApplyChangeRef(ObjectRef* ClsLogin, int16_t* EcnType, ConnectionRef* cn, int32_t* ApplyDId,
                                         std::string* DocCode, int32_t* SortSeq, int32_t* result) = 0;

 protected:
  ~_clsMOM() = default;
};

}  // namespace mom

#include "component/cls_mom.h"

#include "component/call_convention.h"
#include "ecn/ecn_apply_change_ref.h"
#include "material/backflush.h"
#include "material/stock_pull.h"
#include "mogen/push_mo.h"
#include "writeback/composite_writebacks.h"
#include "writeback/single_writebacks.h"

namespace mom {

namespace {

template <class T>
T ValueOr(const T* p, T fallback) {
  return p ? *p : fallback;
}

}  // namespace

com::HResult ClsMom::PushMoFromSo(ObjectRef* ClsLogin, std::string* MoCode, RecordsetRef* SoRs,
                                  std::string* ErrMsg, std::string cFrom, VariantBool* result) {
  if (com::HResult hr = CheckCall(apartment_, ClsLogin, MoCode, SoRs, ErrMsg, result); com::Failed(hr)) return hr;
  // The generation paths trap their own errors (see mogen/push_mo.h).
  *result = mogen::PushMoFromSo(*ClsLogin, *MoCode, *SoRs, *ErrMsg, cFrom);
  return com::S_OK;
}

com::HResult ClsMom::OpMoveQtyWrB(int32_t* iOpMdId, double* fNetChgQty, std::string* cBusType, ConnectionRef* oConn,
                                  std::string* Krts, std::string* ErrMsg, VariantBool* result) {
  // cBusType is required but not read: every business type gives the same call.
  if (com::HResult hr = CheckCall(apartment_, iOpMdId, fNetChgQty, cBusType, oConn, Krts); com::Failed(hr)) return hr;
  return Trapping(apartment_, ErrMsg, result, [&] {
    writeback::OpMoveQtyWrB(*iOpMdId, *fNetChgQty, *oConn, *Krts);
    return true;
  });
}

com::HResult ClsMom::MoInQtyWrB(int32_t* iMoDId, double* fNetChgQty, std::string* cBusType, ConnectionRef* oConn,
                                std::string* Krts, std::string* ErrMsg, com::Date* CurDate, VariantBool* isChk,
                                VariantBool* result) {
  if (com::HResult hr = CheckCall(apartment_, iMoDId, fNetChgQty, cBusType, oConn, Krts); com::Failed(hr)) return hr;
  return Trapping(apartment_, ErrMsg, result, [&] {
    writeback::MoInQtyWrB(*iMoDId, *fNetChgQty, *cBusType, *oConn, *Krts, ValueOr(CurDate, com::Date{0}),
                          ValueOr(isChk, kVariantTrue) != 0);
    return true;
  });
}

com::HResult ClsMom::MoQtyWrBfromQc(int32_t* iCompletedId, int32_t* iMoAllocateId, double* fNetChgQty,
                                    std::string* cBusType, ConnectionRef* oConn, std::string* ErrMsg,
                                    VariantBool* isChk, VariantBool* result) {
  VariantBool check = ValueOr(isChk, kVariantFalse);
  if (com::HResult hr = CheckCall(apartment_, iCompletedId, iMoAllocateId, fNetChgQty, cBusType, oConn, ErrMsg, result);
      com::Failed(hr))
    return hr;
  return NonTrapping(apartment_, [&] {
    *result = writeback::MoQtyWrBfromQc(*this, *iCompletedId, *iMoAllocateId, *fNetChgQty, *cBusType, *oConn,
                                        *ErrMsg, isChk ? *isChk : check);
  });
}

com::HResult ClsMom::STPullfromMORM(ObjectRef* ClsLogin, int32_t* MoAllocateId, double* PQty, double* CQty,
                                    std::string* ErrMsg, VariantBool* result) {
  if (com::HResult hr = CheckCall(apartment_, ClsLogin, MoAllocateId, PQty, CQty); com::Failed(hr)) return hr;
  return Trapping(apartment_, ErrMsg, result,
                  [&] { return material::STPullfromMORM(*ClsLogin, *MoAllocateId, *PQty, *CQty); });
}

com::HResult ClsMom::STPullfromMORP(ObjectRef* ClsLogin, int32_t* MoAllocateId, double* SQty, double* PQty,
                                    std::string* ErrMsg, VariantBool* result) {
  if (com::HResult hr = CheckCall(apartment_, ClsLogin, MoAllocateId, SQty, PQty); com::Failed(hr)) return hr;
  return Trapping(apartment_, ErrMsg, result,
                  [&] { return material::STPullfromMORP(*ClsLogin, *MoAllocateId, *SQty, *PQty); });
}

com::HResult ClsMom::MORMOutQtyWrB(int32_t* MoAllocateId, double* fNetChgQty, std::string* cBusType,
                                   VariantBool* bChk, ConnectionRef* oConn, std::string* ErrMsg, std::string* Krts,
                                   VariantBool* result) {
  if (com::HResult hr = CheckCall(apartment_, MoAllocateId, fNetChgQty, cBusType, bChk, oConn); com::Failed(hr))
    return hr;
  return Trapping(apartment_, ErrMsg, result, [&] {
    writeback::MORMOutQtyWrB(*MoAllocateId, *fNetChgQty, *cBusType, *bChk != 0, *oConn,
                             Krts ? *Krts : std::string());
    return true;
  });
}

com::HResult ClsMom::GetBFRds(ConnectionRef* oConn, int32_t* moDId, double* NetChgQty, RecordsetRef* BillListRs,
                              VariantBool* bCheck, std::string* ErrMsg, VariantBool* result) {
  // bCheck is required but not used.
  if (com::HResult hr = CheckCall(apartment_, oConn, moDId, NetChgQty, BillListRs, bCheck, ErrMsg, result);
      com::Failed(hr))
    return hr;
  // Creating the empty bill list is outside the trap; the rest traps itself.
  return NonTrapping(apartment_,
                     [&] { *result = material::GetBFRds(*oConn, *moDId, *NetChgQty, *BillListRs, *ErrMsg); });
}

com::HResult ClsMom::MoQtyWrB(int32_t* iMoDId, VariantBool* bBPFlag, double* fNetChgQty, std::string* cBusType,
                              ConnectionRef* oConn, std::string* ErrMsg, std::string* Krts, com::Date* CurDate,
                              VariantBool* isChk, VariantBool* result) {
  com::Date date = ValueOr(CurDate, com::Date{0});
  VariantBool check = ValueOr(isChk, kVariantFalse);
  if (com::HResult hr = CheckCall(apartment_, iMoDId, bBPFlag, fNetChgQty, cBusType, oConn, ErrMsg, Krts, result);
      com::Failed(hr))
    return hr;
  return NonTrapping(apartment_, [&] {
    *result = writeback::MoQtyWrB(*this, *iMoDId, *bBPFlag, *fNetChgQty, *cBusType, *oConn, *ErrMsg, *Krts,
                                  CurDate ? *CurDate : date, isChk ? *isChk : check);
  });
}

com::HResult ClsMom::MoRoutingWrB(int32_t* MoRoutingDId, double* fNetChgQty, ConnectionRef* oConn,
                                  std::string* ErrMsg, std::string* Krts, VariantBool* result) {
  if (com::HResult hr = CheckCall(apartment_, MoRoutingDId, fNetChgQty, oConn); com::Failed(hr)) return hr;
  return Trapping(apartment_, ErrMsg, result, [&] {
    writeback::MoRoutingWrB(*MoRoutingDId, *fNetChgQty, *oConn, Krts ? *Krts : std::string());
    return true;
  });
}

com::HResult ClsMom::EcnApplyChangeRef(ObjectRef* ClsLogin, int16_t* EcnType, ConnectionRef* cn, int32_t* ApplyDId,
                                       std::string* DocCode, int32_t* SortSeq, int32_t* result) {
  if (com::HResult hr = CheckCall(apartment_, ClsLogin, EcnType, cn, ApplyDId, DocCode, SortSeq, result);
      com::Failed(hr))
    return hr;
  return NonTrapping(apartment_, [&] {
    *result = ecn::EcnApplyChangeRef(*ClsLogin, *EcnType, *cn, *ApplyDId, *DocCode, *SortSeq);
  });
}

}  // namespace mom

#include "component/cls_mom.h"

#include "component/call_convention.h"
#include "writeback/composite_writebacks.h"
#include "writeback/single_writebacks.h"

namespace mom {

namespace {

// Operations that later work adds; until then they fail cleanly.
constexpr char kNotYetAvailable[] = "此功能在本版本中尚未提供";

template <class T>
T ValueOr(const T* p, T fallback) {
  return p ? *p : fallback;
}

}  // namespace

com::HResult ClsMom::PushMoFromSo(ObjectRef*, std::string*, RecordsetRef*, std::string* ErrMsg, std::string,
                                  VariantBool* result) {
  return Trapping(apartment_, ErrMsg, result, []() -> bool { throw com::Error(com::kErrAutomation, kNotYetAvailable); });
}

com::HResult ClsMom::OpMoveQtyWrB(int32_t* iOpMdId, double* fNetChgQty, std::string* cBusType, ConnectionRef* oConn,
                                  std::string* Krts, std::string* ErrMsg, VariantBool* result) {
  (void)cBusType;  // accepted and not read: every business type gives the same call
  return Trapping(apartment_, ErrMsg, result, [&] {
    writeback::OpMoveQtyWrB(*iOpMdId, *fNetChgQty, *oConn, *Krts);
    return true;
  });
}

com::HResult ClsMom::MoInQtyWrB(int32_t* iMoDId, double* fNetChgQty, std::string* cBusType, ConnectionRef* oConn,
                                std::string* Krts, std::string* ErrMsg, com::Date* CurDate, VariantBool* isChk,
                                VariantBool* result) {
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
  return NonTrapping(apartment_, [&] {
    *result = writeback::MoQtyWrBfromQc(*this, *iCompletedId, *iMoAllocateId, *fNetChgQty, *cBusType, *oConn,
                                        *ErrMsg, isChk ? *isChk : check);
  });
}

com::HResult ClsMom::STPullfromMORM(ObjectRef*, int32_t*, double*, double*, std::string* ErrMsg,
                                    VariantBool* result) {
  return Trapping(apartment_, ErrMsg, result, []() -> bool { throw com::Error(com::kErrAutomation, kNotYetAvailable); });
}

com::HResult ClsMom::STPullfromMORP(ObjectRef*, int32_t*, double*, double*, std::string* ErrMsg,
                                    VariantBool* result) {
  return Trapping(apartment_, ErrMsg, result, []() -> bool { throw com::Error(com::kErrAutomation, kNotYetAvailable); });
}

com::HResult ClsMom::MORMOutQtyWrB(int32_t* MoAllocateId, double* fNetChgQty, std::string* cBusType,
                                   VariantBool* bChk, ConnectionRef* oConn, std::string* ErrMsg, std::string* Krts,
                                   VariantBool* result) {
  return Trapping(apartment_, ErrMsg, result, [&] {
    writeback::MORMOutQtyWrB(*MoAllocateId, *fNetChgQty, *cBusType, *bChk != 0, *oConn,
                             Krts ? *Krts : std::string());
    return true;
  });
}

com::HResult ClsMom::GetBFRds(ConnectionRef*, int32_t*, double*, RecordsetRef*, VariantBool*, std::string* ErrMsg,
                              VariantBool* result) {
  return Trapping(apartment_, ErrMsg, result, []() -> bool { throw com::Error(com::kErrAutomation, kNotYetAvailable); });
}

com::HResult ClsMom::MoQtyWrB(int32_t* iMoDId, VariantBool* bBPFlag, double* fNetChgQty, std::string* cBusType,
                              ConnectionRef* oConn, std::string* ErrMsg, std::string* Krts, com::Date* CurDate,
                              VariantBool* isChk, VariantBool* result) {
  com::Date date = ValueOr(CurDate, com::Date{0});
  VariantBool check = ValueOr(isChk, kVariantFalse);
  return NonTrapping(apartment_, [&] {
    *result = writeback::MoQtyWrB(*this, *iMoDId, *bBPFlag, *fNetChgQty, *cBusType, *oConn, *ErrMsg, *Krts,
                                  CurDate ? *CurDate : date, isChk ? *isChk : check);
  });
}

com::HResult ClsMom::MoRoutingWrB(int32_t* MoRoutingDId, double* fNetChgQty, ConnectionRef* oConn,
                                  std::string* ErrMsg, std::string* Krts, VariantBool* result) {
  return Trapping(apartment_, ErrMsg, result, [&] {
    writeback::MoRoutingWrB(*MoRoutingDId, *fNetChgQty, *oConn, Krts ? *Krts : std::string());
    return true;
  });
}

com::HResult ClsMom::EcnApplyChangeRef(ObjectRef*, int16_t*, ConnectionRef*, int32_t*, std::string*, int32_t*,
                                       int32_t*) {
  return NonTrapping(apartment_, []() { throw com::Error(com::kErrAutomation, kNotYetAvailable); });
}

}  // namespace mom

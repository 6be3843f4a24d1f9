#pragma once
// clsMOM: the manufacturing-order services. It holds no state between calls; it
// belongs to the thread that created it (apartment threading).

#include "component/cls_mom_interface.h"
#include "platform/com/apartment.h"
#include "platform/com/object.h"

namespace mom {

class ClsMom : public com::Object<_clsMOM> {
 public:
  ClsMom() = default;

  // IDispatch
  const com::TypeInfo* GetTypeInfo() override;
  com::HResult GetIdOfName(std::string_view name, com::DispId* id) override;
  com::HResult Invoke(com::DispId id, com::InvokeKind kind, std::span<com::Variant> args, com::Variant* result,
                      com::ExcepInfo* excep) override;

  // _clsMOM
  com::HResult PushMoFromSo(ObjectRef* ClsLogin, std::string* MoCode, RecordsetRef* SoRs, std::string* ErrMsg,
                            std::string cFrom, VariantBool* result) override;
  com::HResult OpMoveQtyWrB(int32_t* iOpMdId, double* fNetChgQty, std::string* cBusType, ConnectionRef* oConn,
                            std::string* Krts, std::string* ErrMsg, VariantBool* result) override;
  com::HResult MoInQtyWrB(int32_t* iMoDId, double* fNetChgQty, std::string* cBusType, ConnectionRef* oConn,
                          std::string* Krts, std::string* ErrMsg, com::Date* CurDate, VariantBool* isChk,
                          VariantBool* result) override;
  com::HResult MoQtyWrBfromQc(int32_t* iCompletedId, int32_t* iMoAllocateId, double* fNetChgQty,
                              std::string* cBusType, ConnectionRef* oConn, std::string* ErrMsg, VariantBool* isChk,
                              VariantBool* result) override;
  com::HResult STPullfromMORM(ObjectRef* ClsLogin, int32_t* MoAllocateId, double* PQty, double* CQty,
                              std::string* ErrMsg, VariantBool* result) override;
  com::HResult STPullfromMORP(ObjectRef* ClsLogin, int32_t* MoAllocateId, double* SQty, double* PQty,
                              std::string* ErrMsg, VariantBool* result) override;
  com::HResult MORMOutQtyWrB(int32_t* MoAllocateId, double* fNetChgQty, std::string* cBusType, VariantBool* bChk,
                             ConnectionRef* oConn, std::string* ErrMsg, std::string* Krts,
                             VariantBool* result) override;
  com::HResult GetBFRds(ConnectionRef* oConn, int32_t* moDId, double* NetChgQty, RecordsetRef* BillListRs,
                        VariantBool* bCheck, std::string* ErrMsg, VariantBool* result) override;
  com::HResult MoQtyWrB(int32_t* iMoDId, VariantBool* bBPFlag, double* fNetChgQty, std::string* cBusType,
                        ConnectionRef* oConn, std::string* ErrMsg, std::string* Krts, com::Date* CurDate,
                        VariantBool* isChk, VariantBool* result) override;
  com::HResult MoRoutingWrB(int32_t* MoRoutingDId, double* fNetChgQty, ConnectionRef* oConn, std::string* ErrMsg,
                            std::string* Krts, VariantBool* result) override;
  com::HResult EcnApplyChangeRef(ObjectRef* ClsLogin, int16_t* EcnType, ConnectionRef* cn, int32_t* ApplyDId,
                                 std::string* DocCode, int32_t* SortSeq, int32_t* result) override;

 private:
  com::ApartmentAffinity apartment_;
};

}  // namespace mom

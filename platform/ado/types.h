#pragma once
// The data layer's enumerations, with the numeric values that callers pass.

#include <cstdint>

#include "platform/com/guid.h"

namespace ado {

enum DataType : int32_t {
  adEmpty = 0,
  adSmallInt = 2,
  adInteger = 3,
  adSingle = 4,
  adDouble = 5,
  adCurrency = 6,
  adDate = 7,
  adBSTR = 8,
  adBoolean = 11,
  adVariant = 12,
  adDecimal = 14,
  adTinyInt = 16,
  adUnsignedTinyInt = 17,
  adBigInt = 20,
  adBinary = 128,
  adChar = 129,
  adWChar = 130,
  adNumeric = 131,
  adDBTimeStamp = 135,
  adVarChar = 200,
  adLongVarChar = 201,
  adVarWChar = 202,
  adLongVarWChar = 203,
  adVarBinary = 204,
};

enum ParameterDirection : int32_t {
  adParamUnknown = 0,
  adParamInput = 1,
  adParamOutput = 2,
  adParamInputOutput = 3,
  adParamReturnValue = 4,
};

enum CommandType : int32_t {
  adCmdUnspecified = -1,
  adCmdText = 1,
  adCmdTable = 2,
  adCmdStoredProc = 4,
  adCmdUnknown = 8,
};

enum ExecuteOption : int32_t {
  adOptionUnspecified = -1,
  adExecuteNoRecords = 128,
};

enum CursorLocation : int32_t {
  adUseServer = 2,
  adUseClient = 3,
};

enum CursorType : int32_t {
  adOpenUnspecified = -1,
  adOpenForwardOnly = 0,
  adOpenKeyset = 1,
  adOpenDynamic = 2,
  adOpenStatic = 3,
};

enum LockType : int32_t {
  adLockUnspecified = -1,
  adLockReadOnly = 1,
  adLockPessimistic = 2,
  adLockOptimistic = 3,
  adLockBatchOptimistic = 4,
};

enum EditMode : int32_t {
  adEditNone = 0,
  adEditInProgress = 1,
  adEditAdd = 2,
  adEditDelete = 4,
};

enum FieldAttribute : int32_t {
  adFldUpdatable = 4,
  adFldIsNullable = 32,
  adFldMayBeNull = 64,
};

enum ObjectState : int32_t {
  adStateClosed = 0,
  adStateOpen = 1,
};

// Default timeouts, in seconds.
inline constexpr int32_t kDefaultConnectionTimeout = 15;
inline constexpr int32_t kDefaultCommandTimeout = 30;

// Whether values of the type are text, for size checks and padding.
bool IsTextType(DataType t);

}  // namespace ado

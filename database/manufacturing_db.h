#pragma once
// The manufacturing database for the embedded SQLite provider: its schema, a sample
// company and the stored procedures the order components call. The same database on a
// PostgreSQL server: CreateDatabase with a connection string (postgres_database.h).
//
// Creating a database:
//   database::CreateDatabase("/data/mom.db", /*with_sample=*/true, /*overwrite=*/false);
//   then connect with ado::ConnectionString::ForSqliteFile("/data/mom.db").
//
// Stored procedures (provider "SQLite", called with adCmdStoredProc, the return value
// first, then the inputs in the order that procedure_signatures.h lists them with
// their types and return values). Every one returns 0 on success or one of the
// ReturnCode values below; a refused call changes nothing. A token (Krts argument) is
// the row's version as the component reads it, convert(char,convert(money,Krts),2);
// trailing blanks do not matter and an empty token skips the check.
//
//   Usp_SF_UpdOpTransformDecQty
//       Adds the change to the operation-move line's Qty and to the TransOutQty of the
//       routing line it moves out of (the line's MoRoutingDId). The token is the move
//       line's.
//   Usp_SF_UpdMRoutingQty
//       Adds the change to a quantity of a routing line (sfc_moroutingdetail):
//         1 QualifiedQty   2 ScrapQty   3 RefusedQty   4 BalQualifiedQty   5 TransOutQty
//         6 CompleteQty and QualifiedQty (finished quantity reported at the last operation)
//       Other types: kFailed. The order line being closed: kOrderClosed.
//   Usp_MO_UpdMoQty
//       1 received quantity (QualifiedInQty; CurDate kept as LastInDate),
//       2 quantity reported for inspection (DeclaredQty; CurDate kept as LastDeclareDate);
//       other types kFailed.
//       With IsChk the result may not exceed the order quantity (kReceiptExceedsOrder,
//       kNothingToInspect); a receipt never goes below zero (kReceiptBelowZero).
//   Usp_MO_UpdMoAllocateTxQty
//       1 issued quantity (IssQty), 2 inspected quantity (InspQty), other types kFailed;
//       a deleted component kAllocationDeleted, checked before kOrderClosed. With bChk the
//       result may not exceed the planned quantity (kIssueExceedsPlan,
//       kNothingToInspect); issues never go below zero (kReturnExceedsIssued).
//
//   Usp_MO_GetMoBFAllocate
//       The backflush issue lines for a finished quantity Qty of an order line: one row
//       per allocation backflushed at receipt (WIPType 1), not deleted and not a
//       by-product, in SortSeq order, with the columns of the component's bill list
//       (BillType 1, DemSourceId = MoDId, Source 生产订单, VouchType 11, Date now,
//       WhCode, DepCode = the line's MDeptCode, MoId, MoDId, cmocode, sortseq,
//       MoAllocateId, ComponentId, InvCode, Free1..Free10 of the component's part,
//       LotCode, Quantity, UnitId = Inventory.cComUnitCode, Krts = the allocation's
//       token, SoCode, SoSeq; WcId, Maker, MLotcode and the auxiliary-unit columns
//       Null). Quantity: variable usage (FVFlag 1) Qty * BaseQtyN / BaseQtyD *
//       (1 + CompScrap/100); fixed usage the still unissued Qty - IssQty (at least 0)
//       for a positive Qty, else 0. Changes nothing. kNoBackflushWarehouse, with no
//       rows, when such an allocation has no warehouse; kRowChanged for no such line.
//   Usp_MO_GenMoFromSo
//       Creates one order (mom_order, code mocode) with one line (mom_orderdetail,
//       status planned) for the demand line sodid of kind SoType (1 sales, 3 external, kept
//       as SoType 2):
//       the part of invcode with its free items, the line's bill cbomid when it is a valid
//       one of that part, else the part's valid bill (Status 3) of the highest version;
//       its components become the line's allocations through the connection's session
//       table "#tmp_moallocate" when there is one (emptied first). A code already used:
//       kDuplicateCode; no part or no valid bill: kNoValidBom; a blank code: kFailed.
//       Moves sys_doccode 'MO21' past a code of the form Prefix + digits.
//   Usp_MP_GetATONetDemand
//       Returns the net-demand rows of the demand line (mps_netdemand by SoType and
//       SoDId; SoType 3 reads 2) that can take a credit: DemandId, PartId, Seq, Factor, BalQty (demand not
//       yet credited, or with IsDel what was credited), CrdQty, Krts (token text), by Seq
//       then DemandId. Always 0.
//
// Quantities are kept to six decimals. A null quantity change counts as zero, a null
// flag as false, a null token as empty.
//
// The procedures are registered when this library is loaded (data_layer_hooks.h);
// RegisterProcedures does it again on demand and may be called any number of times.

#include <cstdint>
#include <string>

namespace database {

// Version of the schema, kept in the file's user_version: 2 with the quantity journal
// (quantity_journal.h), which `mom init --upgrade` adds to a database of version 1.
inline constexpr int kSchemaVersion = 2;

enum ReturnCode : int32_t {
  kOk = 0,
  kRowChanged = 90001,           // no such row, or it changed since it was read
  kFailed = 90002,               // request not understood (unknown type)
  kOrderClosed = 90004,
  kAllocationDeleted = 90005,
  kReceiptExceedsOrder = 90006,
  kIssueExceedsPlan = 90007,
  kReturnExceedsIssued = 90009,
  kNoValidBom = 90010,           // no part or no valid bill of materials for the item
  kReceiptBelowZero = 90011,
  kNothingToInspect = 90015,
  kNoBackflushWarehouse = 1019992,  // Usp_MO_GetMoBFAllocate only
  kDuplicateCode = 90022,        // the document code is already used
};

// The message shown to users for a return code ("" for kOk, a generic one for codes
// not listed above).
std::string ReturnCodeMessage(int32_t code);

// Creates a database file at `path` with the schema and, with `with_sample`, the
// sample company. An existing file is replaced with `overwrite` and otherwise left
// alone: std::runtime_error. Also raises std::runtime_error when the file cannot be
// written; a half-made file is removed.
// A `path` that is a connection string naming Provider=PostgreSQL creates the database
// it names on that server instead, with the procedures in PL/pgSQL
// (database/postgres_database.h); the same rules hold for an existing database.
void CreateDatabase(const std::string& path, bool with_sample, bool overwrite);

// Registers the stored procedures with the SQLite provider. Idempotent.
void RegisterProcedures();

// The DDL (with the service's idempotency keys, idempotency_table.h) and the sample
// data as text, for tools that build databases themselves.
const char* SchemaSql();
const char* SampleSql();

}  // namespace database

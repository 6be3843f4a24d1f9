-- Manufacturing database for the embedded SQLite provider.
--
-- Types are written as the component's SQL Server-style code expects them; the
-- provider derives field types from the declared names:
--   DECIMAL(28,6) quantities, BIT flags (0/1), DATETIME dates ('YYYY-MM-DD HH:MM:SS'),
--   NVARCHAR(n) text, TINYINT small codes, INTEGER PRIMARY KEY ids.
--
-- Row versions: rows that several users can change at once carry `Krts ROWVERSION`,
-- an integer taken from the single counter in sys_rowversion on every insert and on
-- every update (a no-op update included), so that a stale copy of a row can be told
-- from the current one by comparing tokens. The triggers at the end of this file keep
-- it; nothing else writes Krts. The update trigger only fires when the statement left
-- Krts alone (or set it to something the counter did not hand out), so the trigger's
-- own write never fires it again, whatever recursive_triggers says.
--
-- Codes used throughout:
--   mom_orderdetail.Status   1 planned, 2 confirmed, 3 released, 4 closed
--   mom_orderdetail.MoClass  1 standard, 2 rework
--   SoType (order lines and net demand): 0 none, 1 sales order line (so_sodetails.isosid),
--                                        2 external order line (ex_orderdetail.autoid)
--   mom_moallocate.WIPType   1 backflushed at receipt, 2 backflushed at operation, 3 picked
--   mom_moallocate.FVFlag    1 variable usage (per unit of the parent), 0 fixed usage
--   ParentScrap / CompScrap  percentages (5 = 5%)
--   OpSeq / InOpSeq / OutOpSeq  four-digit operation numbers ('0010'); '0000' = none
--   bom_bom.Status           1 new, 3 valid, 4 stopped

CREATE TABLE sys_rowversion (
  value INTEGER NOT NULL
);
INSERT INTO sys_rowversion (value) VALUES (2000);

-- The counter is a single row: a second one would make the triggers' subquery ambiguous.
CREATE TRIGGER trg_sys_rowversion_single BEFORE INSERT ON sys_rowversion
WHEN (SELECT count(*) FROM sys_rowversion) > 0
BEGIN
  SELECT RAISE(ABORT, 'sys_rowversion holds exactly one row');
END;

-- Document numbering: the next number handed out for a document type.
CREATE TABLE sys_doccode (
  DocType NVARCHAR(10) NOT NULL PRIMARY KEY,
  Prefix NVARCHAR(10) NOT NULL DEFAULT '',
  NextNumber INTEGER NOT NULL DEFAULT 1
);

-- Account options (system id, option name) -> value.
CREATE TABLE AccInformation (
  cSysId NVARCHAR(2) NOT NULL,
  cName NVARCHAR(50) NOT NULL,
  cValue NVARCHAR(255),
  PRIMARY KEY (cSysId, cName)
);

-- Captions of user-defined and free items. cItemName is the company's caption; when it
-- is null the default cItem is shown. '01'..'10' and '36'..'41' caption Define1..16,
-- '20', '21' and '28'..'35' caption Free1..10.
CREATE TABLE UserDef (
  cID NVARCHAR(2) NOT NULL PRIMARY KEY,
  cItem NVARCHAR(40) NOT NULL,
  cItemName NVARCHAR(40) NULL
);

-- ---------------------------------------------------------------- items

CREATE TABLE Inventory (
  cInvCode NVARCHAR(60) NOT NULL PRIMARY KEY,
  cInvName NVARCHAR(255) NOT NULL,
  cInvStd NVARCHAR(255),
  cInvAddCode NVARCHAR(255),
  cComUnitCode NVARCHAR(35),
  cInvDefine1 NVARCHAR(20),
  cInvDefine2 NVARCHAR(20),
  cInvDefine3 NVARCHAR(20),
  cInvDefine4 DATETIME,
  cInvDefine5 NVARCHAR(20),
  cInvDefine6 DATETIME,
  cInvDefine7 NVARCHAR(20),
  cInvDefine8 NVARCHAR(20),
  cInvDefine9 NVARCHAR(20),
  cInvDefine10 NVARCHAR(60),
  cInvDefine11 INTEGER,
  cInvDefine12 INTEGER,
  cInvDefine13 DECIMAL(28,6),
  cInvDefine14 DECIMAL(28,6),
  cInvDefine15 NVARCHAR(120),
  cInvDefine16 NVARCHAR(120)
);

-- A part is an item with a set of free-item values; ATO parts are assembled to order.
CREATE TABLE bas_part (
  PartId INTEGER PRIMARY KEY,
  InvCode NVARCHAR(60) NOT NULL REFERENCES Inventory (cInvCode),
  Free1 NVARCHAR(20),
  Free2 NVARCHAR(20),
  Free3 NVARCHAR(20),
  Free4 NVARCHAR(20),
  Free5 NVARCHAR(20),
  Free6 NVARCHAR(20),
  Free7 NVARCHAR(20),
  Free8 NVARCHAR(20),
  Free9 NVARCHAR(20),
  Free10 NVARCHAR(20),
  ATOFlag BIT NOT NULL DEFAULT 0
);
CREATE INDEX ix_bas_part_invcode ON bas_part (InvCode);

-- ---------------------------------------------------------------- bills of materials

CREATE TABLE bom_bom (
  BomId INTEGER PRIMARY KEY,
  PartId INTEGER NOT NULL REFERENCES bas_part (PartId),
  Version NVARCHAR(10) NOT NULL DEFAULT '10',
  VersionDesc NVARCHAR(60),
  ParentScrap DECIMAL(28,6) NOT NULL DEFAULT 0,
  Status TINYINT NOT NULL DEFAULT 1,
  Krts ROWVERSION
);
CREATE INDEX ix_bom_bom_partid ON bom_bom (PartId);

CREATE TABLE bom_opcomponent (
  OpComponentId INTEGER PRIMARY KEY,
  BomId INTEGER NOT NULL REFERENCES bom_bom (BomId),
  SortSeq INTEGER NOT NULL DEFAULT 0,
  OpSeq NVARCHAR(4) NOT NULL DEFAULT '0000',
  ComponentId INTEGER NOT NULL REFERENCES bas_part (PartId),
  BaseQtyN DECIMAL(28,6) NOT NULL DEFAULT 1,
  BaseQtyD DECIMAL(28,6) NOT NULL DEFAULT 1,
  CompScrap DECIMAL(28,6) NOT NULL DEFAULT 0,
  FVFlag TINYINT NOT NULL DEFAULT 1,
  ByproductFlag BIT NOT NULL DEFAULT 0,
  WIPType TINYINT NOT NULL DEFAULT 3,
  WhCode NVARCHAR(10),
  OffSet INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX ix_bom_opcomponent_bomid ON bom_opcomponent (BomId);

-- ---------------------------------------------------------------- manufacturing orders

CREATE TABLE mom_order (
  MoId INTEGER PRIMARY KEY,
  MoCode NVARCHAR(30) NOT NULL UNIQUE,
  CreateDate DATETIME,
  CreateUser NVARCHAR(20),
  ModifyDate DATETIME,
  ModifyUser NVARCHAR(20),
  Krts ROWVERSION
);

CREATE TABLE mom_orderdetail (
  MoDId INTEGER PRIMARY KEY,
  MoId INTEGER NOT NULL REFERENCES mom_order (MoId),
  SortSeq INTEGER NOT NULL DEFAULT 1,
  MoClass TINYINT NOT NULL DEFAULT 1,
  PartId INTEGER REFERENCES bas_part (PartId),
  InvCode NVARCHAR(60) NOT NULL,
  BomId INTEGER,
  Qty DECIMAL(28,6) NOT NULL DEFAULT 0,
  QualifiedInQty DECIMAL(28,6) NOT NULL DEFAULT 0,  -- received into stock
  DeclaredQty DECIMAL(28,6) NOT NULL DEFAULT 0,     -- reported for inspection
  Status TINYINT NOT NULL DEFAULT 1,
  SfcFlag BIT NOT NULL DEFAULT 0,
  SoType TINYINT NOT NULL DEFAULT 0,
  SoDId INTEGER,
  SoCode NVARCHAR(30),
  SoSeq INTEGER,
  DueDate DATETIME,
  StartDate DATETIME,
  WhCode NVARCHAR(10),
  MDeptCode NVARCHAR(12),
  Free1 NVARCHAR(20),
  Free2 NVARCHAR(20),
  Free3 NVARCHAR(20),
  Free4 NVARCHAR(20),
  Free5 NVARCHAR(20),
  Free6 NVARCHAR(20),
  Free7 NVARCHAR(20),
  Free8 NVARCHAR(20),
  Free9 NVARCHAR(20),
  Free10 NVARCHAR(20),
  Remark NVARCHAR(255),
  LastInDate DATETIME,        -- business date of the latest receipt change
  LastDeclareDate DATETIME,   -- business date of the latest inspection change
  Krts ROWVERSION
);
CREATE INDEX ix_mom_orderdetail_moid ON mom_orderdetail (MoId);
CREATE INDEX ix_mom_orderdetail_sodid ON mom_orderdetail (SoType, SoDId);

-- Components of an order line. Qty is the planned quantity, IssQty what was issued,
-- InspQty what was inspected.
CREATE TABLE mom_moallocate (
  AllocateId INTEGER PRIMARY KEY,
  MoDId INTEGER NOT NULL REFERENCES mom_orderdetail (MoDId),
  SortSeq INTEGER NOT NULL DEFAULT 0,
  OpSeq NVARCHAR(4) NOT NULL DEFAULT '0000',
  ComponentId INTEGER REFERENCES bas_part (PartId),
  InvCode NVARCHAR(60) NOT NULL,
  BaseQtyN DECIMAL(28,6) NOT NULL DEFAULT 1,
  BaseQtyD DECIMAL(28,6) NOT NULL DEFAULT 1,
  ParentScrap DECIMAL(28,6) NOT NULL DEFAULT 0,
  CompScrap DECIMAL(28,6) NOT NULL DEFAULT 0,
  FVFlag TINYINT NOT NULL DEFAULT 1,
  ByproductFlag BIT NOT NULL DEFAULT 0,
  WIPType TINYINT NOT NULL DEFAULT 3,
  WhCode NVARCHAR(10),
  Qty DECIMAL(28,6) NOT NULL DEFAULT 0,
  IssQty DECIMAL(28,6) NOT NULL DEFAULT 0,
  InspQty DECIMAL(28,6) NOT NULL DEFAULT 0,
  StartDemDate DATETIME,
  EndDemDate DATETIME,
  OffSet INTEGER NOT NULL DEFAULT 0,
  OpComponentId INTEGER,
  DeleteFlag BIT NOT NULL DEFAULT 0,
  LotCode NVARCHAR(60),
  Krts ROWVERSION
);
CREATE INDEX ix_mom_moallocate_modid ON mom_moallocate (MoDId);

-- ---------------------------------------------------------------- shop floor

CREATE TABLE sfc_morouting (
  MoRoutingId INTEGER PRIMARY KEY,
  MoDId INTEGER NOT NULL REFERENCES mom_orderdetail (MoDId),
  Krts ROWVERSION
);
CREATE INDEX ix_sfc_morouting_modid ON sfc_morouting (MoDId);

-- One operation of an order line's routing. QualifiedQty: passed at this operation;
-- CompleteQty: finished (reported at the last operation); BalQualifiedQty: passed and
-- not yet moved on; TransOutQty: moved out to the next operation.
CREATE TABLE sfc_moroutingdetail (
  MoRoutingDId INTEGER PRIMARY KEY,
  MoRoutingId INTEGER NOT NULL REFERENCES sfc_morouting (MoRoutingId),
  OpSeq NVARCHAR(4) NOT NULL,
  Description NVARCHAR(60),
  LastFlag BIT NOT NULL DEFAULT 0,
  QualifiedQty DECIMAL(28,6) NOT NULL DEFAULT 0,
  ScrapQty DECIMAL(28,6) NOT NULL DEFAULT 0,
  RefusedQty DECIMAL(28,6) NOT NULL DEFAULT 0,
  CompleteQty DECIMAL(28,6) NOT NULL DEFAULT 0,
  BalQualifiedQty DECIMAL(28,6) NOT NULL DEFAULT 0,
  TransOutQty DECIMAL(28,6) NOT NULL DEFAULT 0,
  Krts ROWVERSION
);
CREATE INDEX ix_sfc_moroutingdetail_moroutingid ON sfc_moroutingdetail (MoRoutingId);

-- Operation moves: each line moves Qty out of operation OutOpSeq (the routing line
-- MoRoutingDId) into operation InOpSeq.
CREATE TABLE sfc_optransform (
  OpTransId INTEGER PRIMARY KEY,
  DocCode NVARCHAR(30) NOT NULL,
  DocDate DATETIME,
  Krts ROWVERSION
);

CREATE TABLE sfc_optransformdetail (
  OpMdId INTEGER PRIMARY KEY,
  OpTransId INTEGER NOT NULL REFERENCES sfc_optransform (OpTransId),
  MoRoutingDId INTEGER NOT NULL REFERENCES sfc_moroutingdetail (MoRoutingDId),
  InOpSeq NVARCHAR(4) NOT NULL DEFAULT '0000',
  OutOpSeq NVARCHAR(4) NOT NULL DEFAULT '0000',
  Qty DECIMAL(28,6) NOT NULL DEFAULT 0,
  Krts ROWVERSION
);
CREATE INDEX ix_sfc_optransformdetail_optransid ON sfc_optransformdetail (OpTransId);
CREATE INDEX ix_sfc_optransformdetail_moroutingdid ON sfc_optransformdetail (MoRoutingDId);

-- ---------------------------------------------------------------- planning

-- Net demand of assemble-to-order parts: Seq 1 the ordered part itself, higher Seq its
-- options with Factor units per ordered unit.
CREATE TABLE mps_netdemand (
  DemandId INTEGER PRIMARY KEY,
  PartId INTEGER NOT NULL REFERENCES bas_part (PartId),
  SoType TINYINT NOT NULL DEFAULT 1,
  SoDId INTEGER,
  DemandDate DATETIME,
  Seq INTEGER NOT NULL DEFAULT 1,
  Factor DECIMAL(28,6) NOT NULL DEFAULT 1,
  BalQty DECIMAL(28,6) NOT NULL DEFAULT 0,
  crdqty DECIMAL(28,6) NOT NULL DEFAULT 0,
  ModifyFlag BIT NOT NULL DEFAULT 0,
  Krts ROWVERSION
);
CREATE INDEX ix_mps_netdemand_sodid ON mps_netdemand (SoType, SoDId);
CREATE INDEX ix_mps_netdemand_partid ON mps_netdemand (PartId);

-- ---------------------------------------------------------------- engineering changes

CREATE TABLE ecn_ecnapply (
  ApplyId INTEGER PRIMARY KEY,
  DocCode NVARCHAR(30) NOT NULL,
  DocDate DATETIME,
  Grade NVARCHAR(10),
  GradeDesc NVARCHAR(40),
  ReasonDesc NVARCHAR(255),
  EmplCode NVARCHAR(20),
  EmplName NVARCHAR(40),
  DeptName NVARCHAR(60),
  PlanAuditDate DATETIME,
  PlanReleaseDate DATETIME,
  Define1 NVARCHAR(20),
  Define2 NVARCHAR(20),
  Define3 NVARCHAR(20),
  Define4 DATETIME,
  Define5 NVARCHAR(20),
  Define6 DATETIME,
  Define7 NVARCHAR(20),
  Define8 NVARCHAR(20),
  Define9 NVARCHAR(20),
  Define10 NVARCHAR(60),
  Define11 INTEGER,
  Define12 INTEGER,
  Define13 DECIMAL(28,6),
  Define14 DECIMAL(28,6),
  Define15 NVARCHAR(120),
  Define16 NVARCHAR(120),
  Krts ROWVERSION
);

-- EcnType: 1 add, 2 change, 3 remove.
CREATE TABLE ecn_ecnapplydetail (
  ApplyDId INTEGER PRIMARY KEY,
  ApplyId INTEGER NOT NULL REFERENCES ecn_ecnapply (ApplyId),
  SortSeq INTEGER NOT NULL DEFAULT 0,
  EcnType TINYINT NOT NULL DEFAULT 2,
  NewFlag BIT NOT NULL DEFAULT 0,
  Version NVARCHAR(10),
  VersionDesc NVARCHAR(60),
  VersionEffDate DATETIME,
  IdentCode NVARCHAR(30),
  IdentDesc NVARCHAR(60),
  InvCode NVARCHAR(60),
  Free1 NVARCHAR(20),
  Free2 NVARCHAR(20),
  Free3 NVARCHAR(20),
  Free4 NVARCHAR(20),
  Free5 NVARCHAR(20),
  Free6 NVARCHAR(20),
  Free7 NVARCHAR(20),
  Free8 NVARCHAR(20),
  Free9 NVARCHAR(20),
  Free10 NVARCHAR(20),
  Krts ROWVERSION
);
CREATE INDEX ix_ecn_ecnapplydetail_applyid ON ecn_ecnapplydetail (ApplyId);

-- ---------------------------------------------------------------- sales and external orders

-- cCloser / cSCloser: who closed the order / the line; null while open.
CREATE TABLE so_somain (
  id INTEGER PRIMARY KEY,
  cSOCode NVARCHAR(30) NOT NULL UNIQUE,
  dDate DATETIME,
  cCusCode NVARCHAR(20),
  cCloser NVARCHAR(20),
  Krts ROWVERSION
);

-- fMoQuantity: quantity for which order lines exist. iGroupType 0 single unit,
-- 1 fixed exchange rate (iNum in the auxiliary unit, iInvExchRate per auxiliary unit).
CREATE TABLE so_sodetails (
  isosid INTEGER PRIMARY KEY,
  id INTEGER NOT NULL REFERENCES so_somain (id),
  iRowNo INTEGER NOT NULL DEFAULT 1,
  cInvCode NVARCHAR(60) NOT NULL,
  iQuantity DECIMAL(28,6) NOT NULL DEFAULT 0,
  fMoQuantity DECIMAL(28,6) NOT NULL DEFAULT 0,
  cFree1 NVARCHAR(20),
  cFree2 NVARCHAR(20),
  cFree3 NVARCHAR(20),
  cFree4 NVARCHAR(20),
  cFree5 NVARCHAR(20),
  cFree6 NVARCHAR(20),
  cFree7 NVARCHAR(20),
  cFree8 NVARCHAR(20),
  cFree9 NVARCHAR(20),
  cFree10 NVARCHAR(20),
  dPreMoDate DATETIME,
  iCusBomId INTEGER,
  cMemo NVARCHAR(255),
  iGroupType TINYINT NOT NULL DEFAULT 0,
  iNum DECIMAL(28,6),
  iInvExchRate DECIMAL(28,6),
  cSCloser NVARCHAR(20),
  Krts ROWVERSION
);
CREATE INDEX ix_so_sodetails_id ON so_sodetails (id);

CREATE TABLE ex_order (
  id INTEGER PRIMARY KEY,
  cCode NVARCHAR(30) NOT NULL UNIQUE,
  dDate DATETIME,
  Krts ROWVERSION
);

-- MoDId: the order line made for this line, if any.
CREATE TABLE ex_orderdetail (
  autoid INTEGER PRIMARY KEY,
  id INTEGER NOT NULL REFERENCES ex_order (id),
  iRowNo INTEGER NOT NULL DEFAULT 1,
  cInvCode NVARCHAR(60) NOT NULL,
  iQuantity DECIMAL(28,6) NOT NULL DEFAULT 0,
  fMoQuantity DECIMAL(28,6) NOT NULL DEFAULT 0,
  MoDId INTEGER NULL,
  cFree1 NVARCHAR(20),
  cFree2 NVARCHAR(20),
  cFree3 NVARCHAR(20),
  cFree4 NVARCHAR(20),
  cFree5 NVARCHAR(20),
  cFree6 NVARCHAR(20),
  cFree7 NVARCHAR(20),
  cFree8 NVARCHAR(20),
  cFree9 NVARCHAR(20),
  cFree10 NVARCHAR(20),
  dPreMoDate DATETIME,
  cMemo NVARCHAR(255),
  Krts ROWVERSION
);
CREATE INDEX ix_ex_orderdetail_id ON ex_orderdetail (id);
CREATE INDEX ix_ex_orderdetail_modid ON ex_orderdetail (MoDId);

-- ---------------------------------------------------------------- row-version triggers

CREATE TRIGGER trg_mom_order_krts_ins AFTER INSERT ON mom_order
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE mom_order SET Krts = (SELECT value FROM sys_rowversion) WHERE MoId = NEW.MoId;
END;
CREATE TRIGGER trg_mom_order_krts_upd AFTER UPDATE ON mom_order
WHEN NEW.Krts IS OLD.Krts OR NEW.Krts IS NOT (SELECT value FROM sys_rowversion)
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE mom_order SET Krts = (SELECT value FROM sys_rowversion) WHERE MoId = NEW.MoId;
END;

CREATE TRIGGER trg_mom_orderdetail_krts_ins AFTER INSERT ON mom_orderdetail
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE mom_orderdetail SET Krts = (SELECT value FROM sys_rowversion) WHERE MoDId = NEW.MoDId;
END;
CREATE TRIGGER trg_mom_orderdetail_krts_upd AFTER UPDATE ON mom_orderdetail
WHEN NEW.Krts IS OLD.Krts OR NEW.Krts IS NOT (SELECT value FROM sys_rowversion)
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE mom_orderdetail SET Krts = (SELECT value FROM sys_rowversion) WHERE MoDId = NEW.MoDId;
END;

CREATE TRIGGER trg_mom_moallocate_krts_ins AFTER INSERT ON mom_moallocate
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE mom_moallocate SET Krts = (SELECT value FROM sys_rowversion) WHERE AllocateId = NEW.AllocateId;
END;
CREATE TRIGGER trg_mom_moallocate_krts_upd AFTER UPDATE ON mom_moallocate
WHEN NEW.Krts IS OLD.Krts OR NEW.Krts IS NOT (SELECT value FROM sys_rowversion)
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE mom_moallocate SET Krts = (SELECT value FROM sys_rowversion) WHERE AllocateId = NEW.AllocateId;
END;

CREATE TRIGGER trg_sfc_morouting_krts_ins AFTER INSERT ON sfc_morouting
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE sfc_morouting SET Krts = (SELECT value FROM sys_rowversion) WHERE MoRoutingId = NEW.MoRoutingId;
END;
CREATE TRIGGER trg_sfc_morouting_krts_upd AFTER UPDATE ON sfc_morouting
WHEN NEW.Krts IS OLD.Krts OR NEW.Krts IS NOT (SELECT value FROM sys_rowversion)
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE sfc_morouting SET Krts = (SELECT value FROM sys_rowversion) WHERE MoRoutingId = NEW.MoRoutingId;
END;

CREATE TRIGGER trg_sfc_moroutingdetail_krts_ins AFTER INSERT ON sfc_moroutingdetail
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE sfc_moroutingdetail SET Krts = (SELECT value FROM sys_rowversion) WHERE MoRoutingDId = NEW.MoRoutingDId;
END;
CREATE TRIGGER trg_sfc_moroutingdetail_krts_upd AFTER UPDATE ON sfc_moroutingdetail
WHEN NEW.Krts IS OLD.Krts OR NEW.Krts IS NOT (SELECT value FROM sys_rowversion)
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE sfc_moroutingdetail SET Krts = (SELECT value FROM sys_rowversion) WHERE MoRoutingDId = NEW.MoRoutingDId;
END;

CREATE TRIGGER trg_sfc_optransform_krts_ins AFTER INSERT ON sfc_optransform
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE sfc_optransform SET Krts = (SELECT value FROM sys_rowversion) WHERE OpTransId = NEW.OpTransId;
END;
CREATE TRIGGER trg_sfc_optransform_krts_upd AFTER UPDATE ON sfc_optransform
WHEN NEW.Krts IS OLD.Krts OR NEW.Krts IS NOT (SELECT value FROM sys_rowversion)
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE sfc_optransform SET Krts = (SELECT value FROM sys_rowversion) WHERE OpTransId = NEW.OpTransId;
END;

CREATE TRIGGER trg_sfc_optransformdetail_krts_ins AFTER INSERT ON sfc_optransformdetail
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE sfc_optransformdetail SET Krts = (SELECT value FROM sys_rowversion) WHERE OpMdId = NEW.OpMdId;
END;
CREATE TRIGGER trg_sfc_optransformdetail_krts_upd AFTER UPDATE ON sfc_optransformdetail
WHEN NEW.Krts IS OLD.Krts OR NEW.Krts IS NOT (SELECT value FROM sys_rowversion)
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE sfc_optransformdetail SET Krts = (SELECT value FROM sys_rowversion) WHERE OpMdId = NEW.OpMdId;
END;

CREATE TRIGGER trg_mps_netdemand_krts_ins AFTER INSERT ON mps_netdemand
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE mps_netdemand SET Krts = (SELECT value FROM sys_rowversion) WHERE DemandId = NEW.DemandId;
END;
CREATE TRIGGER trg_mps_netdemand_krts_upd AFTER UPDATE ON mps_netdemand
WHEN NEW.Krts IS OLD.Krts OR NEW.Krts IS NOT (SELECT value FROM sys_rowversion)
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE mps_netdemand SET Krts = (SELECT value FROM sys_rowversion) WHERE DemandId = NEW.DemandId;
END;

CREATE TRIGGER trg_bom_bom_krts_ins AFTER INSERT ON bom_bom
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE bom_bom SET Krts = (SELECT value FROM sys_rowversion) WHERE BomId = NEW.BomId;
END;
CREATE TRIGGER trg_bom_bom_krts_upd AFTER UPDATE ON bom_bom
WHEN NEW.Krts IS OLD.Krts OR NEW.Krts IS NOT (SELECT value FROM sys_rowversion)
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE bom_bom SET Krts = (SELECT value FROM sys_rowversion) WHERE BomId = NEW.BomId;
END;

CREATE TRIGGER trg_ecn_ecnapply_krts_ins AFTER INSERT ON ecn_ecnapply
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE ecn_ecnapply SET Krts = (SELECT value FROM sys_rowversion) WHERE ApplyId = NEW.ApplyId;
END;
CREATE TRIGGER trg_ecn_ecnapply_krts_upd AFTER UPDATE ON ecn_ecnapply
WHEN NEW.Krts IS OLD.Krts OR NEW.Krts IS NOT (SELECT value FROM sys_rowversion)
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE ecn_ecnapply SET Krts = (SELECT value FROM sys_rowversion) WHERE ApplyId = NEW.ApplyId;
END;

CREATE TRIGGER trg_ecn_ecnapplydetail_krts_ins AFTER INSERT ON ecn_ecnapplydetail
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE ecn_ecnapplydetail SET Krts = (SELECT value FROM sys_rowversion) WHERE ApplyDId = NEW.ApplyDId;
END;
CREATE TRIGGER trg_ecn_ecnapplydetail_krts_upd AFTER UPDATE ON ecn_ecnapplydetail
WHEN NEW.Krts IS OLD.Krts OR NEW.Krts IS NOT (SELECT value FROM sys_rowversion)
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE ecn_ecnapplydetail SET Krts = (SELECT value FROM sys_rowversion) WHERE ApplyDId = NEW.ApplyDId;
END;

CREATE TRIGGER trg_so_somain_krts_ins AFTER INSERT ON so_somain
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE so_somain SET Krts = (SELECT value FROM sys_rowversion) WHERE id = NEW.id;
END;
CREATE TRIGGER trg_so_somain_krts_upd AFTER UPDATE ON so_somain
WHEN NEW.Krts IS OLD.Krts OR NEW.Krts IS NOT (SELECT value FROM sys_rowversion)
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE so_somain SET Krts = (SELECT value FROM sys_rowversion) WHERE id = NEW.id;
END;

CREATE TRIGGER trg_so_sodetails_krts_ins AFTER INSERT ON so_sodetails
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE so_sodetails SET Krts = (SELECT value FROM sys_rowversion) WHERE isosid = NEW.isosid;
END;
CREATE TRIGGER trg_so_sodetails_krts_upd AFTER UPDATE ON so_sodetails
WHEN NEW.Krts IS OLD.Krts OR NEW.Krts IS NOT (SELECT value FROM sys_rowversion)
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE so_sodetails SET Krts = (SELECT value FROM sys_rowversion) WHERE isosid = NEW.isosid;
END;

CREATE TRIGGER trg_ex_order_krts_ins AFTER INSERT ON ex_order
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE ex_order SET Krts = (SELECT value FROM sys_rowversion) WHERE id = NEW.id;
END;
CREATE TRIGGER trg_ex_order_krts_upd AFTER UPDATE ON ex_order
WHEN NEW.Krts IS OLD.Krts OR NEW.Krts IS NOT (SELECT value FROM sys_rowversion)
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE ex_order SET Krts = (SELECT value FROM sys_rowversion) WHERE id = NEW.id;
END;

CREATE TRIGGER trg_ex_orderdetail_krts_ins AFTER INSERT ON ex_orderdetail
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE ex_orderdetail SET Krts = (SELECT value FROM sys_rowversion) WHERE autoid = NEW.autoid;
END;
CREATE TRIGGER trg_ex_orderdetail_krts_upd AFTER UPDATE ON ex_orderdetail
WHEN NEW.Krts IS OLD.Krts OR NEW.Krts IS NOT (SELECT value FROM sys_rowversion)
BEGIN
  UPDATE sys_rowversion SET value = value + 1;
  UPDATE ex_orderdetail SET Krts = (SELECT value FROM sys_rowversion) WHERE autoid = NEW.autoid;
END;

PRAGMA user_version = 1;  -- 2 once the quantity journal is added (quantity_journal.sql)

-- ---------------------------------------------------------------- person archive
-- The people that lookups offer as applicants of engineering changes.
CREATE TABLE Person (
  cPersonCode NVARCHAR(20) NOT NULL PRIMARY KEY,
  cPersonName NVARCHAR(40) NOT NULL,
  cDepName NVARCHAR(60)
);

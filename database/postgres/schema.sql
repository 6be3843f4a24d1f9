-- Manufacturing database for the PostgreSQL provider: the same tables, columns, keys
-- and indexes as the SQLite schema (schema.sql), in the server's types.
--
-- Names are written unquoted so that the server folds them to lower case, as it does
-- with the component's unquoted SQL; sys_identifier keeps the original spellings for
-- the data layer. The one exception is "offset", a reserved word here.
--
-- Types: DECIMAL(28,6) quantities as numeric, BIT flags as boolean, DATETIME as
-- timestamp(3), TINYINT as smallint, ids as identity columns (the sample inserts
-- explicit ids; mom_reset_identities() moves every identity past them afterwards).
--
-- Row versions: every table with a Krts column takes the next value of the single
-- sequence sys_rowversion_seq on every insert and update (a no-op update included),
-- through the BEFORE trigger mom_take_row_version; nothing else writes Krts. The
-- sequence starts at 2001 as the SQLite counter (which starts at 2000) hands out 2001
-- first. The view sys_rowversion shows the last value handed out, as the SQLite table
-- of that name does.
--
-- The codes used in the columns are listed in schema.sql.

-- The component's SQL compares flags with integers (LastFlag = 1, DeleteFlag = 0), as
-- its original server allowed. These operators let boolean columns take part in such
-- comparisons; a non-zero integer is true.
CREATE FUNCTION mom_bool_eq_int(boolean, integer) RETURNS boolean
  LANGUAGE sql IMMUTABLE STRICT AS 'SELECT $1 = ($2 <> 0)';
CREATE FUNCTION mom_int_eq_bool(integer, boolean) RETURNS boolean
  LANGUAGE sql IMMUTABLE STRICT AS 'SELECT ($1 <> 0) = $2';
CREATE FUNCTION mom_bool_ne_int(boolean, integer) RETURNS boolean
  LANGUAGE sql IMMUTABLE STRICT AS 'SELECT $1 <> ($2 <> 0)';
CREATE FUNCTION mom_int_ne_bool(integer, boolean) RETURNS boolean
  LANGUAGE sql IMMUTABLE STRICT AS 'SELECT ($1 <> 0) <> $2';

CREATE OPERATOR = (LEFTARG = boolean, RIGHTARG = integer, FUNCTION = mom_bool_eq_int,
                   COMMUTATOR = =, NEGATOR = <>);
CREATE OPERATOR = (LEFTARG = integer, RIGHTARG = boolean, FUNCTION = mom_int_eq_bool,
                   COMMUTATOR = =, NEGATOR = <>);
CREATE OPERATOR <> (LEFTARG = boolean, RIGHTARG = integer, FUNCTION = mom_bool_ne_int,
                    COMMUTATOR = <>, NEGATOR = =);
CREATE OPERATOR <> (LEFTARG = integer, RIGHTARG = boolean, FUNCTION = mom_int_ne_bool,
                    COMMUTATOR = <>, NEGATOR = =);

-- ---------------------------------------------------------------- row versions

CREATE SEQUENCE sys_rowversion_seq AS bigint START WITH 2001 MINVALUE 2000;

CREATE VIEW sys_rowversion AS
  SELECT CASE WHEN is_called THEN last_value ELSE last_value - 1 END AS value FROM sys_rowversion_seq;

CREATE FUNCTION mom_take_row_version() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
  NEW.krts := nextval('sys_rowversion_seq');
  RETURN NEW;
END
$$;

-- A row's token as the component reads it (convert(char,convert(money,Krts),2)): the
-- version as money with four decimals, padded to 30.
CREATE FUNCTION mom_row_token(krts bigint) RETURNS varchar
  LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT rpad(((krts)::numeric / 10000)::numeric(30,4)::text, 30) $$;

-- Whether a caller's token still matches the row's version. An empty, all-blank or
-- null token matches any version; trailing blanks are ignored.
CREATE FUNCTION mom_token_matches(token text, krts bigint) RETURNS boolean
  LANGUAGE sql IMMUTABLE AS $$
  SELECT CASE
    WHEN token IS NULL OR rtrim(token, ' ') = '' THEN true
    WHEN krts IS NULL THEN false
    ELSE rtrim(token, ' ') = rtrim(mom_row_token(krts), ' ')
  END
$$;

-- ---------------------------------------------------------------- numbers
--
-- The data layer's rules for numbers (platform/ado/numeric_rules.h), which the
-- embedded database's procedures follow too, so that both databases give one answer:
-- quantities are kept to six places, rounded half to even, and refused below -10^9 or
-- above 10^9 (the most that a binary double, as the embedded database stores it, holds
-- exactly to six places), with the original server's overflow text. Products and
-- quotients are worked in double precision, as there, and rounded from the shortest
-- decimal form of the result.

-- PL/pgSQL, so that a statement calling it stays small where it is rarely reached.
CREATE FUNCTION mom_round_half_even(v numeric, places integer) RETURNS numeric
  LANGUAGE plpgsql IMMUTABLE STRICT AS $$
BEGIN
  IF abs(v - trunc(v, places)) = 5 * 10::numeric ^ (-places - 1) AND mod(trunc(v * 10::numeric ^ places), 2) = 0 THEN
    RETURN trunc(v, places);
  END IF;
  RETURN round(v, places);
END
$$;

CREATE FUNCTION mom_quantity_overflow(v numeric) RETURNS numeric LANGUAGE plpgsql STABLE AS $$
BEGIN
  RAISE EXCEPTION 'Arithmetic overflow error converting numeric to data type numeric.' USING ERRCODE = '22003';
END
$$;

-- An SQL function, so that the server inlines it into the procedures' statements; the
-- refusal is a function of its own (STABLE, so that it is never folded into a plan).
-- Values from 999999999.9999995 on round to 10^9; NaN and the infinities fail the
-- comparison too.
CREATE FUNCTION mom_quantity(v numeric) RETURNS numeric LANGUAGE sql STABLE AS $$
  SELECT CASE WHEN NOT (abs(v) < 999999999.9999995) THEN mom_quantity_overflow(v)
              WHEN scale(v) <= 6 THEN v
              ELSE mom_round_half_even(v, 6) END
$$;

-- A computed double as a quantity: its shortest decimal form (extra_float_digits 1),
-- then the rule above.
CREATE FUNCTION mom_quantity(v double precision) RETURNS numeric LANGUAGE plpgsql IMMUTABLE
  SET extra_float_digits = 1 AS $$
BEGIN
  IF v IS NULL THEN RETURN NULL; END IF;
  IF NOT (abs(v) < 1000000000) THEN RETURN mom_quantity_overflow(NULL); END IF;
  RETURN mom_quantity(v::text::numeric);
END
$$;

-- cast(X as int) as the original server converts (the data layer writes the
-- component's casts as mom_cast_int): numbers truncated toward zero, text only when it
-- is an integer (blanks around it allowed, blank text 0), the result within int.
CREATE FUNCTION mom_cast_int(v numeric) RETURNS integer LANGUAGE plpgsql IMMUTABLE STRICT AS $$
BEGIN
  IF NOT (trunc(v) BETWEEN -2147483648 AND 2147483647) THEN
    RAISE EXCEPTION 'Arithmetic overflow error converting expression to data type int.';
  END IF;
  RETURN trunc(v)::integer;
END
$$;
CREATE FUNCTION mom_cast_int(v double precision) RETURNS integer
  LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT mom_cast_int(trunc(v)::numeric) $$;
CREATE FUNCTION mom_cast_int(v bigint) RETURNS integer
  LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT mom_cast_int(v::numeric) $$;
CREATE FUNCTION mom_cast_int(v integer) RETURNS integer
  LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT v $$;
CREATE FUNCTION mom_cast_int(v boolean) RETURNS integer
  LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT CASE WHEN v THEN 1 ELSE 0 END $$;
CREATE FUNCTION mom_cast_int(v text) RETURNS integer LANGUAGE plpgsql IMMUTABLE STRICT AS $$
DECLARE
  t text := btrim(v, E' \t');
BEGIN
  IF t = '' THEN RETURN 0; END IF;
  IF t !~ '^[+-]?[0-9]+$' THEN
    RAISE EXCEPTION 'Conversion failed when converting the varchar value ''%'' to data type int.', v;
  END IF;
  RETURN mom_cast_int(t::numeric);
END
$$;

-- Original spellings of the schema's column names ('MoDId', 'QualifiedInQty'), filled
-- when the database is created, so that the data layer can hand fields their names
-- as the component spells them.
CREATE TABLE sys_identifier (
  name varchar(128) PRIMARY KEY
);

-- ---------------------------------------------------------------- tables

CREATE TABLE sys_doccode (
  DocType varchar(10) NOT NULL PRIMARY KEY,
  Prefix varchar(10) NOT NULL DEFAULT '',
  NextNumber integer NOT NULL DEFAULT 1
);

-- Account options (system id, option name) -> value.
CREATE TABLE AccInformation (
  cSysId varchar(2) NOT NULL,
  cName varchar(50) NOT NULL,
  cValue varchar(255),
  PRIMARY KEY (cSysId, cName)
);

-- Captions of user-defined and free items. cItemName is the company's caption; when it
-- is null the default cItem is shown. '01'..'10' and '36'..'41' caption Define1..16,
-- '20', '21' and '28'..'35' caption Free1..10.
CREATE TABLE UserDef (
  cID varchar(2) NOT NULL PRIMARY KEY,
  cItem varchar(40) NOT NULL,
  cItemName varchar(40) NULL
);

-- ---------------------------------------------------------------- items

CREATE TABLE Inventory (
  cInvCode varchar(60) NOT NULL PRIMARY KEY,
  cInvName varchar(255) NOT NULL,
  cInvStd varchar(255),
  cInvAddCode varchar(255),
  cComUnitCode varchar(35),
  cInvDefine1 varchar(20),
  cInvDefine2 varchar(20),
  cInvDefine3 varchar(20),
  cInvDefine4 timestamp(3),
  cInvDefine5 varchar(20),
  cInvDefine6 timestamp(3),
  cInvDefine7 varchar(20),
  cInvDefine8 varchar(20),
  cInvDefine9 varchar(20),
  cInvDefine10 varchar(60),
  cInvDefine11 integer,
  cInvDefine12 integer,
  cInvDefine13 numeric(28,6),
  cInvDefine14 numeric(28,6),
  cInvDefine15 varchar(120),
  cInvDefine16 varchar(120)
);

-- A part is an item with a set of free-item values; ATO parts are assembled to order.
CREATE TABLE bas_part (
  PartId integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
  InvCode varchar(60) NOT NULL REFERENCES Inventory (cInvCode),
  Free1 varchar(20),
  Free2 varchar(20),
  Free3 varchar(20),
  Free4 varchar(20),
  Free5 varchar(20),
  Free6 varchar(20),
  Free7 varchar(20),
  Free8 varchar(20),
  Free9 varchar(20),
  Free10 varchar(20),
  ATOFlag boolean NOT NULL DEFAULT false
);
CREATE INDEX ix_bas_part_invcode ON bas_part (InvCode);

-- ---------------------------------------------------------------- bills of materials

CREATE TABLE bom_bom (
  BomId integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
  PartId integer NOT NULL REFERENCES bas_part (PartId),
  Version varchar(10) NOT NULL DEFAULT '10',
  VersionDesc varchar(60),
  ParentScrap numeric(28,6) NOT NULL DEFAULT 0,
  Status smallint NOT NULL DEFAULT 1,
  Krts bigint NOT NULL
);
CREATE INDEX ix_bom_bom_partid ON bom_bom (PartId);

CREATE TABLE bom_opcomponent (
  OpComponentId integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
  BomId integer NOT NULL REFERENCES bom_bom (BomId),
  SortSeq integer NOT NULL DEFAULT 0,
  OpSeq varchar(4) NOT NULL DEFAULT '0000',
  ComponentId integer NOT NULL REFERENCES bas_part (PartId),
  BaseQtyN numeric(28,6) NOT NULL DEFAULT 1,
  BaseQtyD numeric(28,6) NOT NULL DEFAULT 1,
  CompScrap numeric(28,6) NOT NULL DEFAULT 0,
  FVFlag smallint NOT NULL DEFAULT 1,
  ByproductFlag boolean NOT NULL DEFAULT false,
  WIPType smallint NOT NULL DEFAULT 3,
  WhCode varchar(10),
  "offset" integer NOT NULL DEFAULT 0
);
CREATE INDEX ix_bom_opcomponent_bomid ON bom_opcomponent (BomId);

-- ---------------------------------------------------------------- manufacturing orders

CREATE TABLE mom_order (
  MoId integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
  MoCode varchar(30) NOT NULL UNIQUE,
  CreateDate timestamp(3),
  CreateUser varchar(20),
  ModifyDate timestamp(3),
  ModifyUser varchar(20),
  Krts bigint NOT NULL
);

CREATE TABLE mom_orderdetail (
  MoDId integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
  MoId integer NOT NULL REFERENCES mom_order (MoId),
  SortSeq integer NOT NULL DEFAULT 1,
  MoClass smallint NOT NULL DEFAULT 1,
  PartId integer REFERENCES bas_part (PartId),
  InvCode varchar(60) NOT NULL,
  BomId integer,
  Qty numeric(28,6) NOT NULL DEFAULT 0,
  QualifiedInQty numeric(28,6) NOT NULL DEFAULT 0,  -- received into stock
  DeclaredQty numeric(28,6) NOT NULL DEFAULT 0,     -- reported for inspection
  Status smallint NOT NULL DEFAULT 1,
  SfcFlag boolean NOT NULL DEFAULT false,
  SoType smallint NOT NULL DEFAULT 0,
  SoDId integer,
  SoCode varchar(30),
  SoSeq integer,
  DueDate timestamp(3),
  StartDate timestamp(3),
  WhCode varchar(10),
  MDeptCode varchar(12),
  Free1 varchar(20),
  Free2 varchar(20),
  Free3 varchar(20),
  Free4 varchar(20),
  Free5 varchar(20),
  Free6 varchar(20),
  Free7 varchar(20),
  Free8 varchar(20),
  Free9 varchar(20),
  Free10 varchar(20),
  Remark varchar(255),
  LastInDate timestamp(3),        -- business date of the latest receipt change
  LastDeclareDate timestamp(3),   -- business date of the latest inspection change
  Krts bigint NOT NULL
);
CREATE INDEX ix_mom_orderdetail_moid ON mom_orderdetail (MoId);
CREATE INDEX ix_mom_orderdetail_sodid ON mom_orderdetail (SoType, SoDId);

-- Components of an order line. Qty is the planned quantity, IssQty what was issued,
-- InspQty what was inspected.
CREATE TABLE mom_moallocate (
  AllocateId integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
  MoDId integer NOT NULL REFERENCES mom_orderdetail (MoDId),
  SortSeq integer NOT NULL DEFAULT 0,
  OpSeq varchar(4) NOT NULL DEFAULT '0000',
  ComponentId integer REFERENCES bas_part (PartId),
  InvCode varchar(60) NOT NULL,
  BaseQtyN numeric(28,6) NOT NULL DEFAULT 1,
  BaseQtyD numeric(28,6) NOT NULL DEFAULT 1,
  ParentScrap numeric(28,6) NOT NULL DEFAULT 0,
  CompScrap numeric(28,6) NOT NULL DEFAULT 0,
  FVFlag smallint NOT NULL DEFAULT 1,
  ByproductFlag boolean NOT NULL DEFAULT false,
  WIPType smallint NOT NULL DEFAULT 3,
  WhCode varchar(10),
  Qty numeric(28,6) NOT NULL DEFAULT 0,
  IssQty numeric(28,6) NOT NULL DEFAULT 0,
  InspQty numeric(28,6) NOT NULL DEFAULT 0,
  StartDemDate timestamp(3),
  EndDemDate timestamp(3),
  "offset" integer NOT NULL DEFAULT 0,
  OpComponentId integer,
  DeleteFlag boolean NOT NULL DEFAULT false,
  LotCode varchar(60),
  Krts bigint NOT NULL
);
CREATE INDEX ix_mom_moallocate_modid ON mom_moallocate (MoDId);

-- ---------------------------------------------------------------- shop floor

CREATE TABLE sfc_morouting (
  MoRoutingId integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
  MoDId integer NOT NULL REFERENCES mom_orderdetail (MoDId),
  Krts bigint NOT NULL
);
CREATE INDEX ix_sfc_morouting_modid ON sfc_morouting (MoDId);

-- One operation of an order line's routing. QualifiedQty: passed at this operation;
-- CompleteQty: finished (reported at the last operation); BalQualifiedQty: passed and
-- not yet moved on; TransOutQty: moved out to the next operation.
CREATE TABLE sfc_moroutingdetail (
  MoRoutingDId integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
  MoRoutingId integer NOT NULL REFERENCES sfc_morouting (MoRoutingId),
  OpSeq varchar(4) NOT NULL,
  Description varchar(60),
  LastFlag boolean NOT NULL DEFAULT false,
  QualifiedQty numeric(28,6) NOT NULL DEFAULT 0,
  ScrapQty numeric(28,6) NOT NULL DEFAULT 0,
  RefusedQty numeric(28,6) NOT NULL DEFAULT 0,
  CompleteQty numeric(28,6) NOT NULL DEFAULT 0,
  BalQualifiedQty numeric(28,6) NOT NULL DEFAULT 0,
  TransOutQty numeric(28,6) NOT NULL DEFAULT 0,
  Krts bigint NOT NULL
);
CREATE INDEX ix_sfc_moroutingdetail_moroutingid ON sfc_moroutingdetail (MoRoutingId);

-- Operation moves: each line moves Qty out of operation OutOpSeq (the routing line
-- MoRoutingDId) into operation InOpSeq.
CREATE TABLE sfc_optransform (
  OpTransId integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
  DocCode varchar(30) NOT NULL,
  DocDate timestamp(3),
  Krts bigint NOT NULL
);

CREATE TABLE sfc_optransformdetail (
  OpMdId integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
  OpTransId integer NOT NULL REFERENCES sfc_optransform (OpTransId),
  MoRoutingDId integer NOT NULL REFERENCES sfc_moroutingdetail (MoRoutingDId),
  InOpSeq varchar(4) NOT NULL DEFAULT '0000',
  OutOpSeq varchar(4) NOT NULL DEFAULT '0000',
  Qty numeric(28,6) NOT NULL DEFAULT 0,
  Krts bigint NOT NULL
);
CREATE INDEX ix_sfc_optransformdetail_optransid ON sfc_optransformdetail (OpTransId);
CREATE INDEX ix_sfc_optransformdetail_moroutingdid ON sfc_optransformdetail (MoRoutingDId);

-- ---------------------------------------------------------------- planning

-- Net demand of assemble-to-order parts: Seq 1 the ordered part itself, higher Seq its
-- options with Factor units per ordered unit.
CREATE TABLE mps_netdemand (
  DemandId integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
  PartId integer NOT NULL REFERENCES bas_part (PartId),
  SoType smallint NOT NULL DEFAULT 1,
  SoDId integer,
  DemandDate timestamp(3),
  Seq integer NOT NULL DEFAULT 1,
  Factor numeric(28,6) NOT NULL DEFAULT 1,
  BalQty numeric(28,6) NOT NULL DEFAULT 0,
  crdqty numeric(28,6) NOT NULL DEFAULT 0,
  -- Set by the crediting with "ModifyFlag = 1": an integer flag, since a boolean
  -- column takes no integer in an assignment.
  ModifyFlag smallint NOT NULL DEFAULT 0 CHECK (ModifyFlag IN (0, 1)),
  Krts bigint NOT NULL
);
CREATE INDEX ix_mps_netdemand_sodid ON mps_netdemand (SoType, SoDId);
CREATE INDEX ix_mps_netdemand_partid ON mps_netdemand (PartId);

-- ---------------------------------------------------------------- engineering changes

CREATE TABLE ecn_ecnapply (
  ApplyId integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
  DocCode varchar(30) NOT NULL,
  DocDate timestamp(3),
  Grade varchar(10),
  GradeDesc varchar(40),
  ReasonDesc varchar(255),
  EmplCode varchar(20),
  EmplName varchar(40),
  DeptName varchar(60),
  PlanAuditDate timestamp(3),
  PlanReleaseDate timestamp(3),
  Define1 varchar(20),
  Define2 varchar(20),
  Define3 varchar(20),
  Define4 timestamp(3),
  Define5 varchar(20),
  Define6 timestamp(3),
  Define7 varchar(20),
  Define8 varchar(20),
  Define9 varchar(20),
  Define10 varchar(60),
  Define11 integer,
  Define12 integer,
  Define13 numeric(28,6),
  Define14 numeric(28,6),
  Define15 varchar(120),
  Define16 varchar(120),
  Krts bigint NOT NULL
);

-- EcnType: 1 add, 2 change, 3 remove.
CREATE TABLE ecn_ecnapplydetail (
  ApplyDId integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
  ApplyId integer NOT NULL REFERENCES ecn_ecnapply (ApplyId),
  SortSeq integer NOT NULL DEFAULT 0,
  EcnType smallint NOT NULL DEFAULT 2,
  NewFlag boolean NOT NULL DEFAULT false,
  Version varchar(10),
  VersionDesc varchar(60),
  VersionEffDate timestamp(3),
  IdentCode varchar(30),
  IdentDesc varchar(60),
  InvCode varchar(60),
  Free1 varchar(20),
  Free2 varchar(20),
  Free3 varchar(20),
  Free4 varchar(20),
  Free5 varchar(20),
  Free6 varchar(20),
  Free7 varchar(20),
  Free8 varchar(20),
  Free9 varchar(20),
  Free10 varchar(20),
  Krts bigint NOT NULL
);
CREATE INDEX ix_ecn_ecnapplydetail_applyid ON ecn_ecnapplydetail (ApplyId);

-- ---------------------------------------------------------------- sales and external orders

-- cCloser / cSCloser: who closed the order / the line; null while open.
CREATE TABLE so_somain (
  id integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
  cSOCode varchar(30) NOT NULL UNIQUE,
  dDate timestamp(3),
  cCusCode varchar(20),
  cCloser varchar(20),
  Krts bigint NOT NULL
);

-- fMoQuantity: quantity for which order lines exist. iGroupType 0 single unit,
-- 1 fixed exchange rate (iNum in the auxiliary unit, iInvExchRate per auxiliary unit).
CREATE TABLE so_sodetails (
  isosid integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
  id integer NOT NULL REFERENCES so_somain (id),
  iRowNo integer NOT NULL DEFAULT 1,
  cInvCode varchar(60) NOT NULL,
  iQuantity numeric(28,6) NOT NULL DEFAULT 0,
  fMoQuantity numeric(28,6) NOT NULL DEFAULT 0,
  cFree1 varchar(20),
  cFree2 varchar(20),
  cFree3 varchar(20),
  cFree4 varchar(20),
  cFree5 varchar(20),
  cFree6 varchar(20),
  cFree7 varchar(20),
  cFree8 varchar(20),
  cFree9 varchar(20),
  cFree10 varchar(20),
  dPreMoDate timestamp(3),
  iCusBomId integer,
  cMemo varchar(255),
  iGroupType smallint NOT NULL DEFAULT 0,
  iNum numeric(28,6),
  iInvExchRate numeric(28,6),
  cSCloser varchar(20),
  Krts bigint NOT NULL
);
CREATE INDEX ix_so_sodetails_id ON so_sodetails (id);

CREATE TABLE ex_order (
  id integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
  cCode varchar(30) NOT NULL UNIQUE,
  dDate timestamp(3),
  Krts bigint NOT NULL
);

-- MoDId: the order line made for this line, if any.
CREATE TABLE ex_orderdetail (
  autoid integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
  id integer NOT NULL REFERENCES ex_order (id),
  iRowNo integer NOT NULL DEFAULT 1,
  cInvCode varchar(60) NOT NULL,
  iQuantity numeric(28,6) NOT NULL DEFAULT 0,
  fMoQuantity numeric(28,6) NOT NULL DEFAULT 0,
  MoDId integer NULL,
  cFree1 varchar(20),
  cFree2 varchar(20),
  cFree3 varchar(20),
  cFree4 varchar(20),
  cFree5 varchar(20),
  cFree6 varchar(20),
  cFree7 varchar(20),
  cFree8 varchar(20),
  cFree9 varchar(20),
  cFree10 varchar(20),
  dPreMoDate timestamp(3),
  cMemo varchar(255),
  Krts bigint NOT NULL
);
CREATE INDEX ix_ex_orderdetail_id ON ex_orderdetail (id);
CREATE INDEX ix_ex_orderdetail_modid ON ex_orderdetail (MoDId);

-- ---------------------------------------------------------------- person archive
-- The people that lookups offer as applicants of engineering changes.
CREATE TABLE Person (
  cPersonCode varchar(20) NOT NULL PRIMARY KEY,
  cPersonName varchar(40) NOT NULL,
  cDepName varchar(60)
);

-- ---------------------------------------------------------------- row-version triggers

-- Every table that keeps a row version gets the trigger, so a table added above with
-- a Krts column cannot be left without one.
DO $$
DECLARE
  t record;
BEGIN
  FOR t IN SELECT c.table_name FROM information_schema.columns c
           WHERE c.table_schema = current_schema() AND c.column_name = 'krts'
             AND c.table_name IN (SELECT table_name FROM information_schema.tables
                                  WHERE table_schema = current_schema() AND table_type = 'BASE TABLE')
  LOOP
    EXECUTE format('CREATE TRIGGER %I BEFORE INSERT OR UPDATE ON %I FOR EACH ROW '
                   'EXECUTE FUNCTION mom_take_row_version()', 'trg_' || t.table_name || '_krts', t.table_name);
  END LOOP;
END
$$;

-- Moves every identity past the largest id in its table, for after rows were inserted
-- with explicit ids (the sample company).
CREATE FUNCTION mom_reset_identities() RETURNS void LANGUAGE plpgsql AS $$
DECLARE
  c record;
  top bigint;
BEGIN
  FOR c IN SELECT table_name, column_name FROM information_schema.columns
           WHERE table_schema = current_schema() AND is_identity = 'YES'
  LOOP
    EXECUTE format('SELECT max(%I) FROM %I', c.column_name, c.table_name) INTO top;
    IF top IS NOT NULL THEN
      PERFORM setval(pg_get_serial_sequence(quote_ident(c.table_name), c.column_name), top);
    END IF;
  END LOOP;
END
$$;

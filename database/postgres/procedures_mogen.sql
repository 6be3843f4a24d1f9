-- Procedures of MO generation: creating an order for a demand line and offering the
-- net demand of assemble-to-order items that such an order covers.

-- The generation calls name an external-order line 3; the database keeps it as 2.
CREATE OR REPLACE FUNCTION mom_stored_so_type(caller_so_type integer) RETURNS integer
  LANGUAGE sql IMMUTABLE AS $$ SELECT CASE WHEN caller_so_type = 3 THEN 2 ELSE coalesce(caller_so_type, 0) END $$;

-- Creates one order (code mocode) with one planned line for the demand line: the part
-- of invcode with its free items, the line's bill cbomid when it is a valid one of
-- that part, else the part's valid bill of the highest version; its components become
-- the line's allocations, through the caller's session table "#tmp_moallocate" when
-- there is one. 90002 a blank code, 90022 a code already used (also when another
-- session takes it at the same moment), 90010 no part or no valid bill.
CREATE OR REPLACE FUNCTION usp_mo_genmofromso(
    accid char(3), mocode varchar, sodid integer, cbomid integer, invcode varchar,
    free1 varchar, free2 varchar, free3 varchar, free4 varchar, free5 varchar,
    free6 varchar, free7 varchar, free8 varchar, free9 varchar, free10 varchar,
    qty numeric, duedate timestamp, createuser varchar, createdate timestamp, remark varchar,
    sotype smallint, "from" varchar, igrouptype integer, inum numeric, iinvexchrate numeric)
RETURNS integer LANGUAGE plpgsql AS $$
#variable_conflict use_column
DECLARE
  -- Trailing blanks are not part of a code.
  p_code varchar := rtrim(coalesce($2, ''), ' ');
  p_demand_line_id integer := $3;
  p_bom_id integer := $4;
  p_inv_code varchar := coalesce($5, '');
  p_frees varchar[] := ARRAY[$6, $7, $8, $9, $10, $11, $12, $13, $14, $15];
  p_qty numeric := mom_quantity(coalesce($16, 0));
  p_due_date timestamp := $17;
  p_user varchar := $18;
  p_created timestamp := $19;
  p_remark varchar := $20;
  p_so_type integer := mom_stored_so_type($21);
  v_part_id integer;
  v_bom_id integer;
  v_so_code varchar;
  v_so_seq integer;
  v_order_id integer;
  v_line_id integer;
  v_prefix varchar;
  v_number bigint;
  v_pending bigint;
  v_session_table regclass := to_regclass('pg_temp."#tmp_moallocate"');
BEGIN
  IF p_code = '' THEN RETURN 90002; END IF;
  IF EXISTS (SELECT 1 FROM mom_order WHERE MoCode = p_code) THEN RETURN 90022; END IF;

  SELECT PartId INTO v_part_id FROM bas_part
   WHERE InvCode = p_inv_code
     AND coalesce(Free1, '') = coalesce(p_frees[1], '') AND coalesce(Free2, '') = coalesce(p_frees[2], '')
     AND coalesce(Free3, '') = coalesce(p_frees[3], '') AND coalesce(Free4, '') = coalesce(p_frees[4], '')
     AND coalesce(Free5, '') = coalesce(p_frees[5], '') AND coalesce(Free6, '') = coalesce(p_frees[6], '')
     AND coalesce(Free7, '') = coalesce(p_frees[7], '') AND coalesce(Free8, '') = coalesce(p_frees[8], '')
     AND coalesce(Free9, '') = coalesce(p_frees[9], '') AND coalesce(Free10, '') = coalesce(p_frees[10], '')
   ORDER BY PartId LIMIT 1;
  IF NOT FOUND THEN RETURN 90010; END IF;

  -- The line's own bill when it names a valid one of this part, else the part's valid
  -- bill of the highest version (versions compare as text, as on SQLite).
  IF p_bom_id IS NOT NULL THEN
    SELECT BomId INTO v_bom_id FROM bom_bom WHERE BomId = p_bom_id AND PartId = v_part_id AND Status = 3;
  END IF;
  IF v_bom_id IS NULL THEN
    SELECT BomId INTO v_bom_id FROM bom_bom WHERE PartId = v_part_id AND Status = 3
     ORDER BY Version COLLATE "C" DESC, BomId DESC LIMIT 1;
  END IF;
  IF v_bom_id IS NULL THEN RETURN 90010; END IF;

  IF p_so_type = 1 THEN
    SELECT m.cSOCode, d.iRowNo INTO v_so_code, v_so_seq
      FROM so_sodetails d JOIN so_somain m ON m.id = d.id WHERE d.isosid = p_demand_line_id;
  ELSIF p_so_type = 2 THEN
    SELECT m.cCode, d.iRowNo INTO v_so_code, v_so_seq
      FROM ex_orderdetail d JOIN ex_order m ON m.id = d.id WHERE d.autoid = p_demand_line_id;
  END IF;

  -- The unique code decides between two sessions that passed the check above at once:
  -- the second waits for the first and then fails here, having written nothing.
  BEGIN
    INSERT INTO mom_order (MoCode, CreateDate, CreateUser) VALUES (p_code, p_created, p_user)
      RETURNING MoId INTO v_order_id;
  EXCEPTION WHEN unique_violation THEN
    RETURN 90022;
  END;

  INSERT INTO mom_orderdetail (MoId, SortSeq, MoClass, PartId, InvCode, BomId, Qty, Status, SoType, SoDId,
                               SoCode, SoSeq, DueDate, StartDate, Free1, Free2, Free3, Free4, Free5, Free6,
                               Free7, Free8, Free9, Free10, Remark)
  VALUES (v_order_id, 1, 1, v_part_id, p_inv_code, v_bom_id, p_qty, 1, p_so_type, p_demand_line_id,
          v_so_code, v_so_seq, p_due_date, p_created, p_frees[1], p_frees[2], p_frees[3], p_frees[4],
          p_frees[5], p_frees[6], p_frees[7], p_frees[8], p_frees[9], p_frees[10], p_remark)
  RETURNING MoDId INTO v_line_id;

  -- Planned component quantity: variable usage scales with the order quantity and the
  -- parent's scrap, fixed usage does not; both carry the component's own scrap. Worked
  -- in double precision, as the embedded database does (schema.sql, numbers).
  -- Components go through the run's session table, which starts empty for every
  -- order: whatever an earlier line left there is not this order's. Its identity goes
  -- on counting across the run's lines, so the order's allocations are numbered from 1
  -- in its order. The table is the caller's, so it is reached through dynamic
  -- statements only. In a run that is one transaction, the rows deleted by every
  -- earlier order stay in the table as dead rows that each delete and read scans
  -- again; once they fill more than a few pages, the table is truncated instead.
  -- A truncate updates the table's catalog row, so it is kept rare.
  IF v_session_table IS NOT NULL THEN
    IF pg_relation_size(v_session_table) > 16 * current_setting('block_size')::bigint THEN
      EXECUTE 'TRUNCATE pg_temp."#tmp_moallocate"';
    ELSE
      EXECUTE 'DELETE FROM pg_temp."#tmp_moallocate"';
    END IF;
    EXECUTE
      'INSERT INTO pg_temp."#tmp_moallocate" (OpSeq, ComponentId, BaseQtyN, BaseQtyD, ParentScrap, CompScrap, '
      '  FVFlag, ByproductFlag, WIPType, WhCode, Qty, StartDemDate, EndDemDate, "offset", OpComponentId) '
      'SELECT c.OpSeq, c.ComponentId, c.BaseQtyN, c.BaseQtyD, b.ParentScrap, c.CompScrap, c.FVFlag, '
      '  c.ByproductFlag, c.WIPType, c.WhCode, '
      '  mom_quantity(CASE WHEN c.FVFlag = 1 '
      '    THEN $1::float8 * c.BaseQtyN::float8 / c.BaseQtyD::float8 * (1 + b.ParentScrap::float8 / 100) '
      '    ELSE c.BaseQtyN::float8 / c.BaseQtyD::float8 END * (1 + c.CompScrap::float8 / 100)), '
      '  $2, $3, c."offset", c.OpComponentId '
      'FROM bom_opcomponent c JOIN bom_bom b ON b.BomId = c.BomId WHERE c.BomId = $4 '
      'ORDER BY c.SortSeq, c.OpComponentId'
      USING p_qty, p_created, p_due_date, v_bom_id;
    EXECUTE
      'INSERT INTO mom_moallocate (MoDId, SortSeq, OpSeq, ComponentId, InvCode, BaseQtyN, BaseQtyD, '
      '  ParentScrap, CompScrap, FVFlag, ByproductFlag, WIPType, WhCode, Qty, StartDemDate, EndDemDate, '
      '  "offset", OpComponentId) '
      'SELECT $1, row_number() OVER (ORDER BY t.SortSeq), t.OpSeq, t.ComponentId, p.InvCode, t.BaseQtyN, t.BaseQtyD, t.ParentScrap, '
      '  t.CompScrap, t.FVFlag, t.ByproductFlag, t.WIPType, t.WhCode, t.Qty, t.StartDemDate, t.EndDemDate, '
      '  t."offset", t.OpComponentId '
      'FROM pg_temp."#tmp_moallocate" t JOIN bas_part p ON p.PartId = t.ComponentId ORDER BY t.SortSeq'
      USING v_line_id;
  ELSE
    INSERT INTO mom_moallocate (MoDId, SortSeq, OpSeq, ComponentId, InvCode, BaseQtyN, BaseQtyD, ParentScrap,
                                CompScrap, FVFlag, ByproductFlag, WIPType, WhCode, Qty, StartDemDate, EndDemDate,
                                "offset", OpComponentId)
    SELECT v_line_id, c.SortSeq, c.OpSeq, c.ComponentId, p.InvCode, c.BaseQtyN, c.BaseQtyD, b.ParentScrap,
           c.CompScrap, c.FVFlag, c.ByproductFlag, c.WIPType, c.WhCode,
           mom_quantity(CASE WHEN c.FVFlag = 1
                             THEN p_qty::float8 * c.BaseQtyN::float8 / c.BaseQtyD::float8
                                  * (1 + b.ParentScrap::float8 / 100)
                             ELSE c.BaseQtyN::float8 / c.BaseQtyD::float8 END
                        * (1 + c.CompScrap::float8 / 100)),
           p_created, p_due_date, c."offset", c.OpComponentId
      FROM bom_opcomponent c JOIN bom_bom b ON b.BomId = c.BomId JOIN bas_part p ON p.PartId = c.ComponentId
     WHERE c.BomId = v_bom_id
     ORDER BY c.SortSeq, c.OpComponentId;
  END IF;

  -- The quantities the order comes into being with, line first, in the journal;
  -- the counters start at zero and are journalled as they change.
  INSERT INTO sys_qtyjournal (ChangedAt, SessionUser, AppName, ProcName, TypeCode, TableName, RowKey, ColumnName,
                              QtyBefore, QtyAfter, QtyChange, KrtsBefore, KrtsAfter)
  SELECT to_char(clock_timestamp() AT TIME ZONE 'UTC', 'YYYY-MM-DD HH24:MI:SS.MS'), session_user,
         current_setting('application_name'), 'Usp_MO_GenMoFromSo', p_so_type, 'mom_orderdetail', MoDId, 'Qty',
         NULL, Qty, Qty, NULL, Krts
    FROM mom_orderdetail WHERE MoDId = v_line_id;
  INSERT INTO sys_qtyjournal (ChangedAt, SessionUser, AppName, ProcName, TypeCode, TableName, RowKey, ColumnName,
                              QtyBefore, QtyAfter, QtyChange, KrtsBefore, KrtsAfter)
  SELECT to_char(clock_timestamp() AT TIME ZONE 'UTC', 'YYYY-MM-DD HH24:MI:SS.MS'), session_user,
         current_setting('application_name'), 'Usp_MO_GenMoFromSo', p_so_type, 'mom_moallocate', AllocateId, 'Qty',
         NULL, Qty, Qty, NULL, Krts
    FROM mom_moallocate WHERE MoDId = v_line_id ORDER BY AllocateId;

  -- Keep the automatic numbering ahead of the codes it handed out. The first order
  -- of a transaction writes the number at once; later ones only remember it, and it
  -- is written when the transaction commits (mom_advance_mo_numbering): updating the
  -- row for every order of a run that is one transaction would leave a version of it
  -- per order, which every later order walks.
  SELECT Prefix INTO v_prefix FROM sys_doccode WHERE DocType = 'MO21';
  IF FOUND AND length(p_code) > length(v_prefix) AND left(p_code, length(v_prefix)) = v_prefix
     AND length(p_code) - length(v_prefix) <= 15 AND substr(p_code, length(v_prefix) + 1) ~ '^[0-9]+$' THEN
    v_number := substr(p_code, length(v_prefix) + 1)::bigint;
    -- NextNumber is an integer column; a number past its range is left alone.
    IF v_number < 2147483647 THEN
      v_pending := nullif(current_setting('mom.mo21_next_number', true), '')::bigint;
      IF v_pending IS NULL THEN
        UPDATE sys_doccode SET NextNumber = v_number + 1 WHERE DocType = 'MO21' AND NextNumber <= v_number;
      END IF;
      IF v_pending IS NULL OR v_pending <= v_number THEN
        PERFORM set_config('mom.mo21_next_number', (v_number + 1)::text, true);
      END IF;
    END IF;
  END IF;
  RETURN 0;
END
$$;

-- Writes the MO number that usp_mo_genmofromso remembered for the committing
-- transaction, if any (already written when the transaction made one order), and
-- forgets it: the first of the transaction's deferred
-- events does the work, the others find nothing. The condition makes concurrent
-- generations only ever move the number forward.
CREATE OR REPLACE FUNCTION mom_advance_mo_numbering() RETURNS trigger LANGUAGE plpgsql AS $$
DECLARE
  v_next bigint := nullif(current_setting('mom.mo21_next_number', true), '')::bigint;
BEGIN
  IF v_next IS NOT NULL THEN
    PERFORM set_config('mom.mo21_next_number', '', true);
    UPDATE sys_doccode SET NextNumber = v_next WHERE DocType = 'MO21' AND NextNumber < v_next;
  END IF;
  RETURN NULL;
END
$$;

DROP TRIGGER IF EXISTS trg_mom_order_mo_numbering ON mom_order;
CREATE CONSTRAINT TRIGGER trg_mom_order_mo_numbering AFTER INSERT ON mom_order
  DEFERRABLE INITIALLY DEFERRED FOR EACH ROW EXECUTE FUNCTION mom_advance_mo_numbering();

-- The net-demand rows of the demand line that can take a credit: DemandId, PartId,
-- Seq, Factor, BalQty (demand not yet credited, or with IsDel what was credited),
-- CrdQty and Krts as token text, by Seq then DemandId. Always 0; the rows come
-- through the cursor 'mom_result'.
CREATE OR REPLACE FUNCTION usp_mp_getatonetdemand(modid integer, isdel boolean, partid integer, duedate timestamp,
                                                  sotype smallint, sodid integer, ordflag boolean,
                                                  OUT return_value integer, OUT result refcursor)
LANGUAGE plpgsql AS $$
#variable_conflict use_column
DECLARE
  p_credit_taken_back boolean := coalesce($2, false);
  p_so_type integer := mom_stored_so_type($5);
  p_demand_line_id integer := coalesce($6, 0);
  v_open refcursor := 'mom_result';
BEGIN
  IF EXISTS (SELECT 1 FROM pg_cursors WHERE name = 'mom_result') THEN CLOSE v_open; END IF;
  OPEN v_open FOR
    SELECT n.DemandId AS "DemandId", n.PartId AS "PartId", n.Seq AS "Seq",
           n.Factor::float8 AS "Factor", n.balance::float8 AS "BalQty", n.crdqty::float8 AS "CrdQty",
           mom_row_token(n.Krts)::char(30) AS "Krts"
      FROM (SELECT d.*, mom_round_half_even(CASE WHEN p_credit_taken_back THEN d.crdqty ELSE d.BalQty - d.crdqty END, 6)
                          AS balance
              FROM mps_netdemand d WHERE d.SoType = p_so_type AND d.SoDId = p_demand_line_id) n
     WHERE n.balance > 0
     ORDER BY n.Seq, n.DemandId;
  return_value := 0;
  result := v_open;
END
$$;

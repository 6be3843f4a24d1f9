-- Procedures that keep the transaction quantities of order lines and their components
-- up to date as receipts, inspections and issues are saved. Checks run in this order:
-- type, row and token, deleted, closed, limits; a refused call writes nothing. Each
-- change is recorded in the quantity journal (quantity_journal.sql).

-- 1 received quantity (QualifiedInQty; CurDate kept as LastInDate), 2 quantity
-- reported for inspection (DeclaredQty; CurDate kept as LastDeclareDate). With IsChk
-- the result may not exceed the order quantity; a receipt never goes below zero.
CREATE OR REPLACE FUNCTION usp_mo_updmoqty(type smallint, imodid integer, fnetchgqty numeric, ischk boolean,
                                           krts varchar, curdate timestamp)
RETURNS integer LANGUAGE plpgsql AS $$
#variable_conflict use_column
DECLARE
  p_type integer := coalesce($1, 0);
  p_line_id integer := coalesce($2, 0);
  p_change numeric := mom_quantity(coalesce($3, 0));
  p_check boolean := coalesce($4, false);
  p_token varchar := coalesce($5, '');
  p_date timestamp := $6;
  v_line record;
  v_total numeric;
  v_version bigint;
BEGIN
  IF p_type NOT IN (1, 2) THEN RETURN 90002; END IF;

  SELECT Qty, QualifiedInQty, DeclaredQty, Status, Krts AS row_version INTO v_line
    FROM mom_orderdetail WHERE MoDId = p_line_id FOR UPDATE;
  IF NOT FOUND OR NOT mom_token_matches(p_token, v_line.row_version) THEN RETURN 90001; END IF;
  IF v_line.Status = 4 THEN RETURN 90004; END IF;

  IF p_type = 1 THEN
    v_total := mom_quantity(v_line.QualifiedInQty + p_change);
    IF p_check AND v_total > v_line.Qty THEN RETURN 90006; END IF;
    IF v_total < 0 THEN RETURN 90011; END IF;
    UPDATE mom_orderdetail SET QualifiedInQty = v_total, LastInDate = coalesce(p_date, LastInDate)
     WHERE MoDId = p_line_id RETURNING Krts INTO v_version;
    PERFORM mom_journal_quantity('Usp_MO_UpdMoQty', p_type, 'mom_orderdetail', p_line_id, 'QualifiedInQty',
                                 v_line.QualifiedInQty, v_total, v_line.row_version, v_version);
  ELSE
    v_total := mom_quantity(v_line.DeclaredQty + p_change);
    IF p_check AND v_total > v_line.Qty THEN RETURN 90015; END IF;
    UPDATE mom_orderdetail SET DeclaredQty = v_total, LastDeclareDate = coalesce(p_date, LastDeclareDate)
     WHERE MoDId = p_line_id RETURNING Krts INTO v_version;
    PERFORM mom_journal_quantity('Usp_MO_UpdMoQty', p_type, 'mom_orderdetail', p_line_id, 'DeclaredQty',
                                 v_line.DeclaredQty, v_total, v_line.row_version, v_version);
  END IF;
  RETURN 0;
END
$$;

-- 1 issued quantity (IssQty), 2 inspected quantity (InspQty). A deleted component
-- 90005, checked before the order line being closed (90004). With bChk the result may
-- not exceed the planned quantity; issues never go below zero.
CREATE OR REPLACE FUNCTION usp_mo_updmoallocatetxqty(type smallint, moallocateid integer, fnetchgqty numeric,
                                                     bchk boolean, krts varchar)
RETURNS integer LANGUAGE plpgsql AS $$
#variable_conflict use_column
DECLARE
  p_type integer := coalesce($1, 0);
  p_allocation_id integer := coalesce($2, 0);
  p_change numeric := mom_quantity(coalesce($3, 0));
  p_check boolean := coalesce($4, false);
  p_token varchar := coalesce($5, '');
  v_component record;
  v_total numeric;
  v_version bigint;
BEGIN
  IF p_type NOT IN (1, 2) THEN RETURN 90002; END IF;

  SELECT a.Qty, a.IssQty, a.InspQty, a.DeleteFlag, d.Status AS order_status, a.Krts AS row_version
    INTO v_component
    FROM mom_moallocate a LEFT JOIN mom_orderdetail d ON d.MoDId = a.MoDId
   WHERE a.AllocateId = p_allocation_id
     FOR UPDATE OF a;
  IF NOT FOUND OR NOT mom_token_matches(p_token, v_component.row_version) THEN RETURN 90001; END IF;
  IF v_component.DeleteFlag THEN RETURN 90005; END IF;
  IF v_component.order_status = 4 THEN RETURN 90004; END IF;

  IF p_type = 1 THEN
    v_total := mom_quantity(v_component.IssQty + p_change);
    IF p_check AND v_total > v_component.Qty THEN RETURN 90007; END IF;
    IF v_total < 0 THEN RETURN 90009; END IF;
    UPDATE mom_moallocate SET IssQty = v_total WHERE AllocateId = p_allocation_id RETURNING Krts INTO v_version;
    PERFORM mom_journal_quantity('Usp_MO_UpdMoAllocateTxQty', p_type, 'mom_moallocate', p_allocation_id, 'IssQty',
                                 v_component.IssQty, v_total, v_component.row_version, v_version);
  ELSE
    v_total := mom_quantity(v_component.InspQty + p_change);
    IF p_check AND v_total > v_component.Qty THEN RETURN 90015; END IF;
    UPDATE mom_moallocate SET InspQty = v_total WHERE AllocateId = p_allocation_id RETURNING Krts INTO v_version;
    PERFORM mom_journal_quantity('Usp_MO_UpdMoAllocateTxQty', p_type, 'mom_moallocate', p_allocation_id, 'InspQty',
                                 v_component.InspQty, v_total, v_component.row_version, v_version);
  END IF;
  RETURN 0;
END
$$;

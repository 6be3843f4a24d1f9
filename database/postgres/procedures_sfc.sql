-- Procedures that keep the quantities of order routings up to date as shop-floor
-- reports and operation moves are saved.
--
-- Like every procedure here, they lock the row whose token they check before
-- comparing it, so that of two callers holding the same token exactly one lands; the
-- other finds the row's new version once the first commits and gets 90001. Each
-- change is recorded in the quantity journal (quantity_journal.sql).

-- A move line takes its quantity out of the operation it leaves, so the line and that
-- routing line's TransOutQty change together. The token is the move line's.
CREATE OR REPLACE FUNCTION usp_sf_updoptransformdecqty(iopmdid integer, fnetchgqty numeric, krts varchar)
RETURNS integer LANGUAGE plpgsql AS $$
#variable_conflict use_column
DECLARE
  p_move_line_id integer := coalesce($1, 0);
  p_change numeric := mom_quantity(coalesce($2, 0));
  p_token varchar := coalesce($3, '');
  v_move record;
  v_after record;
BEGIN
  SELECT t.Qty, t.Krts AS row_version, r.MoRoutingDId AS routing_line_id INTO v_move
    FROM sfc_optransformdetail t
    LEFT JOIN sfc_moroutingdetail r ON r.MoRoutingDId = t.MoRoutingDId
   WHERE t.OpMdId = p_move_line_id
     FOR UPDATE OF t;
  IF NOT FOUND OR NOT mom_token_matches(p_token, v_move.row_version) THEN RETURN 90001; END IF;
  -- Without its routing line the move cannot be kept consistent.
  IF v_move.routing_line_id IS NULL THEN RETURN 90001; END IF;

  UPDATE sfc_optransformdetail SET Qty = mom_quantity(Qty + p_change) WHERE OpMdId = p_move_line_id
  RETURNING Qty, Krts INTO v_after;
  PERFORM mom_journal_quantity('Usp_SF_UpdOpTransformDecQty', NULL, 'sfc_optransformdetail', p_move_line_id, 'Qty',
                               v_move.Qty, v_after.Qty, v_move.row_version, v_after.Krts);
  -- The routing line's values before the change come from the row the update locks.
  WITH was AS (SELECT MoRoutingDId, TransOutQty, Krts FROM sfc_moroutingdetail
                WHERE MoRoutingDId = v_move.routing_line_id FOR UPDATE)
  UPDATE sfc_moroutingdetail r SET TransOutQty = mom_quantity(r.TransOutQty + p_change)
    FROM was WHERE r.MoRoutingDId = was.MoRoutingDId
  RETURNING was.TransOutQty AS qty_before, was.Krts AS version_before, r.TransOutQty AS qty_after, r.Krts AS version_after
  INTO v_after;
  PERFORM mom_journal_quantity('Usp_SF_UpdOpTransformDecQty', NULL, 'sfc_moroutingdetail', v_move.routing_line_id,
                               'TransOutQty', v_after.qty_before, v_after.qty_after, v_after.version_before, v_after.version_after);
  RETURN 0;
END
$$;

-- Adds the change to one quantity of a routing line:
--   1 QualifiedQty  2 ScrapQty  3 RefusedQty  4 BalQualifiedQty  5 TransOutQty
--   6 CompleteQty and QualifiedQty (finished at the last operation; LastFlag is not
--     checked). Other types 90002; the order line closed 90004.
CREATE OR REPLACE FUNCTION usp_sf_updmroutingqty(type smallint, moroutingdid integer, fnetchgqty numeric,
                                                 krts varchar)
RETURNS integer LANGUAGE plpgsql AS $$
#variable_conflict use_column
DECLARE
  p_type integer := coalesce($1, 0);
  p_routing_line_id integer := coalesce($2, 0);
  p_change numeric := mom_quantity(coalesce($3, 0));
  p_token varchar := coalesce($4, '');
  v_line record;
  v_after record;
BEGIN
  IF p_type NOT BETWEEN 1 AND 6 THEN RETURN 90002; END IF;

  SELECT r.Krts AS row_version, d.Status AS order_status, r.QualifiedQty, r.ScrapQty, r.RefusedQty,
         r.BalQualifiedQty, r.TransOutQty, r.CompleteQty INTO v_line
    FROM sfc_moroutingdetail r
    LEFT JOIN sfc_morouting m ON m.MoRoutingId = r.MoRoutingId
    LEFT JOIN mom_orderdetail d ON d.MoDId = m.MoDId
   WHERE r.MoRoutingDId = p_routing_line_id
     FOR UPDATE OF r;
  IF NOT FOUND OR NOT mom_token_matches(p_token, v_line.row_version) THEN RETURN 90001; END IF;
  IF v_line.order_status = 4 THEN RETURN 90004; END IF;

  -- One statement per type: each writes only its columns of the row locked above.
  CASE p_type
    WHEN 1 THEN
      UPDATE sfc_moroutingdetail SET QualifiedQty = mom_quantity(QualifiedQty + p_change)
       WHERE MoRoutingDId = p_routing_line_id RETURNING QualifiedQty AS qty, Krts INTO v_after;
      PERFORM mom_journal_quantity('Usp_SF_UpdMRoutingQty', p_type, 'sfc_moroutingdetail', p_routing_line_id,
                                   'QualifiedQty', v_line.QualifiedQty, v_after.qty, v_line.row_version, v_after.Krts);
    WHEN 2 THEN
      UPDATE sfc_moroutingdetail SET ScrapQty = mom_quantity(ScrapQty + p_change)
       WHERE MoRoutingDId = p_routing_line_id RETURNING ScrapQty AS qty, Krts INTO v_after;
      PERFORM mom_journal_quantity('Usp_SF_UpdMRoutingQty', p_type, 'sfc_moroutingdetail', p_routing_line_id,
                                   'ScrapQty', v_line.ScrapQty, v_after.qty, v_line.row_version, v_after.Krts);
    WHEN 3 THEN
      UPDATE sfc_moroutingdetail SET RefusedQty = mom_quantity(RefusedQty + p_change)
       WHERE MoRoutingDId = p_routing_line_id RETURNING RefusedQty AS qty, Krts INTO v_after;
      PERFORM mom_journal_quantity('Usp_SF_UpdMRoutingQty', p_type, 'sfc_moroutingdetail', p_routing_line_id,
                                   'RefusedQty', v_line.RefusedQty, v_after.qty, v_line.row_version, v_after.Krts);
    WHEN 4 THEN
      UPDATE sfc_moroutingdetail SET BalQualifiedQty = mom_quantity(BalQualifiedQty + p_change)
       WHERE MoRoutingDId = p_routing_line_id RETURNING BalQualifiedQty AS qty, Krts INTO v_after;
      PERFORM mom_journal_quantity('Usp_SF_UpdMRoutingQty', p_type, 'sfc_moroutingdetail', p_routing_line_id,
                                   'BalQualifiedQty', v_line.BalQualifiedQty, v_after.qty, v_line.row_version,
                                   v_after.Krts);
    WHEN 5 THEN
      UPDATE sfc_moroutingdetail SET TransOutQty = mom_quantity(TransOutQty + p_change)
       WHERE MoRoutingDId = p_routing_line_id RETURNING TransOutQty AS qty, Krts INTO v_after;
      PERFORM mom_journal_quantity('Usp_SF_UpdMRoutingQty', p_type, 'sfc_moroutingdetail', p_routing_line_id,
                                   'TransOutQty', v_line.TransOutQty, v_after.qty, v_line.row_version, v_after.Krts);
    ELSE
      UPDATE sfc_moroutingdetail SET CompleteQty = mom_quantity(CompleteQty + p_change),
                                     QualifiedQty = mom_quantity(QualifiedQty + p_change)
       WHERE MoRoutingDId = p_routing_line_id RETURNING CompleteQty AS qty, QualifiedQty AS qty2, Krts INTO v_after;
      PERFORM mom_journal_quantity('Usp_SF_UpdMRoutingQty', p_type, 'sfc_moroutingdetail', p_routing_line_id,
                                   'CompleteQty', v_line.CompleteQty, v_after.qty, v_line.row_version, v_after.Krts);
      PERFORM mom_journal_quantity('Usp_SF_UpdMRoutingQty', p_type, 'sfc_moroutingdetail', p_routing_line_id,
                                   'QualifiedQty', v_line.QualifiedQty, v_after.qty2, v_line.row_version, v_after.Krts);
  END CASE;
  RETURN 0;
END
$$;

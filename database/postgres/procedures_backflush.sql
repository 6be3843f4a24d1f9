-- The backflush issue lines of an order line: the components that are issued
-- automatically when finished products are received, with the quantities that a
-- finished quantity consumes.
--
-- Returns (return value, cursor): the rows come through the cursor 'mom_result', or a
-- null cursor when the call yields none (90001 no such line, 1019992 a backflushed
-- component without a warehouse).
CREATE OR REPLACE FUNCTION usp_mo_getmobfallocate(modid integer, qty numeric,
                                                  OUT return_value integer, OUT result refcursor)
LANGUAGE plpgsql AS $$
#variable_conflict use_column
DECLARE
  p_line_id integer := coalesce($1, 0);
  p_finished numeric := mom_quantity(coalesce($2, 0));
  v_line record;
  v_zero_base record;
  v_open refcursor := 'mom_result';
BEGIN
  result := NULL;
  SELECT d.MoId, o.MoCode, d.SortSeq, d.MDeptCode, d.SoCode, d.SoSeq INTO v_line
    FROM mom_orderdetail d JOIN mom_order o ON o.MoId = d.MoId
   WHERE d.MoDId = p_line_id;
  IF NOT FOUND THEN return_value := 90001; RETURN; END IF;

  -- By-products are received, not issued.
  IF EXISTS (SELECT 1 FROM mom_moallocate a
              WHERE a.MoDId = p_line_id AND a.WIPType = 1 AND NOT a.DeleteFlag AND NOT a.ByproductFlag
                AND (a.WhCode IS NULL OR rtrim(a.WhCode, ' ') = '')) THEN
    return_value := 1019992;
    RETURN;
  END IF;

  SELECT a.InvCode INTO v_zero_base FROM mom_moallocate a
   WHERE a.MoDId = p_line_id AND a.WIPType = 1 AND NOT a.DeleteFlag AND NOT a.ByproductFlag
     AND a.FVFlag = 1 AND a.BaseQtyD = 0
   ORDER BY a.SortSeq, a.AllocateId LIMIT 1;
  IF FOUND THEN
    RAISE EXCEPTION '子件 % 的基本用量分母为零', v_zero_base.InvCode USING ERRCODE = '22012';
  END IF;

  -- A second call in the same transaction reuses the name.
  IF EXISTS (SELECT 1 FROM pg_cursors WHERE name = 'mom_result') THEN CLOSE v_open; END IF;

  -- Variable usage follows the bill's ratio grossed up by the component's scrap, worked
  -- in double precision as the embedded database does (schema.sql, numbers). Fixed
  -- usage is consumed once per line: the first receipt takes what is still unissued,
  -- later ones nothing; a reversal returns nothing automatically. Columns not filled
  -- stay null (WcId: work centres are not kept; Maker: the issuing document's;
  -- MLotcode: order lines carry no lot; no auxiliary units).
  OPEN v_open FOR
    SELECT 1::smallint AS "BillType",
           p_line_id AS "DemSourceId",
           '生产订单'::varchar(10) AS "Source",
           11 AS "VouchType",
           localtimestamp(3) AS "Date",
           a.WhCode AS "WhCode",
           v_line.MDeptCode::varchar(12) AS "DepCode",
           NULL::integer AS "WcId",
           NULL::varchar(20) AS "Maker",
           v_line.MoId::integer AS "MoId",
           p_line_id AS "MoDId",
           v_line.MoCode::varchar(30) AS "cmocode",
           v_line.SortSeq::integer AS "sortseq",
           a.AllocateId AS "MoAllocateId",
           a.ComponentId AS "ComponentId",
           a.InvCode AS "InvCode",
           p.Free1 AS "Free1", p.Free2 AS "Free2", p.Free3 AS "Free3", p.Free4 AS "Free4",
           p.Free5 AS "Free5", p.Free6 AS "Free6", p.Free7 AS "Free7", p.Free8 AS "Free8",
           p.Free9 AS "Free9", p.Free10 AS "Free10",
           a.LotCode AS "LotCode",
           NULL::varchar(60) AS "MLotcode",
           (CASE WHEN a.FVFlag = 1
                 THEN mom_quantity(p_finished::float8 * a.BaseQtyN::float8 / a.BaseQtyD::float8
                                   * (1 + a.CompScrap::float8 / 100))
                 WHEN p_finished <= 0 THEN 0
                 ELSE greatest(mom_quantity(a.Qty - a.IssQty), 0)
            END)::numeric(28,6) AS "Quantity",
           NULL::numeric(28,6) AS "AuxQuantity",
           NULL::numeric(20,6) AS "ChangeRate",
           i.cComUnitCode AS "UnitId",
           NULL::varchar(35) AS "AuxUnitId",
           mom_row_token(a.Krts)::varchar(30) AS "Krts",
           v_line.SoCode::varchar(30) AS "SoCode",
           v_line.SoSeq::integer AS "SoSeq"
      FROM mom_moallocate a
      LEFT JOIN Inventory i ON i.cInvCode = a.InvCode
      LEFT JOIN bas_part p ON p.PartId = a.ComponentId
     WHERE a.MoDId = p_line_id AND a.WIPType = 1 AND NOT a.DeleteFlag AND NOT a.ByproductFlag
     ORDER BY a.SortSeq, a.AllocateId;
  return_value := 0;
  result := v_open;
END
$$;

-- Sample company: a small bicycle works. The ids are stable; demos and tests rely on
-- them (database/README.md says what each row is for).
--
--   PartId         1-4 finished (3, 4 assembled to order), 5-10 components,
--                  11 by-product, 12 = FG002 in red / 26 inch
--   BomId          901-906; bom_opcomponent 9011-9061 (BOM id * 10 + line)
--   MoId           101 SMO0001, 102 SMO0002, 103 SMO0003
--   MoDId          1001 shop-floor line with 3 operations and a full allocation list
--                  1002 line without shop-floor control
--                  1003 closed line (Status 4)
--                  1004 shop-floor line whose two operations are both flagged last
--                  1005 planned ATO line for sales line 8103
--                  1006 planned line for external order line 8601
--   MoRoutingId    2001 (1001), 2002 (1004), 2003 (1003)
--   MoRoutingDId   3001-3003 (1001, 3003 last), 3011-3012 (1004, both last), 3021 (1003)
--   OpTransId      4001 (lines 4101, 4102), 4002 (line 4111)
--   AllocateId     5001-5008 (1001; 5007 by-product, 5008 deleted),
--                  5011-5013 (1002), 5021 (1003), 5031 (1004, backflushed, no warehouse)
--   DemandId       6001-6004
--   ApplyId        7001-7003; ApplyDId 7101-7102, 7111-7114, 7121-7123
--   so_somain.id   8001 SO0001 (isosid 8101-8103), 8002 SO0002 (8111-8113, 8112 closed)
--   ex_order.id    8501 EX0001 (autoid 8601-8602)
--
-- Row versions start at 2001 and follow the order of the inserts below.
--
-- Both providers load this file: flags are written '0'/'1' (SQLite stores them as
-- 0/1, PostgreSQL reads them as booleans) and "offset", a reserved word on
-- PostgreSQL, is quoted.

INSERT INTO AccInformation (cSysId, cName, cValue) VALUES ('AA', 'iStrsQuanDecDgt', '2');

INSERT INTO sys_doccode (DocType, Prefix, NextNumber) VALUES ('MO21', 'MO', 1);

-- User-defined items (Define1..16): '02' is exactly ten characters, '05' longer,
-- '03' has no company caption.
INSERT INTO UserDef (cID, cItem, cItemName) VALUES
  ('01', '自定义项1', '生产批号'),
  ('02', '自定义项2', '生产订单批次追踪号码'),
  ('03', '自定义项3', NULL),
  ('04', '自定义项4', '交货确认日期'),
  ('05', '自定义项5', '客户特殊包装要求及备注说明'),
  ('06', '自定义项6', '计划验收日期'),
  ('07', '自定义项7', '质检员'),
  ('08', '自定义项8', '工艺说明'),
  ('09', '自定义项9', '项目号'),
  ('10', '自定义项10', '销售区域'),
  ('36', '自定义项11', '件数'),
  ('37', '自定义项12', '箱数'),
  ('38', '自定义项13', '重量'),
  ('39', '自定义项14', '体积'),
  ('40', '自定义项15', '备用文本1'),
  ('41', '自定义项16', '备用文本2');

-- Free items (Free1..10).
INSERT INTO UserDef (cID, cItem, cItemName) VALUES
  ('20', '自由项1', '颜色'),
  ('21', '自由项2', '尺寸'),
  ('28', '自由项3', '材质'),
  ('29', '自由项4', '等级'),
  ('30', '自由项5', '产地'),
  ('31', '自由项6', '批次'),
  ('32', '自由项7', '包装'),
  ('33', '自由项8', '版本'),
  ('34', '自由项9', '规格'),
  ('35', '自由项10', '型号');

INSERT INTO Inventory (cInvCode, cInvName, cInvStd, cInvAddCode, cComUnitCode,
                       cInvDefine1, cInvDefine4, cInvDefine11, cInvDefine13) VALUES
  ('FG001', '电动自行车', 'EB-26 48V', 'DDZXC', 'PCS', 'P2024-01', '2024-01-15 00:00:00', 1, 28.5),
  ('FG002', '折叠自行车', 'ZD-20', 'ZDZXC', 'PCS', NULL, NULL, 1, 14.2),
  ('FG003', '定制电动自行车', 'EB-26 定制', 'DZDDZXC', 'PCS', NULL, NULL, 1, 30),
  ('FG004', '定制车灯套件', 'LED-2', 'DZCDTJ', 'SET', NULL, NULL, 2, 0.6),
  ('CP001', '铝合金车架', '6061-T6', 'LHJCJ', 'PCS', NULL, NULL, NULL, 2.1),
  ('CP002', '车轮组件', '26寸', 'CLZJ', 'PCS', NULL, NULL, NULL, 1.8),
  ('CP003', '轮毂电机', '350W', 'LGDJ', 'PCS', NULL, NULL, NULL, 3.2),
  ('CP004', '锂电池组', '48V 12Ah', 'LDCZ', 'PCS', NULL, NULL, NULL, 4),
  ('CP005', '内六角螺栓', 'M6x20', 'NLJLS', 'PCS', NULL, NULL, NULL, 0.01),
  ('CP006', '润滑油', '0.5L', 'RHY', 'KG', NULL, NULL, NULL, NULL),
  ('BP001', '废铝屑', NULL, 'FLX', 'KG', NULL, NULL, NULL, NULL);

INSERT INTO bas_part (PartId, InvCode, Free1, Free2, ATOFlag) VALUES
  (1, 'FG001', NULL, NULL, '0'),
  (2, 'FG002', NULL, NULL, '0'),
  (3, 'FG003', NULL, NULL, '1'),
  (4, 'FG004', NULL, NULL, '1'),
  (5, 'CP001', NULL, NULL, '0'),
  (6, 'CP002', NULL, NULL, '0'),
  (7, 'CP003', NULL, NULL, '0'),
  (8, 'CP004', NULL, NULL, '0'),
  (9, 'CP005', NULL, NULL, '0'),
  (10, 'CP006', NULL, NULL, '0'),
  (11, 'BP001', NULL, NULL, '0'),
  (12, 'FG002', '红色', '26寸', '0');

-- Bills of materials. 905 is a new version of 901 that is not valid yet.
INSERT INTO bom_bom (BomId, PartId, Version, VersionDesc, ParentScrap, Status) VALUES
  (901, 1, '10', '标准版', 0, 3),
  (902, 2, '10', '标准版', 0, 3),
  (903, 3, '10', '定制版', 0, 3),
  (904, 4, '10', '标准版', 0, 3),
  (905, 1, '20', '轻量版', 0, 1),
  (906, 12, '10', '红色款', 0, 3);

INSERT INTO bom_opcomponent (OpComponentId, BomId, SortSeq, OpSeq, ComponentId, BaseQtyN, BaseQtyD,
                             CompScrap, FVFlag, ByproductFlag, WIPType, WhCode) VALUES
  (9011, 901, 1, '0010', 5, 1, 1, 0, 1, '0', 3, '01'),
  (9012, 901, 2, '0020', 6, 2, 1, 0, 1, '0', 3, '01'),
  (9013, 901, 3, '0020', 7, 1, 1, 0, 1, '0', 1, '01'),
  (9014, 901, 4, '0030', 8, 1, 1, 0, 1, '0', 1, '02'),
  (9015, 901, 5, '0010', 9, 24, 2, 2, 1, '0', 1, '02'),
  (9016, 901, 6, '0030', 10, 0.5, 1, 0, 0, '0', 1, '03'),
  (9017, 901, 7, '0010', 11, 0.2, 1, 0, 1, '1', 1, '04'),
  (9021, 902, 1, '0010', 5, 1, 1, 0, 1, '0', 3, '01'),
  (9022, 902, 2, '0010', 6, 2, 1, 0, 1, '0', 3, '01'),
  (9023, 902, 3, '0020', 9, 8, 1, 0, 1, '0', 1, '02'),
  (9031, 903, 1, '0000', 5, 1, 1, 0, 1, '0', 3, '01'),
  (9032, 903, 2, '0000', 7, 1, 1, 0, 1, '0', 3, '01'),
  (9033, 903, 3, '0000', 8, 1, 1, 0, 1, '0', 1, '02'),
  (9034, 903, 4, '0000', 4, 2, 1, 0, 1, '0', 3, '05'),
  (9041, 904, 1, '0000', 9, 4, 1, 0, 1, '0', 1, '02'),
  (9051, 905, 1, '0000', 5, 1, 1, 0, 1, '0', 3, '01'),
  (9061, 906, 1, '0010', 5, 1, 1, 0, 1, '0', 3, '01'),
  (9062, 906, 2, '0010', 6, 2, 1, 0, 1, '0', 3, '01'),
  (9063, 906, 3, '0020', 9, 8, 1, 0, 1, '0', 1, '02');

-- Sales orders. 8102 waits for an order line; 8112 is closed; 8103 and 8113 are ATO.
INSERT INTO so_somain (id, cSOCode, dDate, cCusCode, cCloser) VALUES
  (8001, 'SO0001', '2024-02-20 00:00:00', 'C001', NULL),
  (8002, 'SO0002', '2024-02-25 00:00:00', 'C002', NULL);

INSERT INTO so_sodetails (isosid, id, iRowNo, cInvCode, iQuantity, fMoQuantity, cFree1, cFree2,
                          dPreMoDate, iCusBomId, cMemo, iGroupType, iNum, iInvExchRate, cSCloser) VALUES
  (8101, 8001, 1, 'FG001', 10, 10, NULL, NULL, '2024-03-01 00:00:00', NULL, NULL, 0, NULL, NULL, NULL),
  (8102, 8001, 2, 'FG002', 6, 0, '红色', '26寸', '2024-03-10 00:00:00', NULL, '两台一箱', 1, 3, 2, NULL),
  (8103, 8001, 3, 'FG003', 2, 2, NULL, NULL, '2024-03-15 00:00:00', NULL, '客户定制配置', 0, NULL, NULL, NULL),
  (8111, 8002, 1, 'FG001', 3, 0, NULL, NULL, '2024-03-20 00:00:00', NULL, NULL, 0, NULL, NULL, NULL),
  (8112, 8002, 2, 'FG002', 4, 0, NULL, NULL, '2024-03-20 00:00:00', NULL, '客户取消', 0, NULL, NULL, '李四'),
  (8113, 8002, 3, 'FG003', 1, 0, NULL, NULL, '2024-03-25 00:00:00', NULL, NULL, 0, NULL, NULL, NULL);

INSERT INTO ex_order (id, cCode, dDate) VALUES (8501, 'EX0001', '2024-02-28 00:00:00');

INSERT INTO ex_orderdetail (autoid, id, iRowNo, cInvCode, iQuantity, fMoQuantity, MoDId, cFree1, cFree2,
                            dPreMoDate, cMemo) VALUES
  (8601, 8501, 1, 'FG002', 12, 12, 1006, '红色', '26寸', '2024-03-12 00:00:00', NULL),
  (8602, 8501, 2, 'FG001', 5, 0, NULL, NULL, NULL, '2024-03-18 00:00:00', '加急');

-- Manufacturing orders.
INSERT INTO mom_order (MoId, MoCode, CreateDate, CreateUser, ModifyDate, ModifyUser) VALUES
  (101, 'SMO0001', '2024-03-01 08:00:00', '张三', NULL, NULL),
  (102, 'SMO0002', '2024-02-20 09:30:00', '张三', '2024-03-04 17:00:00', '王五'),
  (103, 'SMO0003', '2024-03-02 10:00:00', '王五', NULL, NULL);

INSERT INTO mom_orderdetail (MoDId, MoId, SortSeq, MoClass, PartId, InvCode, BomId, Qty, QualifiedInQty,
                             DeclaredQty, Status, SfcFlag, SoType, SoDId, SoCode, SoSeq, DueDate, StartDate,
                             WhCode, MDeptCode, Free1, Free2, Remark) VALUES
  (1001, 101, 1, 1, 1, 'FG001', 901, 10, 2, 3, 3, '1', 1, 8101, 'SO0001', 1,
   '2024-03-10 00:00:00', '2024-03-01 00:00:00', '05', '0301', NULL, NULL, '首批交付'),
  (1002, 101, 2, 1, 2, 'FG002', 902, 5, 0, 0, 3, '0', 0, NULL, NULL, NULL,
   '2024-03-12 00:00:00', '2024-03-05 00:00:00', '05', '0302', NULL, NULL, NULL),
  (1003, 102, 1, 1, 1, 'FG001', 901, 8, 8, 8, 4, '1', 0, NULL, NULL, NULL,
   '2024-02-28 00:00:00', '2024-02-21 00:00:00', '05', '0301', NULL, NULL, '已完工关闭'),
  (1004, 102, 2, 1, 2, 'FG002', 902, 20, 0, 0, 3, '1', 0, NULL, NULL, NULL,
   '2024-03-15 00:00:00', '2024-03-04 00:00:00', '05', '0302', NULL, NULL, NULL),
  (1005, 103, 1, 1, 3, 'FG003', 903, 2, 0, 0, 1, '0', 1, 8103, 'SO0001', 3,
   '2024-03-15 00:00:00', '2024-03-08 00:00:00', '05', '0301', NULL, NULL, NULL),
  (1006, 103, 2, 1, 12, 'FG002', 906, 12, 0, 0, 1, '0', 2, 8601, 'EX0001', 1,
   '2024-03-12 00:00:00', '2024-03-06 00:00:00', '05', '0302', '红色', '26寸', NULL);

-- Components. 1001: 5001/5002 picked, 5003-5006 backflushed (5006 fixed usage),
-- 5007 by-product, 5008 deleted.
INSERT INTO mom_moallocate (AllocateId, MoDId, SortSeq, OpSeq, ComponentId, InvCode, BaseQtyN, BaseQtyD,
                            ParentScrap, CompScrap, FVFlag, ByproductFlag, WIPType, WhCode, Qty, IssQty,
                            InspQty, StartDemDate, EndDemDate, "offset", OpComponentId, DeleteFlag, LotCode) VALUES
  (5001, 1001, 1, '0010', 5, 'CP001', 1, 1, 0, 0, 1, '0', 3, '01', 10, 4, 0,
   '2024-03-01 00:00:00', '2024-03-01 00:00:00', 0, 9011, '0', NULL),
  (5002, 1001, 2, '0020', 6, 'CP002', 2, 1, 0, 0, 1, '0', 3, '01', 20, 0, 0,
   '2024-03-03 00:00:00', '2024-03-03 00:00:00', 2, 9012, '0', NULL),
  (5003, 1001, 3, '0020', 7, 'CP003', 1, 1, 0, 0, 1, '0', 1, '01', 10, 2, 0,
   '2024-03-03 00:00:00', '2024-03-03 00:00:00', 2, 9013, '0', NULL),
  (5004, 1001, 4, '0030', 8, 'CP004', 1, 1, 5, 0, 1, '0', 1, '02', 10.5, 2.1, 0,
   '2024-03-05 00:00:00', '2024-03-05 00:00:00', 4, 9014, '0', 'L20240301'),
  (5005, 1001, 5, '0010', 9, 'CP005', 24, 2, 0, 2, 1, '0', 1, '02', 122.4, 24.48, 0,
   '2024-03-01 00:00:00', '2024-03-01 00:00:00', 0, 9015, '0', NULL),
  (5006, 1001, 6, '0030', 10, 'CP006', 0.5, 1, 0, 0, 0, '0', 1, '03', 0.5, 0.5, 0,
   '2024-03-05 00:00:00', '2024-03-05 00:00:00', 4, 9016, '0', NULL),
  (5007, 1001, 7, '0010', 11, 'BP001', 0.2, 1, 0, 0, 1, '1', 1, '04', 2, 0, 0,
   '2024-03-01 00:00:00', '2024-03-01 00:00:00', 0, 9017, '0', NULL),
  (5008, 1001, 8, '0010', 9, 'CP005', 2, 1, 0, 0, 1, '0', 1, '02', 20, 0, 0,
   '2024-03-01 00:00:00', '2024-03-01 00:00:00', 0, NULL, '1', NULL),
  (5011, 1002, 1, '0000', 5, 'CP001', 1, 1, 0, 0, 1, '0', 3, '01', 5, 5, 0,
   '2024-03-05 00:00:00', '2024-03-05 00:00:00', 0, 9021, '0', NULL),
  (5012, 1002, 2, '0000', 6, 'CP002', 2, 1, 0, 0, 1, '0', 3, '01', 10, 10, 0,
   '2024-03-05 00:00:00', '2024-03-05 00:00:00', 0, 9022, '0', NULL),
  (5013, 1002, 3, '0000', 9, 'CP005', 8, 1, 0, 0, 1, '0', 1, '02', 40, 0, 0,
   '2024-03-05 00:00:00', '2024-03-05 00:00:00', 0, 9023, '0', NULL),
  (5021, 1003, 1, '0010', 5, 'CP001', 1, 1, 0, 0, 1, '0', 3, '01', 8, 8, 0,
   '2024-02-21 00:00:00', '2024-02-21 00:00:00', 0, 9011, '0', NULL);

-- Routings. 1001 has 8 passed at 0010 (6 moved on), 5 at 0020 (4 moved on) and 3
-- finished at 0030, of which 2 were received.
INSERT INTO sfc_morouting (MoRoutingId, MoDId) VALUES (2001, 1001), (2002, 1004), (2003, 1003);

INSERT INTO sfc_moroutingdetail (MoRoutingDId, MoRoutingId, OpSeq, Description, LastFlag, QualifiedQty,
                                 ScrapQty, RefusedQty, CompleteQty, BalQualifiedQty, TransOutQty) VALUES
  (3001, 2001, '0010', '下料焊接', '0', 8, 0, 0, 8, 2, 6),
  (3002, 2001, '0020', '总装', '0', 5, 1, 0, 5, 1, 4),
  (3003, 2001, '0030', '检验包装', '1', 3, 0, 0, 3, 3, 0),
  (3011, 2002, '0010', '组装', '1', 5, 0, 0, 5, 0, 5),
  (3012, 2002, '0020', '包装', '1', 0, 0, 0, 0, 0, 0),
  (3021, 2003, '0010', '装配', '1', 8, 0, 0, 8, 0, 0);

INSERT INTO sfc_optransform (OpTransId, DocCode, DocDate) VALUES
  (4001, 'OPM0001', '2024-03-05 00:00:00'),
  (4002, 'OPM0002', '2024-03-06 00:00:00');

INSERT INTO sfc_optransformdetail (OpMdId, OpTransId, MoRoutingDId, InOpSeq, OutOpSeq, Qty) VALUES
  (4101, 4001, 3001, '0020', '0010', 6),
  (4102, 4001, 3002, '0030', '0020', 4),
  (4111, 4002, 3011, '0020', '0010', 5);

-- ATO net demand of sales line 8113 (model, option with two per bike, battery) and the
-- already covered line 8103.
INSERT INTO mps_netdemand (DemandId, PartId, SoType, SoDId, DemandDate, Seq, Factor, BalQty, crdqty,
                           ModifyFlag) VALUES
  (6001, 3, 1, 8113, '2024-03-25 00:00:00', 1, 1, 1, 0, '0'),
  (6002, 4, 1, 8113, '2024-03-25 00:00:00', 2, 2, 2, 0, '0'),
  (6003, 8, 1, 8113, '2024-03-25 00:00:00', 3, 1, 1, 0, '1'),
  (6004, 3, 1, 8103, '2024-03-15 00:00:00', 1, 1, 0, 2, '0');

-- Engineering change applications.
INSERT INTO ecn_ecnapply (ApplyId, DocCode, DocDate, Grade, GradeDesc, ReasonDesc, EmplCode, EmplName,
                          DeptName, PlanAuditDate, PlanReleaseDate, Define1, Define2, Define4, Define11,
                          Define13) VALUES
  (7001, 'ECN0001', '2024-02-01 00:00:00', '1', '紧急', '车架焊点强度不足，更换材料', '0101', '王工',
   '研发部', '2024-02-05 00:00:00', '2024-02-10 00:00:00', 'P2024-01', '生产订单批次追踪', '2024-02-08 00:00:00',
   3, 12.5),
  (7002, 'ECN0002', '2024-02-15 00:00:00', '2', '一般', NULL, '0102', NULL,
   NULL, '2024-02-20 00:00:00', '2024-03-01 00:00:00', NULL, NULL, NULL, NULL, NULL),
  (7003, 'ECN0003', '2024-03-01 00:00:00', '2', '一般', '客户要求增加车灯选配', '0103', '赵工',
   NULL, '2024-03-05 00:00:00', '2024-03-10 00:00:00', NULL, NULL, NULL, 1, NULL);

INSERT INTO ecn_ecnapplydetail (ApplyDId, ApplyId, SortSeq, EcnType, NewFlag, Version, VersionDesc,
                                VersionEffDate, IdentCode, IdentDesc, InvCode, Free1, Free2) VALUES
  (7101, 7001, 1, 2, '0', '10', '标准版', '2024-02-10 00:00:00', 'BOM-FG001', '电动自行车物料清单', 'FG001', NULL, NULL),
  (7102, 7001, 2, 1, '1', '20', '轻量版', '2024-03-01 00:00:00', 'BOM-FG001', '电动自行车物料清单', 'FG001', NULL, NULL),
  (7111, 7002, 1, 2, '0', '10', '红色款', '2024-03-01 00:00:00', 'BOM-FG002', '折叠自行车物料清单', 'FG002', '红色', '26寸'),
  (7112, 7002, 2, 3, '0', '10', '标准版', '2024-03-01 00:00:00', 'BOM-FG002', '折叠自行车物料清单', 'FG002', NULL, NULL),
  (7113, 7002, 3, 1, '1', '10', '标准版', '2024-03-01 00:00:00', 'BOM-FG004', '定制车灯套件物料清单', 'FG004', NULL, NULL),
  (7114, 7002, 4, 2, '0', NULL, NULL, NULL, 'CP005', '螺栓规格调整', 'CP005', NULL, NULL),
  (7121, 7003, 1, 2, '0', '10', '定制版', '2024-03-10 00:00:00', 'BOM-FG003', '定制电动自行车物料清单', 'FG003', NULL, NULL),
  (7122, 7003, 2, 1, '1', '10', '标准版', '2024-03-10 00:00:00', 'BOM-FG004', '定制车灯套件物料清单', 'FG004', NULL, NULL),
  (7123, 7003, 3, 2, '0', NULL, NULL, NULL, 'CP004', '电池容量升级', 'CP004', NULL, NULL);

-- A backflushed component of 1004 whose warehouse was never set: the backflush list of
-- that line is refused (1019992).
INSERT INTO mom_moallocate (AllocateId, MoDId, SortSeq, OpSeq, ComponentId, InvCode, BaseQtyN, BaseQtyD,
                            ParentScrap, CompScrap, FVFlag, ByproductFlag, WIPType, WhCode, Qty, IssQty,
                            InspQty, StartDemDate, EndDemDate, "offset", OpComponentId, DeleteFlag, LotCode) VALUES
  (5031, 1004, 1, '0020', 9, 'CP005', 8, 1, 0, 0, 1, '0', 1, NULL, 160, 0, 0,
   '2024-03-04 00:00:00', '2024-03-04 00:00:00', 0, 9023, '0', NULL);

INSERT INTO Person (cPersonCode, cPersonName, cDepName) VALUES
  ('0101', '王工', '研发部'),
  ('0102', '李工', '工艺部'),
  ('0103', '赵工', '研发部');
-- MO generation (appended; ids stable):
--   so_somain 8003 SO0003: 8121 FG001 ×4, 8122 FG002 红色/26寸 ×2, 8123 CP001 ×10 (a
--     component without a bill: generation refuses it), 8124 FG003 ATO ×1 with net
--     demand 6005
--   ex_order 8502 EX0002: 8611 FG002 红色/26寸 ×4, 8612 FG001 ×-5 (a reduction),
--     8613 FG003 ATO ×2 with net demand 6006 (Seq 1) and 6007 (option FG004, Seq 2)
INSERT INTO so_somain (id, cSOCode, dDate, cCusCode, cCloser) VALUES
  (8003, 'SO0003', '2024-03-05 00:00:00', 'C003', NULL);

INSERT INTO so_sodetails (isosid, id, iRowNo, cInvCode, iQuantity, fMoQuantity, cFree1, cFree2,
                          dPreMoDate, iCusBomId, cMemo, iGroupType, iNum, iInvExchRate, cSCloser) VALUES
  (8121, 8003, 1, 'FG001', 4, 0, NULL, NULL, '2024-04-01 00:00:00', NULL, NULL, 0, NULL, NULL, NULL),
  (8122, 8003, 2, 'FG002', 2, 0, '红色', '26寸', '2024-04-01 00:00:00', 906, '红色款', 0, NULL, NULL, NULL),
  (8123, 8003, 3, 'CP001', 10, 0, NULL, NULL, '2024-04-01 00:00:00', NULL, '备件', 0, NULL, NULL, NULL),
  (8124, 8003, 4, 'FG003', 1, 0, NULL, NULL, '2024-04-05 00:00:00', NULL, '定制', 0, NULL, NULL, NULL);

INSERT INTO ex_order (id, cCode, dDate) VALUES (8502, 'EX0002', '2024-03-06 00:00:00');

INSERT INTO ex_orderdetail (autoid, id, iRowNo, cInvCode, iQuantity, fMoQuantity, MoDId, cFree1, cFree2,
                            dPreMoDate, cMemo) VALUES
  (8611, 8502, 1, 'FG002', 4, 0, NULL, '红色', '26寸', '2024-04-10 00:00:00', NULL),
  (8612, 8502, 2, 'FG001', -5, 0, NULL, NULL, NULL, '2024-04-10 00:00:00', '退回减量'),
  (8613, 8502, 3, 'FG003', 2, 0, NULL, NULL, NULL, '2024-04-12 00:00:00', NULL);

INSERT INTO mps_netdemand (DemandId, PartId, SoType, SoDId, DemandDate, Seq, Factor, BalQty, crdqty,
                           ModifyFlag) VALUES
  (6005, 3, 1, 8124, '2024-04-05 00:00:00', 1, 1, 1, 0, '0'),
  (6006, 3, 2, 8613, '2024-04-12 00:00:00', 1, 1, 1, 0, '0'),
  (6007, 4, 2, 8613, '2024-04-12 00:00:00', 2, 2, 4, 0, '0');

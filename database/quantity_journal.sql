-- The quantity journal: one row for every quantity that a write-back procedure, the
-- order generation or the net-demand crediting changes, written in the same
-- transaction as the change, so a refused call or a rolled-back one leaves none.
-- Rows are only ever appended. Part of every new database; `mom init --upgrade` adds
-- it to an older one, which is why it is written to be run again.
--
--   ChangedAt     when, UTC 'YYYY-MM-DD HH:MM:SS.fff'
--   SessionUser   who: the database session's user (on this embedded database the
--                 account the program runs under)
--   AppName       the session's application name (here the program's name)
--   ProcName      the procedure (or CreditAtoNetDemand for the crediting statement)
--   TypeCode      the procedure's type code (the kind of demand line for generation)
--   TableName, RowKey, ColumnName   the counter: table, the row's key and column
--   QtyBefore     the value before (null: the row was created by this change)
--   QtyAfter, QtyChange             the value after and the difference
--   KrtsBefore, KrtsAfter           the row's version before and after
CREATE TABLE IF NOT EXISTS sys_qtyjournal (
  JournalId INTEGER PRIMARY KEY,
  ChangedAt NVARCHAR(30) NOT NULL,
  SessionUser NVARCHAR(128),
  AppName NVARCHAR(128),
  ProcName NVARCHAR(64) NOT NULL,
  TypeCode INTEGER,
  TableName NVARCHAR(64) NOT NULL,
  RowKey INTEGER NOT NULL,
  ColumnName NVARCHAR(64) NOT NULL,
  QtyBefore DECIMAL(28,6),
  QtyAfter DECIMAL(28,6) NOT NULL,
  QtyChange DECIMAL(28,6) NOT NULL,
  KrtsBefore BIGINT,
  KrtsAfter BIGINT
);
CREATE INDEX IF NOT EXISTS ix_sys_qtyjournal_row ON sys_qtyjournal (TableName, RowKey);

-- The net-demand crediting is the component's own statement, which sets the credited
-- quantity together with ModifyFlag = 1; a statement that sets crdqty alone is not a
-- crediting and is left for `mom verify` to find. The row's new version is the one
-- its row-version trigger hands out, whichever of the two triggers runs first.
CREATE TRIGGER IF NOT EXISTS trg_mps_netdemand_journal AFTER UPDATE OF ModifyFlag ON mps_netdemand
WHEN NEW.ModifyFlag = 1 AND NEW.crdqty IS NOT OLD.crdqty
BEGIN
  INSERT INTO sys_qtyjournal (ChangedAt, SessionUser, AppName, ProcName, TypeCode, TableName, RowKey, ColumnName,
                              QtyBefore, QtyAfter, QtyChange, KrtsBefore, KrtsAfter)
  VALUES (strftime('%Y-%m-%d %H:%M:%f', 'now'), mom_session_user(), mom_application_name(), 'CreditAtoNetDemand',
          NULL, 'mps_netdemand', NEW.DemandId, 'crdqty', OLD.crdqty, NEW.crdqty,
          round(NEW.crdqty - OLD.crdqty, 6), OLD.Krts,
          CASE WHEN (SELECT Krts FROM mps_netdemand WHERE DemandId = NEW.DemandId) IS NOT OLD.Krts
               THEN (SELECT Krts FROM mps_netdemand WHERE DemandId = NEW.DemandId)
               ELSE (SELECT value + 1 FROM sys_rowversion) END);
END;

PRAGMA user_version = 2;

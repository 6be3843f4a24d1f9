-- Idempotency keys of the service (mom serve). A request sent with a key is executed at
-- most once: its row is written in the same transaction as the call's effects, so the
-- key is stored exactly when they are, and a repeated request is answered from Answer.
-- Part of every new database; the service creates it in an existing database that
-- lacks it, which is why it is written to be run again.
CREATE TABLE IF NOT EXISTS sys_idempotency (
  IdemKey NVARCHAR(255) NOT NULL PRIMARY KEY,
  Operation NVARCHAR(40) NOT NULL,
  Request NTEXT NOT NULL,        -- the call as the service bound it (canonical JSON)
  HttpStatus INTEGER NOT NULL,   -- 0 while a call that commits on its own still runs
  Answer NTEXT NOT NULL,         -- the JSON body that was answered
  CreatedAt BIGINT NOT NULL      -- when the key was claimed, seconds since 1970 (UTC)
);
CREATE INDEX IF NOT EXISTS ix_sys_idempotency_created ON sys_idempotency (CreatedAt);

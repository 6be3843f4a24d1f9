-- Idempotency keys of the service (mom serve): the same table as idempotency_keys.sql
-- of the SQLite schema, in the server's types. Written to be run again: the service
-- creates it in an existing database that lacks it.
CREATE TABLE IF NOT EXISTS sys_idempotency (
  IdemKey varchar(255) NOT NULL PRIMARY KEY,
  Operation varchar(40) NOT NULL,
  Request text NOT NULL,
  HttpStatus integer NOT NULL,
  Answer text NOT NULL,
  CreatedAt bigint NOT NULL
);
CREATE INDEX IF NOT EXISTS ix_sys_idempotency_created ON sys_idempotency (CreatedAt);

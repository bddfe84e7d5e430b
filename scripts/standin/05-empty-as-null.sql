-- Oracle stores an empty string as NULL: '' written into a character column reads back as NULL, so it never
-- equals anything, itself included, and a NOT NULL column refuses it. Every table of the application's
-- schema (public) gets a row trigger that turns '' into NULL in its character columns before a row is
-- inserted or updated. An event trigger installs it on every table created later and rebuilds it when a
-- table's columns change, so tables that tests and tools create at any time behave alike.
--
-- What the stand-in cannot copy: a CHAR column pads what it stores with blanks before the trigger sees it,
-- so a CHAR value of blanks only is stored as NULL too (Oracle keeps the blanks); and an empty literal
-- inside an expression (NVL('', 'x')) stays an empty text, since only stored values pass the trigger.
CREATE SCHEMA IF NOT EXISTS standin;

-- (Re)builds the trigger of one table: a function named after the table's oid with one assignment per
-- character column (text, varchar, char, clob...).
CREATE OR REPLACE FUNCTION standin.install_empty_as_null(tbl regclass) RETURNS void
  LANGUAGE plpgsql AS $$
DECLARE
  fn text := format('standin.empty_as_null_%s', tbl::oid);
  body text;
BEGIN
  SELECT string_agg(format('IF NEW.%1$I = %2$L THEN NEW.%1$I := NULL; END IF;', a.attname, ''),
                    E'\n' ORDER BY a.attnum)
    INTO body
    FROM pg_catalog.pg_attribute a
    JOIN pg_catalog.pg_type t ON t.oid = a.atttypid
   WHERE a.attrelid = tbl AND a.attnum > 0 AND NOT a.attisdropped AND t.typcategory = 'S';
  -- Dropped only when present: IF EXISTS would send a notice to the client.
  IF EXISTS (SELECT 1 FROM pg_catalog.pg_trigger WHERE tgrelid = tbl AND tgname = 'zr_empty_as_null') THEN
    EXECUTE format('DROP TRIGGER zr_empty_as_null ON %s', tbl);
  END IF;
  IF body IS NULL THEN
    IF to_regprocedure(fn || '()') IS NOT NULL THEN
      EXECUTE format('DROP FUNCTION %s()', fn);
    END IF;
    RETURN;
  END IF;
  EXECUTE format('CREATE OR REPLACE FUNCTION %s() RETURNS trigger LANGUAGE plpgsql AS %L', fn,
                 E'BEGIN\n' || body || E'\nRETURN NEW;\nEND');
  EXECUTE format('CREATE TRIGGER zr_empty_as_null BEFORE INSERT OR UPDATE ON %s '
                 'FOR EACH ROW EXECUTE FUNCTION %s()', tbl, fn);
END
$$;

-- After CREATE TABLE, CREATE TABLE AS, SELECT INTO or ALTER TABLE on a table of public.
CREATE OR REPLACE FUNCTION standin.empty_as_null_on_ddl() RETURNS event_trigger
  LANGUAGE plpgsql AS $$
DECLARE
  r record;
BEGIN
  FOR r IN SELECT DISTINCT c.objid
             FROM pg_event_trigger_ddl_commands() c
             JOIN pg_catalog.pg_class t ON t.oid = c.objid
            WHERE c.object_type = 'table' AND c.schema_name = 'public' AND t.relkind IN ('r', 'p') LOOP
    PERFORM standin.install_empty_as_null(r.objid::regclass);
  END LOOP;
END
$$;

-- A dropped table takes its trigger with it; its function goes too.
CREATE OR REPLACE FUNCTION standin.empty_as_null_on_drop() RETURNS event_trigger
  LANGUAGE plpgsql AS $$
DECLARE
  r record;
BEGIN
  FOR r IN SELECT objid FROM pg_event_trigger_dropped_objects() WHERE object_type = 'table' LOOP
    IF to_regprocedure(format('standin.empty_as_null_%s()', r.objid)) IS NOT NULL THEN
      EXECUTE format('DROP FUNCTION standin.empty_as_null_%s()', r.objid);
    END IF;
  END LOOP;
END
$$;

DROP EVENT TRIGGER IF EXISTS zr_empty_as_null_on_ddl;
CREATE EVENT TRIGGER zr_empty_as_null_on_ddl ON ddl_command_end
  WHEN TAG IN ('CREATE TABLE', 'CREATE TABLE AS', 'SELECT INTO', 'ALTER TABLE')
  EXECUTE FUNCTION standin.empty_as_null_on_ddl();

DROP EVENT TRIGGER IF EXISTS zr_empty_as_null_on_drop;
CREATE EVENT TRIGGER zr_empty_as_null_on_drop ON sql_drop
  EXECUTE FUNCTION standin.empty_as_null_on_drop();

-- The tables that exist already (a database set up again).
DO $$
DECLARE
  r record;
BEGIN
  FOR r IN SELECT c.oid FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace
            WHERE n.nspname = 'public' AND c.relkind IN ('r', 'p') LOOP
    PERFORM standin.install_empty_as_null(r.oid::regclass);
  END LOOP;
END
$$;

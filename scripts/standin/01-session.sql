-- Oracle functions (NVL, INSTR, TO_CHAR, CHR, DUAL...) and the session defaults every connection gets:
-- day-first date literals ('31/01/2018') and the oracle schema on the search path, after public, so
-- that the stand-in's own objects in public (USER_TAB_COLUMNS) come before orafce's.
CREATE EXTENSION IF NOT EXISTS orafce;

DO $$
BEGIN
  EXECUTE format('ALTER DATABASE %I SET datestyle = %L', current_database(), 'ISO, DMY');
  EXECUTE format('ALTER DATABASE %I SET search_path = "$user", public, oracle', current_database());
END
$$;

-- dbms_lob.substr and dbms_lob.getlength for character LOBs, with Oracle's argument order
-- (amount, then offset). orafce has no dbms_lob package.
CREATE SCHEMA IF NOT EXISTS dbms_lob;

CREATE OR REPLACE FUNCTION dbms_lob.substr(lob text, amount integer DEFAULT 32767, "offset" integer DEFAULT 1)
  RETURNS text LANGUAGE sql IMMUTABLE PARALLEL SAFE
  AS $$ SELECT pg_catalog.substr(lob, "offset", amount) $$;

CREATE OR REPLACE FUNCTION dbms_lob.getlength(lob text)
  RETURNS integer LANGUAGE sql IMMUTABLE PARALLEL SAFE
  AS $$ SELECT pg_catalog.length(lob) $$;

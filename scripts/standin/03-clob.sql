-- CLOB: a character LOB type of its own, stored and read exactly like text. psqlODBC knows only text, which
-- the stand-in's data source reports as VARCHAR (as Oracle reports VARCHAR2 expressions); a column of this
-- type, unknown to psqlODBC, is reported as a long character column, as Oracle's driver reports a CLOB.
-- It converts to text implicitly, so every text function (dbms_lob.substr, NVL, ||) accepts it.
DO $$
BEGIN
  IF NOT EXISTS (SELECT 1 FROM pg_type t JOIN pg_namespace n ON n.oid = t.typnamespace
                  WHERE n.nspname = 'public' AND t.typname = 'clob') THEN
    CREATE TYPE public.clob;
    CREATE FUNCTION public.clob_in(cstring) RETURNS public.clob
      LANGUAGE internal IMMUTABLE STRICT PARALLEL SAFE AS 'textin';
    CREATE FUNCTION public.clob_out(public.clob) RETURNS cstring
      LANGUAGE internal IMMUTABLE STRICT PARALLEL SAFE AS 'textout';
    CREATE FUNCTION public.clob_recv(internal) RETURNS public.clob
      LANGUAGE internal STABLE STRICT PARALLEL SAFE AS 'textrecv';
    CREATE FUNCTION public.clob_send(public.clob) RETURNS bytea
      LANGUAGE internal STABLE STRICT PARALLEL SAFE AS 'textsend';
    CREATE TYPE public.clob (
      INPUT = public.clob_in, OUTPUT = public.clob_out, RECEIVE = public.clob_recv, SEND = public.clob_send,
      INTERNALLENGTH = VARIABLE, STORAGE = extended, CATEGORY = 'S', COLLATABLE = true);
    CREATE CAST (public.clob AS text) WITHOUT FUNCTION AS IMPLICIT;
    CREATE CAST (text AS public.clob) WITHOUT FUNCTION AS ASSIGNMENT;
    CREATE CAST (varchar AS public.clob) WITHOUT FUNCTION AS ASSIGNMENT;
  END IF;
END
$$;

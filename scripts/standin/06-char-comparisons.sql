-- Oracle compares a CHAR with a CHAR or a text literal blank-padded ('AB' equals 'AB  '), but a CHAR with a
-- VARCHAR2 value (a VARCHAR2 column, or what SUBSTR, ||, NVL... return) as it stands, trailing blanks
-- included: a CHAR(6) holding '4711  ' does not equal SUBSTR(NUM_DOCTO,1,6) = '4711'. PostgreSQL turns the
-- CHAR into text and drops its trailing blanks, so it would find them equal. The operators below compare a
-- CHAR with text with its blanks; PostgreSQL prefers them for CHAR against text or VARCHAR (one argument
-- matches exactly, the other converts to text, the preferred string type). There is deliberately no
-- VARCHAR version: it would make VARCHAR = VARCHAR ambiguous. CHAR with CHAR and with a literal keeps
-- PostgreSQL's padded comparison, which is Oracle's there too.
-- Only = and <> (and so IN lists) follow Oracle here; <, >, LIKE, || and functions given a CHAR keep
-- PostgreSQL's rules, which drop the CHAR's trailing blanks.
CREATE SCHEMA IF NOT EXISTS standin;

-- concat() writes a CHAR through its output function, which keeps the padding blanks.
CREATE OR REPLACE FUNCTION standin.char_eq_text(bpchar, text) RETURNS boolean
  LANGUAGE sql STABLE STRICT PARALLEL SAFE AS $$ SELECT pg_catalog.concat($1) OPERATOR(pg_catalog.=) $2 $$;
CREATE OR REPLACE FUNCTION standin.text_eq_char(text, bpchar) RETURNS boolean
  LANGUAGE sql STABLE STRICT PARALLEL SAFE AS $$ SELECT $1 OPERATOR(pg_catalog.=) pg_catalog.concat($2) $$;
CREATE OR REPLACE FUNCTION standin.char_ne_text(bpchar, text) RETURNS boolean
  LANGUAGE sql STABLE STRICT PARALLEL SAFE AS $$ SELECT pg_catalog.concat($1) OPERATOR(pg_catalog.<>) $2 $$;
CREATE OR REPLACE FUNCTION standin.text_ne_char(text, bpchar) RETURNS boolean
  LANGUAGE sql STABLE STRICT PARALLEL SAFE AS $$ SELECT $1 OPERATOR(pg_catalog.<>) pg_catalog.concat($2) $$;

-- The operators live in public, which every session has on its search path. Naming a commutator or negator
-- that does not exist yet leaves a shell operator, which the later definition fills in.
DO $$
DECLARE
  op record;
BEGIN
  FOR op IN SELECT * FROM (VALUES
      ('=', 'bpchar', 'text', 'standin.char_eq_text', '=', '<>'),
      ('=', 'text', 'bpchar', 'standin.text_eq_char', '=', '<>'),
      ('<>', 'bpchar', 'text', 'standin.char_ne_text', '<>', '='),
      ('<>', 'text', 'bpchar', 'standin.text_ne_char', '<>', '='))
      AS v(name, lefttype, righttype, fn, commutator, negator) LOOP
    IF NOT EXISTS (SELECT 1 FROM pg_catalog.pg_operator o JOIN pg_catalog.pg_namespace n ON n.oid = o.oprnamespace
                    WHERE n.nspname = 'public' AND o.oprname = op.name
                      AND o.oprleft = op.lefttype::regtype AND o.oprright = op.righttype::regtype
                      AND o.oprcode <> 0) THEN
      EXECUTE format('CREATE OPERATOR public.%s (LEFTARG = %s, RIGHTARG = %s, FUNCTION = %s, '
                     'COMMUTATOR = OPERATOR(public.%s), NEGATOR = OPERATOR(public.%s))',
                     op.name, op.lefttype, op.righttype, op.fn, op.commutator, op.negator);
    END IF;
  END LOOP;
END
$$;

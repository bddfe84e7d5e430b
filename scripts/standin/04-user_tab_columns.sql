-- USER_TAB_COLUMNS as Oracle's dictionary answers it, for the tables and views of the application's schema
-- (public): names in upper case (tables are created with unquoted, hence lower-case, names), Oracle type
-- names, COLUMN_ID numbering the columns 1, 2, 3... in table order. It lives in public, which comes before
-- orafce's schema on the search path, so an unquoted USER_TAB_COLUMNS finds this view and not
-- oracle.user_tab_columns.
CREATE OR REPLACE VIEW public.user_tab_columns AS
SELECT upper(c.relname)::varchar(128) AS table_name,
       upper(a.attname)::varchar(128) AS column_name,
       (CASE
          WHEN t.typname IN ('varchar', 'varchar2', 'text') THEN 'VARCHAR2'
          WHEN t.typname = 'nvarchar2' THEN 'NVARCHAR2'
          WHEN t.typname = 'bpchar' THEN 'CHAR'
          WHEN t.typname IN ('numeric', 'int2', 'int4', 'int8') THEN 'NUMBER'
          WHEN t.typname = 'float4' THEN 'BINARY_FLOAT'
          WHEN t.typname = 'float8' THEN 'BINARY_DOUBLE'
          WHEN t.typname = 'date' THEN 'DATE'
          -- Oracle's DATE holds a time to the second: the stand-in's tables write it TIMESTAMP(0)
          WHEN t.typname = 'timestamp' AND a.atttypmod = 0 THEN 'DATE'
          WHEN t.typname = 'timestamp' THEN 'TIMESTAMP(' || coalesce(nullif(a.atttypmod, -1), 6) || ')'
          WHEN t.typname = 'timestamptz'
            THEN 'TIMESTAMP(' || coalesce(nullif(a.atttypmod, -1), 6) || ') WITH TIME ZONE'
          WHEN t.typname = 'clob' THEN 'CLOB'
          WHEN t.typname = 'bytea' THEN 'BLOB'
          ELSE upper(format_type(a.atttypid, NULL))
        END)::varchar(106) AS data_type,
       (CASE
          WHEN t.typname IN ('varchar', 'varchar2', 'nvarchar2', 'bpchar') AND a.atttypmod > 4
            THEN a.atttypmod - 4
          WHEN t.typname IN ('varchar', 'text') THEN 4000
          WHEN t.typname IN ('numeric', 'int2', 'int4', 'int8') THEN 22
          WHEN t.typname = 'date' OR (t.typname = 'timestamp' AND a.atttypmod = 0) THEN 7
          WHEN t.typname IN ('timestamp', 'timestamptz') THEN 11
          WHEN t.typname IN ('clob', 'bytea') THEN 4000
          WHEN t.typlen > 0 THEN t.typlen
        END)::numeric(38, 0) AS data_length,
       (CASE WHEN t.typname = 'numeric' AND a.atttypmod > 4 THEN ((a.atttypmod - 4) >> 16) & 65535
        END)::numeric(38, 0) AS data_precision,
       (CASE
          WHEN t.typname = 'numeric' AND a.atttypmod > 4 THEN (a.atttypmod - 4) & 2047
          WHEN t.typname IN ('int2', 'int4', 'int8') THEN 0
        END)::numeric(38, 0) AS data_scale,
       (CASE WHEN a.attnotnull THEN 'N' ELSE 'Y' END)::varchar(1) AS nullable,
       (row_number() OVER (PARTITION BY c.oid ORDER BY a.attnum))::numeric(38, 0) AS column_id
  FROM pg_catalog.pg_class c
  JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace
  JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped
  JOIN pg_catalog.pg_type t ON t.oid = a.atttypid
 WHERE n.nspname = 'public'
   AND c.relkind IN ('r', 'v', 'm', 'p', 'f')
   AND c.relname <> 'user_tab_columns';

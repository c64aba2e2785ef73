-- Catalog views and date parsing, so that the statements the program writes
-- for an Oracle-style (type 1) or a SQL Server-style (type 2) plant database
-- run unchanged here.
--
-- Every schema (qorroot and each facility) gets:
--   syscolumns, systypes, sysobjects  SQL Server's catalog, as the program
--                                     queries it for a table's columns
--   user_tab_columns                  Oracle's view of the user's columns
--   to_date(text, text), to_date(text) Oracle's TO_DATE, keeping the time of
--                                     day (PostgreSQL's own to_date drops it)
-- Object and column names appear in upper case, as both databases report
-- them. Sessions set their search_path to "<schema>, pg_catalog", so the
-- schema's to_date wins over the built-in one.

-- SQL Server's system types. sysname shares its type code with nvarchar,
-- which is why queries joining on xtype exclude it by name.
CREATE TABLE qorroot.sqlserver_types (
    name   varchar(30) NOT NULL PRIMARY KEY,
    xtype  integer     NOT NULL,
    length integer     NOT NULL
);
INSERT INTO qorroot.sqlserver_types (name, xtype, length) VALUES
    ('image', 34, 16), ('text', 35, 16), ('date', 40, 3), ('smallint', 52, 2), ('int', 56, 4),
    ('real', 59, 4), ('datetime', 61, 8), ('float', 62, 8), ('sql_variant', 98, 8016), ('ntext', 99, 16),
    ('bit', 104, 1), ('numeric', 108, 17), ('bigint', 127, 8), ('varbinary', 165, 8000),
    ('varchar', 167, 8000), ('char', 175, 8000), ('nvarchar', 231, 8000), ('sysname', 231, 256),
    ('nchar', 239, 8000);

-- SQL Server's type of a PostgreSQL column: name, type code (xtype) and
-- length in bytes (characters for varchar).
CREATE FUNCTION qorroot.sqlserver_type(type_oid oid, type_mod integer,
                                       OUT type_name text, OUT xtype integer, OUT length integer)
LANGUAGE sql STABLE AS $$
    SELECT st.name::text, st.xtype,
           CASE WHEN st.name IN ('varchar', 'char') AND type_mod > 4 THEN type_mod - 4 ELSE st.length END
      FROM qorroot.sqlserver_types st
     WHERE st.name = CASE type_oid
                       WHEN 'varchar'::regtype   THEN 'varchar'
                       WHEN 'bpchar'::regtype    THEN 'char'
                       WHEN 'text'::regtype      THEN 'text'
                       WHEN 'int4'::regtype      THEN 'int'
                       WHEN 'int2'::regtype      THEN 'smallint'
                       WHEN 'int8'::regtype      THEN 'bigint'
                       WHEN 'float8'::regtype    THEN 'float'
                       WHEN 'float4'::regtype    THEN 'real'
                       WHEN 'numeric'::regtype   THEN 'numeric'
                       WHEN 'timestamp'::regtype THEN 'datetime'
                       WHEN 'date'::regtype      THEN 'date'
                       WHEN 'bytea'::regtype     THEN 'image'
                       WHEN 'bool'::regtype      THEN 'bit'
                       ELSE 'sql_variant'
                     END
$$;

-- Tables, views and procedures of one schema, SQL Server style.
CREATE FUNCTION qorroot.catalog_sysobjects(schema_name text)
RETURNS TABLE (id bigint, name text, xtype text, type text, parent_obj bigint)
LANGUAGE sql STABLE AS $$
    SELECT c.oid::bigint, upper(c.relname::text),
           CASE c.relkind WHEN 'v' THEN 'V' ELSE 'U' END,
           CASE c.relkind WHEN 'v' THEN 'V' ELSE 'U' END, 0::bigint
      FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace
     WHERE n.nspname = schema_name AND c.relkind IN ('r', 'v', 'p', 'm')
    UNION ALL
    SELECT p.oid::bigint, upper(p.proname::text),
           CASE p.prokind WHEN 'p' THEN 'P' ELSE 'FN' END,
           CASE p.prokind WHEN 'p' THEN 'P' ELSE 'FN' END, 0::bigint
      FROM pg_catalog.pg_proc p JOIN pg_catalog.pg_namespace n ON n.oid = p.pronamespace
     WHERE n.nspname = schema_name
$$;

-- Columns of the tables and views of one schema, SQL Server style.
CREATE FUNCTION qorroot.catalog_syscolumns(schema_name text)
RETURNS TABLE (id bigint, colid integer, name text, xtype integer, xusertype integer,
               length integer, isnullable integer)
LANGUAGE sql STABLE AS $$
    SELECT c.oid::bigint, a.attnum::integer, upper(a.attname::text), t.xtype, t.xtype, t.length,
           CASE WHEN a.attnotnull THEN 0 ELSE 1 END
      FROM pg_catalog.pg_class c
      JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace
      JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped
      CROSS JOIN LATERAL qorroot.sqlserver_type(a.atttypid, a.atttypmod) t
     WHERE n.nspname = schema_name AND c.relkind IN ('r', 'v', 'p', 'm')
$$;

-- Columns of the tables and views of one schema, Oracle style.
CREATE FUNCTION qorroot.catalog_user_tab_columns(schema_name text)
RETURNS TABLE (table_name text, column_name text, data_type text, data_length integer,
               data_precision integer, data_scale integer, nullable text, column_id integer)
LANGUAGE sql STABLE AS $$
    SELECT upper(c.relname::text), upper(a.attname::text),
           CASE a.atttypid
             WHEN 'varchar'::regtype   THEN 'VARCHAR2'
             WHEN 'bpchar'::regtype    THEN 'CHAR'
             WHEN 'text'::regtype      THEN 'CLOB'
             WHEN 'timestamp'::regtype THEN 'DATE'
             WHEN 'date'::regtype      THEN 'DATE'
             WHEN 'bytea'::regtype     THEN 'BLOB'
             WHEN 'float8'::regtype    THEN 'FLOAT'
             WHEN 'float4'::regtype    THEN 'FLOAT'
             ELSE 'NUMBER'
           END,
           CASE
             WHEN a.atttypid IN ('varchar'::regtype, 'bpchar'::regtype) AND a.atttypmod > 4 THEN a.atttypmod - 4
             WHEN a.atttypid IN ('varchar'::regtype, 'text'::regtype, 'bytea'::regtype) THEN 4000
             WHEN a.atttypid IN ('timestamp'::regtype, 'date'::regtype) THEN 7
             ELSE 22
           END,
           CASE a.atttypid
             WHEN 'int4'::regtype THEN 10 WHEN 'int2'::regtype THEN 5 WHEN 'int8'::regtype THEN 19
             WHEN 'float8'::regtype THEN 126 WHEN 'float4'::regtype THEN 63
           END,
           CASE WHEN a.atttypid IN ('int2'::regtype, 'int4'::regtype, 'int8'::regtype) THEN 0 END,
           CASE WHEN a.attnotnull THEN 'N' ELSE 'Y' END,
           a.attnum::integer
      FROM pg_catalog.pg_class c
      JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace
      JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped
     WHERE n.nspname = schema_name AND c.relkind IN ('r', 'v', 'p', 'm')
$$;

-- Oracle's TO_DATE(text, format) with the time of day kept. PostgreSQL's
-- to_timestamp understands Oracle's format elements (DD, Mon, YYYY, HH, HH24,
-- MI, SS, AM, ...); Oracle's FF (fractional seconds) becomes US. The text is
-- read in UTC and turned back into a plain timestamp, so the wall-clock
-- value comes back unchanged whatever the session's time zone, even on the
-- night a daylight-saving change skips an hour.
CREATE FUNCTION qorroot.oracle_to_date(value text, format text) RETURNS timestamp
LANGUAGE plpgsql STABLE STRICT SET TimeZone = 'UTC' AS $$
BEGIN
    RETURN pg_catalog.to_timestamp(value, regexp_replace(format, 'FF(?![1-9])', 'US', 'gi'))
           AT TIME ZONE 'UTC';
END;
$$;

-- TO_DATE(text) without a format: any date-time text PostgreSQL can read,
-- such as '2024-03-05 13:30:00' or '05-Mar-2024 01:30:00 PM'.
CREATE FUNCTION qorroot.oracle_to_date(value text) RETURNS timestamp
LANGUAGE sql STABLE STRICT AS $$ SELECT value::timestamp $$;

-- Creates the catalog views and TO_DATE in one schema.
CREATE FUNCTION qorroot.create_catalog_views(schema_name text) RETURNS void
LANGUAGE plpgsql AS $fn$
BEGIN
    EXECUTE format('CREATE VIEW %I.sysobjects AS SELECT * FROM qorroot.catalog_sysobjects(%L)',
                   schema_name, schema_name);
    EXECUTE format('CREATE VIEW %I.syscolumns AS SELECT * FROM qorroot.catalog_syscolumns(%L)',
                   schema_name, schema_name);
    EXECUTE format('CREATE VIEW %I.systypes AS SELECT name, xtype, xtype AS xusertype, length FROM qorroot.sqlserver_types',
                   schema_name);
    EXECUTE format('CREATE VIEW %I.user_tab_columns AS SELECT * FROM qorroot.catalog_user_tab_columns(%L)',
                   schema_name, schema_name);
    EXECUTE format('CREATE FUNCTION %I.to_date(value text, format text) RETURNS timestamp
                    LANGUAGE sql STABLE STRICT AS $$ SELECT qorroot.oracle_to_date(value, format) $$',
                   schema_name);
    EXECUTE format('CREATE FUNCTION %I.to_date(value text) RETURNS timestamp
                    LANGUAGE sql STABLE STRICT AS $$ SELECT qorroot.oracle_to_date(value) $$',
                   schema_name);
END;
$fn$;

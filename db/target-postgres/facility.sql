-- Facility schemas. Each facility has a schema of its own, named after its
-- file name in lower case, holding its variables, its values by day and by
-- sub-daily slot, comments, additional-info rows, settings, locations, the
-- value procedures and the catalog views.
--
-- qorroot.add_facility(file_name, name) is the entry point. The builders
-- below create their objects in the first schema of the search_path, which
-- add_facility points at the new schema while it runs; the procedures keep
-- that search_path (SET search_path FROM CURRENT), so they find their tables
-- whatever the caller's search_path is.

-- The frequency codes of the sub-daily tables: 4 hours, hour, 30, 15, 5 and
-- 1 minutes, and seconds (X, a table only: values at one-second resolution
-- are kept but have no procedures of their own).
CREATE FUNCTION qorroot.subdaily_codes() RETURNS text[]
LANGUAGE sql IMMUTABLE AS $$ SELECT ARRAY['4', 'H', '3', 'F', '5', '1', 'X'] $$;

-- Additional-info columns every facility starts with; more can be added
-- with qorroot.add_info_column.
CREATE FUNCTION qorroot.default_info_columns() RETURNS text
LANGUAGE sql IMMUTABLE AS $$
    SELECT 'sample_no varchar(50), analyst varchar(50), method varchar(100), remarks varchar(2000)'
$$;

-- Tables of one facility (daily part, settings, variables, locations).
CREATE FUNCTION qorroot.create_facility_tables() RETURNS void
LANGUAGE plpgsql AS $fn$
BEGIN
    -- Variables. vartype is the one-character type code (P, C, T for daily
    -- values; 4, H, 3, F, 5, 1, 9 and their calculated and text forms for
    -- sub-daily ones). lims_* are the cross-references to laboratory results;
    -- g2_interface_id and g2_enabled (-1) link a variable to a collector.
    CREATE TABLE vardesc (
        varid               serial       PRIMARY KEY,
        varnum              integer,
        name                varchar(100) NOT NULL,
        vartype             varchar(1)   NOT NULL DEFAULT 'P',
        units               varchar(50),
        decplaces           integer      DEFAULT 2,      -- 9999 = not fixed
        description         varchar(255),
        source_cnn_approval integer,                     -- approval level of imported values
        locid               integer,                     -- location (table location)
        lims_loc            varchar(100),
        lims_test           varchar(255),                -- may list tests separated by "~"
        lims_ud1            varchar(100),
        lims_ud2            varchar(100),
        lims_ud3            varchar(100),
        allowsymbol         integer      DEFAULT 0,      -- -1 = symbol rules apply
        limit_to_list       integer      DEFAULT 0,      -- -1 = text values must come from list
        list                varchar(4000),               -- TAB-separated text list
        symbolrule1  integer, symbolrule2  integer, symbolrule3  integer, symbolrule4  integer,
        symbolrule5  integer, symbolrule6  integer, symbolrule7  integer, symbolrule8  integer,
        symbolrule9  integer, symbolrule10 integer,
        symbolfactor1  double precision, symbolfactor2  double precision,
        symbolfactor3  double precision, symbolfactor4  double precision,
        symbolfactor5  double precision, symbolfactor6  double precision,
        symbolfactor7  double precision, symbolfactor8  double precision,
        symbolfactor9  double precision, symbolfactor10 double precision,
        g2_interface_id     integer,
        g2_enabled          integer      DEFAULT 0
    );
    CREATE INDEX vardesc_collector ON vardesc (g2_interface_id, g2_enabled);

    -- Facility settings: 'LockDate' (values before it must not change, text
    -- 'yyyy-mm-dd hh24:mi:ss') and the logbook cross-references 'LBXREF...'.
    -- The program names the table both unquoted and as "SETTINGS".
    CREATE TABLE settings (
        setting  varchar(50)   NOT NULL PRIMARY KEY,
        curvalue varchar(2000)
    );
    CREATE VIEW "SETTINGS" AS SELECT setting, curvalue FROM settings;

    -- Approval levels; the program counts its rows to test a connection.
    CREATE TABLE approvalini (
        id          integer     NOT NULL PRIMARY KEY,
        name        varchar(50),
        description varchar(255)
    );
    INSERT INTO approvalini (id, name) VALUES (0, 'Not approved'), (1, 'Reviewed'), (2, 'Approved'), (3, 'Final');

    -- Location tree; a variable's locid points into it.
    CREATE TABLE location (
        locid    serial       PRIMARY KEY,
        location varchar(100) NOT NULL,
        parentid integer      REFERENCES location
    );

    -- Daily values: one row per variable and day (datestamp at midnight).
    CREATE TABLE datatbl (
        varid          integer   NOT NULL,
        datestamp      timestamp NOT NULL,
        curvalue       double precision,
        textvalue      varchar(255),
        status         integer   NOT NULL DEFAULT 0,   -- approval status
        forced         integer   NOT NULL DEFAULT 0,
        audituser      varchar(50),
        audittimestamp timestamp,
        CONSTRAINT datatbl_pkey PRIMARY KEY (varid, datestamp)
    );

    -- Daily comments.
    CREATE TABLE datatbl_c (
        varid          integer   NOT NULL,
        datestamp      timestamp NOT NULL,
        comment        varchar(2000),
        audituser      varchar(50),
        audittimestamp timestamp,
        CONSTRAINT datatbl_c_pkey PRIMARY KEY (varid, datestamp)
    );

    -- Additional information of daily values (sample number, analyst, ...).
    EXECUTE format('CREATE TABLE datatbl_i (
        varid          integer   NOT NULL,
        datestamp      timestamp NOT NULL,
        audituser      varchar(50),
        audittimestamp timestamp,
        %s,
        CONSTRAINT datatbl_i_pkey PRIMARY KEY (varid, datestamp))', qorroot.default_info_columns());
END;
$fn$;

-- The three tables of one sub-daily frequency: values (datadd<code>),
-- comments (datadd<code>_c) and additional information (datadd<code>_i).
-- A row's datestamp lies within its slot; the procedures keep at most one
-- row per variable and slot.
CREATE FUNCTION qorroot.create_subdaily_tables(code text) RETURNS void
LANGUAGE plpgsql AS $fn$
DECLARE
    values_table  text := 'datadd' || lower(code);
BEGIN
    EXECUTE format('CREATE TABLE %1$I (
        varid          integer   NOT NULL,
        datestamp      timestamp NOT NULL,
        curvalue       double precision,
        textvalue      varchar(255),
        status         integer   NOT NULL DEFAULT 0,
        forced         integer   NOT NULL DEFAULT 0,
        audituser      varchar(50),
        audittimestamp timestamp,
        CONSTRAINT %2$I PRIMARY KEY (varid, datestamp))',
        values_table, values_table || '_pkey');
    EXECUTE format('CREATE TABLE %1$I (
        varid          integer   NOT NULL,
        datestamp      timestamp NOT NULL,
        comment        varchar(2000),
        audituser      varchar(50),
        audittimestamp timestamp,
        CONSTRAINT %2$I PRIMARY KEY (varid, datestamp))',
        values_table || '_c', values_table || '_c_pkey');
    EXECUTE format('CREATE TABLE %1$I (
        varid          integer   NOT NULL,
        datestamp      timestamp NOT NULL,
        audituser      varchar(50),
        audittimestamp timestamp,
        %3$s,
        CONSTRAINT %2$I PRIMARY KEY (varid, datestamp))',
        values_table || '_i', values_table || '_i_pkey', qorroot.default_info_columns());
END;
$fn$;

-- Grants a facility's or the root's objects to the logins made by
-- qorroot.grant_login.
CREATE FUNCTION qorroot.grant_schema(schema_name text, role_name text) RETURNS void
LANGUAGE plpgsql AS $fn$
BEGIN
    EXECUTE format('GRANT USAGE ON SCHEMA %I TO %I', schema_name, role_name);
    EXECUTE format('GRANT ALL ON ALL TABLES IN SCHEMA %I TO %I', schema_name, role_name);
    EXECUTE format('GRANT ALL ON ALL SEQUENCES IN SCHEMA %I TO %I', schema_name, role_name);
    EXECUTE format('GRANT EXECUTE ON ALL FUNCTIONS IN SCHEMA %I TO %I', schema_name, role_name);
    EXECUTE format('GRANT EXECUTE ON ALL PROCEDURES IN SCHEMA %I TO %I', schema_name, role_name);
END;
$fn$;

-- Creates the facility: its row in qorroot.facility and its schema (the file
-- name in lower case) with every table, view and procedure. Returns the
-- schema name. The file name keeps its letter case in the facility row.
CREATE FUNCTION qorroot.add_facility(file_name text, name text) RETURNS text
LANGUAGE plpgsql AS $fn$
DECLARE
    schema_name text := lower(btrim(file_name));
    saved_path  text := current_setting('search_path');
    code        text;
    login       name;
BEGIN
    IF schema_name IS NULL OR schema_name = '' THEN
        RAISE EXCEPTION 'a facility needs a file name';
    END IF;
    IF schema_name IN ('qorroot', 'public', 'pg_catalog', 'information_schema') OR schema_name LIKE 'pg\_%' THEN
        RAISE EXCEPTION 'the file name % is reserved', quote_literal(file_name);
    END IF;

    INSERT INTO qorroot.facility (filename, name) VALUES (btrim(file_name), add_facility.name);
    EXECUTE format('CREATE SCHEMA %I', schema_name);

    -- Build inside the new schema; procedures capture this search_path.
    PERFORM set_config('search_path', format('%I, pg_catalog', schema_name), true);
    PERFORM qorroot.create_facility_tables();
    PERFORM qorroot.create_daily_procedures();
    FOREACH code IN ARRAY qorroot.subdaily_codes() LOOP
        PERFORM qorroot.create_subdaily_tables(code);
        IF code <> 'X' THEN
            PERFORM qorroot.create_subdaily_procedures(code);
        END IF;
    END LOOP;
    PERFORM qorroot.create_catalog_views(schema_name);
    PERFORM set_config('search_path', saved_path, true);

    FOR login IN SELECT rolname FROM qorroot.plantdb_login LOOP
        PERFORM qorroot.grant_schema(schema_name, login);
    END LOOP;
    RETURN schema_name;
EXCEPTION WHEN OTHERS THEN
    PERFORM set_config('search_path', saved_path, true);
    RAISE;
END;
$fn$;

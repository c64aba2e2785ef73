-- Helpers that fill a plant database for trials, tests, benchmarks and the
-- demo: collectors, variables with their laboratory cross-references,
-- symbols, time zones, users, lock dates and settings. A facility is named by
-- its file name in any letter case.
--
-- Names and values reach dynamic SQL only through format('%I') / format('%L')
-- or EXECUTE ... USING, so a name with a quote in it cannot change a
-- statement.

-- The schema of a facility, by its file name in any letter case.
CREATE FUNCTION qorroot.facility_schema(facility text) RETURNS text
LANGUAGE plpgsql STABLE AS $fn$
DECLARE
    schema_name text;
BEGIN
    SELECT lower(f.filename) INTO schema_name
      FROM qorroot.facility f WHERE lower(f.filename) = lower(btrim(facility));
    IF schema_name IS NULL THEN
        RAISE EXCEPTION 'unknown facility %', quote_literal(facility);
    END IF;
    RETURN schema_name;
END;
$fn$;

-- Registers a collector and returns its interface_id (the given one, or the
-- next free one). lu_id is the interface definition the collector belongs to.
CREATE FUNCTION qorroot.add_collector(
    name               text,
    interface_id       integer          DEFAULT NULL,
    lu_id              integer          DEFAULT 52907,
    lu_version         text             DEFAULT NULL,
    enabled            boolean          DEFAULT true,
    time_zone_id       integer          DEFAULT NULL,
    date_adjust        double precision DEFAULT 0,
    override_audituser text             DEFAULT NULL,
    description        text             DEFAULT NULL)
RETURNS integer
LANGUAGE plpgsql AS $fn$
DECLARE
    new_id integer;
BEGIN
    INSERT INTO qorroot.g2_server AS s (interface_id, name, description, lu_id, lu_version, enabled,
                                        audituser, audittimestamp, override_audituser,
                                        collector_dateadjust, collector_qortimezoneid)
    VALUES (coalesce(add_collector.interface_id, nextval('qorroot.g2_server_interface_id_seq')::integer),
            add_collector.name, add_collector.description, add_collector.lu_id, add_collector.lu_version,
            CASE WHEN add_collector.enabled THEN -1 ELSE 0 END, 'PLANTDB', localtimestamp(0),
            add_collector.override_audituser, coalesce(date_adjust, 0), time_zone_id)
    RETURNING s.interface_id INTO new_id;
    -- Keep the sequence ahead of explicitly chosen ids.
    PERFORM setval('qorroot.g2_server_interface_id_seq',
                   greatest((SELECT max(g.interface_id) FROM qorroot.g2_server g), 1));
    RETURN new_id;
END;
$fn$;

-- Adds a variable to a facility and returns its varid. vartype is the
-- one-character type code; collector links the variable to a collector
-- (enabled: g2_enabled = -1). varnum defaults to the varid.
CREATE FUNCTION qorroot.add_variable(
    facility    text,
    name        text,
    vartype     text    DEFAULT 'P',
    lims_loc    text    DEFAULT NULL,
    lims_test   text    DEFAULT NULL,
    lims_ud1    text    DEFAULT NULL,
    lims_ud2    text    DEFAULT NULL,
    lims_ud3    text    DEFAULT NULL,
    collector   integer DEFAULT NULL,
    enabled     boolean DEFAULT true,
    units       text    DEFAULT NULL,
    decplaces   integer DEFAULT 2,
    approval    integer DEFAULT NULL,
    varnum      integer DEFAULT NULL,
    locid       integer DEFAULT NULL,
    description text    DEFAULT NULL)
RETURNS integer
LANGUAGE plpgsql AS $fn$
DECLARE
    new_id integer;
BEGIN
    EXECUTE format(
        'INSERT INTO %I.vardesc (name, vartype, lims_loc, lims_test, lims_ud1, lims_ud2, lims_ud3,
                                 g2_interface_id, g2_enabled, units, decplaces, source_cnn_approval,
                                 varnum, locid, description)
         VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, $14, $15)
         RETURNING varid', qorroot.facility_schema(facility))
       INTO new_id
      USING name, coalesce(vartype, 'P'), lims_loc, lims_test, lims_ud1, lims_ud2, lims_ud3,
            collector, CASE WHEN enabled AND collector IS NOT NULL THEN -1 ELSE 0 END,
            units, decplaces, approval, varnum, locid, description;
    IF varnum IS NULL THEN
        EXECUTE format('UPDATE %I.vardesc SET varnum = varid WHERE varid = $1', qorroot.facility_schema(facility))
          USING new_id;
    END IF;
    RETURN new_id;
END;
$fn$;

-- Lets a variable take result symbols and sets the rule and factor of the
-- symbol at position 1..10 (rule 0 keeps the number, 2 halves it, 3
-- multiplies it by the factor, 4 replaces it by the factor, 6 doubles it).
CREATE FUNCTION qorroot.set_symbol_rule(facility text, varid integer, symbol_position integer,
                                        rule integer, factor double precision DEFAULT 0)
RETURNS void
LANGUAGE plpgsql AS $fn$
BEGIN
    IF symbol_position NOT BETWEEN 1 AND 10 THEN
        RAISE EXCEPTION 'symbol rule position % is not within 1..10', symbol_position;
    END IF;
    EXECUTE format('UPDATE %I.vardesc SET allowsymbol = -1, %I = $1, %I = $2 WHERE varid = $3',
                   qorroot.facility_schema(facility), 'symbolrule' || symbol_position, 'symbolfactor' || symbol_position)
      USING rule, factor, varid;
END;
$fn$;

-- Gives a text variable its list of allowed texts (stored TAB-separated).
CREATE FUNCTION qorroot.set_text_list(facility text, varid integer, items text[],
                                      limit_to_list boolean DEFAULT true)
RETURNS void
LANGUAGE plpgsql AS $fn$
BEGIN
    EXECUTE format('UPDATE %I.vardesc SET list = $1, limit_to_list = $2 WHERE varid = $3',
                   qorroot.facility_schema(facility))
      USING array_to_string(items, E'\t'), CASE WHEN limit_to_list THEN -1 ELSE 0 END, varid;
END;
$fn$;

-- Adds a location below parent (NULL: at the top) and returns its locid.
CREATE FUNCTION qorroot.add_location(facility text, location text, parent integer DEFAULT NULL)
RETURNS integer
LANGUAGE plpgsql AS $fn$
DECLARE
    new_id integer;
BEGIN
    EXECUTE format('INSERT INTO %I.location (location, parentid) VALUES ($1, $2) RETURNING locid',
                   qorroot.facility_schema(facility))
       INTO new_id USING location, parent;
    RETURN new_id;
END;
$fn$;

-- Sets (or with NULL removes) a facility setting.
CREATE FUNCTION qorroot.set_setting(facility text, setting text, value text) RETURNS void
LANGUAGE plpgsql AS $fn$
DECLARE
    schema_name text := qorroot.facility_schema(facility);
BEGIN
    EXECUTE format('DELETE FROM %I.settings WHERE setting = $1', schema_name) USING setting;
    IF value IS NOT NULL THEN
        EXECUTE format('INSERT INTO %I.settings (setting, curvalue) VALUES ($1, $2)', schema_name)
          USING setting, value;
    END IF;
END;
$fn$;

-- The facility's lock date (values before it must not change); NULL removes it.
CREATE FUNCTION qorroot.set_lock_date(facility text, lock_date timestamp) RETURNS void
LANGUAGE sql AS $$
    SELECT qorroot.set_setting(facility, 'LockDate', to_char(lock_date, 'YYYY-MM-DD HH24:MI:SS'))
$$;

-- Adds an additional-info column to the facility's daily and sub-daily
-- "_I" tables. type_name is a PostgreSQL type; length applies to varchar.
CREATE FUNCTION qorroot.add_info_column(facility text, column_name text,
                                        type_name text DEFAULT 'varchar', length integer DEFAULT 255)
RETURNS void
LANGUAGE plpgsql AS $fn$
DECLARE
    schema_name text := qorroot.facility_schema(facility);
    type_oid    regtype := to_regtype(type_name);
    type_text   text;
    info_table  text;
BEGIN
    IF type_oid IS NULL THEN
        RAISE EXCEPTION 'unknown type %', quote_literal(type_name);
    END IF;
    type_text := format_type(type_oid, NULL);
    IF type_oid IN ('varchar'::regtype, 'bpchar'::regtype) AND length IS NOT NULL THEN
        type_text := type_text || '(' || length::integer || ')';
    END IF;
    FOR info_table IN
        SELECT 'datatbl_i' UNION ALL SELECT 'datadd' || lower(c) || '_i' FROM unnest(qorroot.subdaily_codes()) c
    LOOP
        EXECUTE format('ALTER TABLE %I.%I ADD COLUMN %I %s', schema_name, info_table, lower(column_name), type_text);
    END LOOP;
END;
$fn$;

-- Adds a result symbol and returns its id (the symbols are used in id order).
CREATE FUNCTION qorroot.add_symbol(symbol text, allow_numeric integer DEFAULT 0) RETURNS integer
LANGUAGE sql AS $$
    INSERT INTO qorroot.symbols (symbol, allownumeric) VALUES (symbol, allow_numeric) RETURNING id
$$;

-- Adds (or renames) a time zone.
CREATE FUNCTION qorroot.add_time_zone(time_zone_id integer, zone_name text) RETURNS void
LANGUAGE sql AS $$
    INSERT INTO qorroot.qortimezone (qortimezoneid, timezonename) VALUES (time_zone_id, zone_name)
    ON CONFLICT (qortimezoneid) DO UPDATE SET timezonename = excluded.timezonename
$$;

-- Sets a zone's offsets for one year, in minutes west of UTC: bias_daylight
-- is the whole bias in daylight time (for example 300 and 240 for US
-- Eastern). Without daylight time leave both starts NULL.
CREATE FUNCTION qorroot.set_time_zone_bias(time_zone_id integer, year integer, bias_standard integer,
                                           bias_daylight integer DEFAULT NULL,
                                           start_daylight timestamp DEFAULT NULL,
                                           start_standard timestamp DEFAULT NULL)
RETURNS void
LANGUAGE sql AS $$
    INSERT INTO qorroot.qortimezone_bias (qortimezoneid, yearid, bias_standard, bias_daylight,
                                          start_standard, start_daylight)
    VALUES (time_zone_id, year, bias_standard, coalesce(bias_daylight, bias_standard), start_standard, start_daylight)
    ON CONFLICT (qortimezoneid, yearid) DO UPDATE
       SET bias_standard = excluded.bias_standard, bias_daylight = excluded.bias_daylight,
           start_standard = excluded.start_standard, start_daylight = excluded.start_daylight
$$;

-- The stored form of a user's password: two filler characters, the password
-- reversed with each character's code lowered by 27 + its position in the
-- password (the first character is stored last), three filler characters.
CREATE FUNCTION qorroot.encode_password(password text) RETURNS text
LANGUAGE sql IMMUTABLE STRICT AS $$
    SELECT 'QX' || coalesce(string_agg(chr(ascii(substr(password, k, 1)) - 27 - k), '' ORDER BY k DESC), '') || 'ZQX'
      FROM generate_series(1, length(password)) AS k
$$;

-- Adds (or replaces) a user of the plant database.
CREATE FUNCTION qorroot.add_user(username text, password text, usertype text DEFAULT 'Super') RETURNS void
LANGUAGE sql AS $$
    INSERT INTO qorroot."USER" (username, password, usertype)
    VALUES (upper(btrim(username)), qorroot.encode_password(password), usertype)
    ON CONFLICT (username) DO UPDATE SET password = excluded.password, usertype = excluded.usertype
$$;

-- Sets the last run of a collector for a facility (file name stored in upper case).
CREATE FUNCTION qorroot.set_last_run(interface_id integer, facility text, last_run timestamp) RETURNS void
LANGUAGE sql AS $$
    INSERT INTO qorroot.g2_server_run (interface_id, filename, lastrun, audituser, audittimestamp)
    VALUES (interface_id, upper(btrim(facility)), last_run, 'PLANTDB', localtimestamp(0))
    ON CONFLICT (interface_id, filename) DO UPDATE
       SET lastrun = excluded.lastrun, audituser = excluded.audituser, audittimestamp = excluded.audittimestamp
$$;

-- Lets the program log in as role_name with password: creates the login role
-- when the server lacks it (roles are shared by all databases of a server),
-- sets its password, and grants it the root schema and every facility,
-- including facilities added later. The program logs in as QORDBA for a
-- SQL Server-style database and as the schema's name (QORROOT, each
-- facility's file name) for an Oracle-style one; role names are lower case.
CREATE FUNCTION qorroot.grant_login(role_name text, password text) RETURNS void
LANGUAGE plpgsql AS $fn$
DECLARE
    login       text := lower(btrim(role_name));
    schema_name text;
BEGIN
    -- Roles belong to the whole server: scratch databases filled at the same
    -- time (parallel tests) race for the same role row ("tuple concurrently
    -- updated", or a role created in between). Such a collision is retried.
    FOR attempt IN 1..50 LOOP
        BEGIN
            IF NOT EXISTS (SELECT 1 FROM pg_catalog.pg_roles r WHERE r.rolname = login) THEN
                EXECUTE format('CREATE ROLE %I LOGIN PASSWORD %L', login, password);
            ELSE
                EXECUTE format('ALTER ROLE %I LOGIN PASSWORD %L', login, password);
            END IF;
            EXIT;
        EXCEPTION WHEN duplicate_object OR unique_violation OR internal_error THEN
            IF attempt = 50 THEN
                RAISE;
            END IF;
            PERFORM pg_sleep(0.05 + random() * 0.1);
        END;
    END LOOP;
    EXECUTE format('GRANT CONNECT ON DATABASE %I TO %I', current_database(), login);
    INSERT INTO qorroot.plantdb_login (rolname) VALUES (login) ON CONFLICT DO NOTHING;
    PERFORM qorroot.grant_schema('qorroot', login);
    FOR schema_name IN SELECT lower(f.filename) FROM qorroot.facility f LOOP
        PERFORM qorroot.grant_schema(schema_name, login);
    END LOOP;
END;
$fn$;

-- Every login the program may use with one password: QORDBA, QORROOT and a
-- role per facility.
CREATE FUNCTION qorroot.grant_logins(password text) RETURNS void
LANGUAGE plpgsql AS $fn$
DECLARE
    login text;
BEGIN
    FOR login IN SELECT 'qordba' UNION ALL SELECT 'qorroot' UNION ALL SELECT lower(f.filename) FROM qorroot.facility f
    LOOP
        PERFORM qorroot.grant_login(login, password);
    END LOOP;
END;
$fn$;

-- Value procedures of a facility schema.
--
-- Callers send CALL name(...) with the inputs as literals and NULL in each
-- output position; the row that CALL returns holds the outputs (INOUT
-- parameters). Behaviour the program relies on:
--   * a seek answers NULL in its variable-id output when no row exists;
--   * a write replaces the row of the same variable and day (daily) or slot
--     (sub-daily), and so does a comment write;
--   * deletes delete; set-forced changes only the forced flag of an existing
--     row.
-- The audit user passed to deletes is accepted but not kept: there is no
-- audit trail in this database.
--
-- Parameters that share a name with a column are always qualified with the
-- procedure's name, and columns with a table alias, so PL/pgSQL never has to
-- guess which one is meant.

-- Daily values and comments (tables datatbl and datatbl_c). Days are
-- compared at midnight: whatever time of day is sent, the row is the day's.
CREATE FUNCTION qorroot.create_daily_procedures() RETURNS void
LANGUAGE plpgsql AS $fn$
BEGIN
    CREATE PROCEDURE seekddatevarid(
        datestamp_1          timestamp,
        varid_2              integer,
        INOUT curvalue_3     double precision,
        INOUT textvalue_4    varchar(255),
        INOUT varid_5        integer,
        INOUT audituser      varchar(50),
        INOUT audittimestamp timestamp,
        INOUT forced         integer,
        INOUT status         integer)
    LANGUAGE plpgsql SET search_path FROM CURRENT AS $p$
    BEGIN
        -- No row leaves every output NULL, varid_5 included.
        SELECT d.curvalue, d.textvalue, d.varid, d.audituser, d.audittimestamp, d.forced, d.status
          INTO curvalue_3, textvalue_4, varid_5, seekddatevarid.audituser,
               seekddatevarid.audittimestamp, seekddatevarid.forced, seekddatevarid.status
          FROM datatbl d
         WHERE d.varid = varid_2 AND d.datestamp = date_trunc('day', datestamp_1);
    END;
    $p$;

    CREATE PROCEDURE writedtbl(
        date      timestamp,
        varid     integer,
        value     double precision,
        textvalue varchar(255),
        audituser varchar(50),
        status    integer)
    LANGUAGE plpgsql SET search_path FROM CURRENT AS $p$
    BEGIN
        -- Replaces the day's row; the forced flag of a replaced row is kept.
        INSERT INTO datatbl AS d (varid, datestamp, curvalue, textvalue, status, audituser, audittimestamp)
        VALUES (writedtbl.varid, date_trunc('day', writedtbl.date), writedtbl.value, writedtbl.textvalue,
                coalesce(writedtbl.status, 0), writedtbl.audituser, localtimestamp(0))
        ON CONFLICT ON CONSTRAINT datatbl_pkey DO UPDATE
           SET curvalue = excluded.curvalue, textvalue = excluded.textvalue, status = excluded.status,
               audituser = excluded.audituser, audittimestamp = excluded.audittimestamp;
    END;
    $p$;

    CREATE PROCEDURE deletedtbl(date timestamp, varid integer, audituser varchar(50))
    LANGUAGE plpgsql SET search_path FROM CURRENT AS $p$
    BEGIN
        DELETE FROM datatbl d WHERE d.varid = deletedtbl.varid AND d.datestamp = date_trunc('day', deletedtbl.date);
    END;
    $p$;

    CREATE PROCEDURE setforced(date timestamp, varid integer, audituser varchar(50), forced integer)
    LANGUAGE plpgsql SET search_path FROM CURRENT AS $p$
    BEGIN
        UPDATE datatbl d
           SET forced = coalesce(setforced.forced, 0), audituser = setforced.audituser, audittimestamp = localtimestamp(0)
         WHERE d.varid = setforced.varid AND d.datestamp = date_trunc('day', setforced.date);
    END;
    $p$;

    CREATE PROCEDURE deletecmts(date timestamp, varid integer, audituser varchar(50))
    LANGUAGE plpgsql SET search_path FROM CURRENT AS $p$
    BEGIN
        DELETE FROM datatbl_c c WHERE c.varid = deletecmts.varid AND c.datestamp = date_trunc('day', deletecmts.date);
    END;
    $p$;

    -- "audittuser" (two t's) is the parameter's name as the program sends it.
    CREATE PROCEDURE writetbl_c(date timestamp, varid integer, comment_in varchar(2000), audittuser varchar(50))
    LANGUAGE plpgsql SET search_path FROM CURRENT AS $p$
    BEGIN
        INSERT INTO datatbl_c AS c (varid, datestamp, comment, audituser, audittimestamp)
        VALUES (writetbl_c.varid, date_trunc('day', writetbl_c.date), comment_in, audittuser, localtimestamp(0))
        ON CONFLICT ON CONSTRAINT datatbl_c_pkey DO UPDATE
           SET comment = excluded.comment, audituser = excluded.audituser, audittimestamp = excluded.audittimestamp;
    END;
    $p$;

    -- The server's current local time, also reachable from a facility connection.
    CREATE PROCEDURE getservertime(INOUT date_out timestamp)
    LANGUAGE plpgsql AS $p$
    BEGIN
        date_out := localtimestamp(0);
    END;
    $p$;
END;
$fn$;

-- The eight procedures of one sub-daily frequency code, named after it:
-- SEEKFDD<c>, WRITEDD<c>, DELETEDD<c>, SETFDD<c>, SEEKNEXTDD<c> for values and
-- SEEKDD<c>_C, WRITEDD<c>_C, DELETEDD<c>_C for comments.
--
-- A slot runs from slotstarttime up to, not including, slotendtime. When the
-- end is missing or not after the start (a slot of zero minutes), the slot is
-- the start instant alone. The helper in_slot() states this once.
CREATE FUNCTION qorroot.in_slot(stamp timestamp, slot_start timestamp, slot_end timestamp) RETURNS boolean
LANGUAGE sql IMMUTABLE AS $$
    SELECT stamp >= slot_start
       AND (stamp < slot_end OR (stamp = slot_start AND (slot_end IS NULL OR slot_end <= slot_start)))
$$;

CREATE FUNCTION qorroot.create_subdaily_procedures(code text) RETURNS void
LANGUAGE plpgsql AS $fn$
DECLARE
    c  text := lower(code);
    vt text := 'datadd' || lower(code);          -- values table
    ct text := 'datadd' || lower(code) || '_c';  -- comments table
BEGIN
    -- Value of the slot: varid_5 is NULL when the slot holds no row.
    EXECUTE format($ddl$
    CREATE PROCEDURE %1$I(
        datestamp_1          timestamp,
        varid_2              integer,
        INOUT curvalue_3     double precision,
        INOUT textvalue_4    varchar(255),
        INOUT varid_5        integer,
        INOUT audituser      varchar(50),
        INOUT audittimestamp timestamp,
        INOUT datestamp_out  timestamp,
        slotstarttime        timestamp,
        slotendtime          timestamp,
        INOUT status         integer,
        INOUT forced         integer)
    LANGUAGE plpgsql SET search_path FROM CURRENT AS $p$
    BEGIN
        SELECT d.curvalue, d.textvalue, d.varid, d.audituser, d.audittimestamp, d.datestamp, d.status, d.forced
          INTO curvalue_3, textvalue_4, varid_5, %1$I.audituser, %1$I.audittimestamp, datestamp_out,
               %1$I.status, %1$I.forced
          FROM %2$I d
         WHERE d.varid = varid_2 AND qorroot.in_slot(d.datestamp, slotstarttime, slotendtime)
         ORDER BY d.datestamp
         LIMIT 1;
    END;
    $p$ $ddl$, 'seekfdd' || c, vt);

    -- Replaces whatever the slot holds by one row dated "date".
    EXECUTE format($ddl$
    CREATE PROCEDURE %1$I(
        date          timestamp,
        varid         integer,
        value         double precision,
        textvalue     varchar(255),
        audituser     varchar(50),
        slotstarttime timestamp,
        slotendtime   timestamp,
        status        integer)
    LANGUAGE plpgsql SET search_path FROM CURRENT AS $p$
    DECLARE
        kept_forced integer;
    BEGIN
        -- The forced flag of the replaced row is kept.
        SELECT max(d.forced) INTO kept_forced
          FROM %2$I d
         WHERE d.varid = %1$I.varid AND qorroot.in_slot(d.datestamp, slotstarttime, slotendtime);
        DELETE FROM %2$I d
         WHERE d.varid = %1$I.varid AND qorroot.in_slot(d.datestamp, slotstarttime, slotendtime);
        INSERT INTO %2$I AS d (varid, datestamp, curvalue, textvalue, status, forced, audituser, audittimestamp)
        VALUES (%1$I.varid, coalesce(%1$I.date, slotstarttime), %1$I.value, %1$I.textvalue,
                coalesce(%1$I.status, 0), coalesce(kept_forced, 0), %1$I.audituser, localtimestamp(0));
    END;
    $p$ $ddl$, 'writedd' || c, vt);

    EXECUTE format($ddl$
    CREATE PROCEDURE %1$I(slotstarttime timestamp, varid integer, audituser varchar(50), slotendtime timestamp)
    LANGUAGE plpgsql SET search_path FROM CURRENT AS $p$
    BEGIN
        DELETE FROM %2$I d WHERE d.varid = %1$I.varid AND qorroot.in_slot(d.datestamp, slotstarttime, slotendtime);
    END;
    $p$ $ddl$, 'deletedd' || c, vt);

    EXECUTE format($ddl$
    CREATE PROCEDURE %1$I(slotstarttime timestamp, slotendtime timestamp, varid integer,
                          audituser varchar(50), forced integer)
    LANGUAGE plpgsql SET search_path FROM CURRENT AS $p$
    BEGIN
        UPDATE %2$I d
           SET forced = coalesce(%1$I.forced, 0), audituser = %1$I.audituser, audittimestamp = localtimestamp(0)
         WHERE d.varid = %1$I.varid AND qorroot.in_slot(d.datestamp, slotstarttime, slotendtime);
    END;
    $p$ $ddl$, 'setfdd' || c, vt);

    -- The topnum_in-th row (1 = first, by datestamp) between slotstart_in and
    -- slotend_in; below 1 asks for the first. varid_out is NULL when there is
    -- no such row.
    EXECUTE format($ddl$
    CREATE PROCEDURE %1$I(
        varid_in                 integer,
        slotstart_in             timestamp,
        slotend_in               timestamp,
        topnum_in                integer,
        INOUT varid_out          integer,
        INOUT datestamp_out      timestamp,
        INOUT curvalue_out       double precision,
        INOUT textvalue_out      varchar(255),
        INOUT audituser_out      varchar(50),
        INOUT audittimestamp_out timestamp,
        INOUT status_out         integer,
        INOUT forced_out         integer)
    LANGUAGE plpgsql SET search_path FROM CURRENT AS $p$
    BEGIN
        SELECT d.varid, d.datestamp, d.curvalue, d.textvalue, d.audituser, d.audittimestamp, d.status, d.forced
          INTO varid_out, datestamp_out, curvalue_out, textvalue_out, audituser_out, audittimestamp_out,
               status_out, forced_out
          FROM %2$I d
         WHERE d.varid = varid_in AND qorroot.in_slot(d.datestamp, slotstart_in, slotend_in)
         ORDER BY d.datestamp
        OFFSET greatest(coalesce(topnum_in, 1), 1) - 1
         LIMIT 1;
    END;
    $p$ $ddl$, 'seeknextdd' || c, vt);

    -- Comment of the slot; comment_out is NULL when there is none.
    EXECUTE format($ddl$
    CREATE PROCEDURE %1$I(
        varid_in             integer,
        INOUT comment_out    varchar(2000),
        INOUT audituser      varchar(50),
        INOUT audittimestamp timestamp,
        slotstarttime        timestamp,
        slotendtime          timestamp)
    LANGUAGE plpgsql SET search_path FROM CURRENT AS $p$
    BEGIN
        SELECT c.comment, c.audituser, c.audittimestamp
          INTO comment_out, %1$I.audituser, %1$I.audittimestamp
          FROM %2$I c
         WHERE c.varid = varid_in AND qorroot.in_slot(c.datestamp, slotstarttime, slotendtime)
         ORDER BY c.datestamp
         LIMIT 1;
    END;
    $p$ $ddl$, 'seekdd' || c || '_c', ct);

    EXECUTE format($ddl$
    CREATE PROCEDURE %1$I(
        datestamp_1   timestamp,
        varid_2       integer,
        comment_in    varchar(2000),
        audituser     varchar(50),
        slotstarttime timestamp,
        slotendtime   timestamp)
    LANGUAGE plpgsql SET search_path FROM CURRENT AS $p$
    BEGIN
        DELETE FROM %2$I c WHERE c.varid = varid_2 AND qorroot.in_slot(c.datestamp, slotstarttime, slotendtime);
        INSERT INTO %2$I (varid, datestamp, comment, audituser, audittimestamp)
        VALUES (varid_2, coalesce(datestamp_1, slotstarttime), comment_in, %1$I.audituser, localtimestamp(0));
    END;
    $p$ $ddl$, 'writedd' || c || '_c', ct);

    EXECUTE format($ddl$
    CREATE PROCEDURE %1$I(slotstarttime timestamp, varid_2 integer, slotendtime timestamp, audituser varchar(50))
    LANGUAGE plpgsql SET search_path FROM CURRENT AS $p$
    BEGIN
        DELETE FROM %2$I c WHERE c.varid = varid_2 AND qorroot.in_slot(c.datestamp, slotstarttime, slotendtime);
    END;
    $p$ $ddl$, 'deletedd' || c || '_c', ct);
END;
$fn$;

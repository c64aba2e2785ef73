-- Root schema qorroot: the list of facilities, the collector registrations,
-- their run bookkeeping, time zones, result symbols, users, stored files and
-- interface definitions.
--
-- Names are unquoted (so lower case in PostgreSQL) and therefore match the
-- program's statements in any letter case. The one exception is the user
-- table, which the program addresses as "USER" in double quotes because USER
-- is a reserved word.
--
-- Booleans are stored as -1 (true) and 0 (false), as the program expects.

CREATE SCHEMA qorroot;

-- Every facility has one row here and one schema of its own, named after the
-- file name in lower case (created by qorroot.add_facility).
CREATE TABLE qorroot.facility (
    filename    varchar(30)  NOT NULL PRIMARY KEY,
    name        varchar(100),
    directory   varchar(255)            -- data source of the facility, when it lives elsewhere
);
CREATE UNIQUE INDEX facility_lower_filename ON qorroot.facility (lower(filename));

-- Time zone names; a collector refers to one by qortimezoneid.
CREATE TABLE qorroot.qortimezone (
    qortimezoneid integer      NOT NULL PRIMARY KEY,
    timezonename  varchar(100) NOT NULL
);

-- Offsets of a zone per year, in minutes west of UTC (UTC = local + bias).
-- bias_daylight is the whole bias during daylight time, not a difference.
-- Daylight time runs from start_daylight up to start_standard; a zone
-- without daylight time leaves start_daylight null.
CREATE TABLE qorroot.qortimezone_bias (
    qortimezoneid  integer   NOT NULL REFERENCES qorroot.qortimezone,
    yearid         integer   NOT NULL,
    bias_standard  integer   NOT NULL DEFAULT 0,
    bias_daylight  integer   NOT NULL DEFAULT 0,
    start_standard timestamp,
    start_daylight timestamp,
    PRIMARY KEY (qortimezoneid, yearid)
);

-- Collectors: one row per registered interface. The program knows itself by
-- interface_id and lists the collectors of its own definition (lu_id).
CREATE TABLE qorroot.g2_server (
    interface_id            serial       PRIMARY KEY,
    name                    varchar(100) NOT NULL,
    description             varchar(255),
    lu_id                   integer,                 -- interface definition id
    lu_version              varchar(50),             -- interface definition version
    enabled                 integer      NOT NULL DEFAULT -1,
    audituser               varchar(50),
    audittimestamp          timestamp,
    override_audituser      varchar(50),             -- write values as this user (empty = none)
    collector_dateadjust    double precision NOT NULL DEFAULT 0,
    collector_qortimezoneid integer
);

-- Last imported date per collector and facility, with who ran it and where.
CREATE TABLE qorroot.g2_server_run (
    interface_id   integer      NOT NULL,
    filename       varchar(30)  NOT NULL,
    lastrun        timestamp,
    audituser      varchar(50),
    audittimestamp timestamp,
    workstation    varchar(100),
    netuser        varchar(100),
    ip             varchar(255),
    localpath      varchar(255),
    PRIMARY KEY (interface_id, filename)
);

-- Recalculation requests queued after scheduled imports; the calculation
-- engine that consumes them is not part of this database.
CREATE TABLE qorroot.calcqueue (
    id        serial      PRIMARY KEY,
    status    integer     NOT NULL DEFAULT 0,
    vlist     varchar(4000),
    datestart timestamp,
    dateend   timestamp,
    facility  varchar(30),
    audituser varchar(50)
);

-- Result symbols such as "<" or "ND", in id order; the first ten can carry
-- per-variable rules (vardesc.symbolrule1..10).
CREATE TABLE qorroot.symbols (
    id           serial      PRIMARY KEY,
    symbol       varchar(20),
    allownumeric integer     DEFAULT 0       -- 1 = a number may follow the symbol
);

-- Users of the plant database. The password is stored encoded (see
-- qorroot.encode_password); usertype 'Super' grants the super-user rights.
CREATE TABLE qorroot."USER" (
    username varchar(50)  NOT NULL PRIMARY KEY,
    password varchar(100),
    usertype varchar(20)
);

-- Files stored in the database, addressed by directory and file name.
CREATE TABLE qorroot.files (
    id             serial       PRIMARY KEY,
    dirname        varchar(255) NOT NULL,
    filename       varchar(255) NOT NULL,
    audituser      varchar(50),
    audittimestamp timestamp,
    filedata       bytea
);
CREATE INDEX files_dir_name ON qorroot.files (dirname, filename);

-- Interface definitions: identity, descriptive texts, options and captions,
-- and the FILES ids of the help file and the browser plug-in. The flags hold
-- -1 or 0.
CREATE TABLE qorroot.g2_server_lu (
    lu_id                        varchar(50) NOT NULL,
    lu_version                   varchar(50) NOT NULL,
    lu_locale_id                 varchar(50) NOT NULL,
    quick_desc                   varchar(255),
    collector_context            varchar(255),
    collector_type               varchar(255),
    collector_com                varchar(255),
    browser_implemented          integer DEFAULT 0,
    chm_file_id                  integer,
    ud_req1                      integer DEFAULT 0,
    ud_req2                      integer DEFAULT 0,
    ud_req3                      integer DEFAULT 0,
    ud_req4                      integer DEFAULT 0,
    ud_req5                      integer DEFAULT 0,
    ud_caption1                  varchar(255),
    ud_caption2                  varchar(255),
    ud_caption3                  varchar(255),
    ud_caption4                  varchar(255),
    ud_caption5                  varchar(255),
    browser_plugin_file_id       integer,
    browser_chm_article_id       varchar(50),
    browser_req1                 integer DEFAULT 0,
    browser_req2                 integer DEFAULT 0,
    browser_req3                 integer DEFAULT 0,
    browser_req4                 integer DEFAULT 0,
    browser_req5                 integer DEFAULT 0,
    browser_caption1             varchar(255),
    browser_caption2             varchar(255),
    browser_caption3             varchar(255),
    browser_caption4             varchar(255),
    browser_caption5             varchar(255),
    collector_dateadjust_imp     integer DEFAULT 0,
    collector_dateadjust_caption varchar(255),
    PRIMARY KEY (lu_id, lu_version, lu_locale_id)
);

-- Feature rows of an interface definition.
CREATE TABLE qorroot.g2_lu_f_lu (
    lu_id        varchar(50) NOT NULL,
    lu_version   varchar(50) NOT NULL,
    lu_locale_id varchar(50) NOT NULL,
    keyvalue     varchar(255),
    curvalue     varchar(2000),
    key_desc     varchar(255)
);

-- Database logins made by qorroot.grant_login; facilities added later grant
-- their objects to these roles as well.
CREATE TABLE qorroot.plantdb_login (
    rolname name NOT NULL PRIMARY KEY
);

-- The server's current local time (wall clock of the session's time zone).
CREATE PROCEDURE qorroot.getservertime(INOUT date_out timestamp)
LANGUAGE plpgsql AS $$
BEGIN
    date_out := localtimestamp(0);
END;
$$;

-- Substitute plant database for PostgreSQL.
--
-- Install into an empty database:
--     psql -v ON_ERROR_STOP=1 -d <database> -f db/target-postgres/install.sql
-- then add facilities:
--     SELECT qorroot.add_facility('PLANT1', 'Plant One');
--
-- The whole installation is one transaction: it either completes or leaves
-- the database as it was.

\set ON_ERROR_STOP 1
SET client_min_messages = warning;

BEGIN;
\ir root.sql
\ir views.sql
\ir procedures.sql
\ir facility.sql
\ir tools.sql
-- The root schema answers the catalog queries and TO_DATE like a facility does.
DO $$ BEGIN PERFORM qorroot.create_catalog_views('qorroot'); END $$;
COMMIT;

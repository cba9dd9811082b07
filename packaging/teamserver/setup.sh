#!/usr/bin/env bash
# Sets up a CallLedger team server on PostgreSQL; run as a database superuser
# (for example `sudo -u postgres`). The usual libpq variables (PGHOST, PGPORT,
# PGUSER) choose the server.
#
#   setup.sh DATABASE                      creates the database, the group roles
#                                          and the schema (again: checks only)
#   setup.sh DATABASE member NAME          adds a member who publishes
#   setup.sh DATABASE leader NAME [MEMBER...]
#                                          adds a leader (also a member) and
#                                          puts MEMBERs on its team
#
# A new role's password is read from CALLLEDGER_TEAM_PASSWORD, or asked for.
# Refuses a database whose schema version differs from this script's.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
schema_version=1

if [ $# -lt 1 ]; then
    sed -n '2,14p' "$0" >&2
    exit 2
fi
database="$1"
shift

psql_admin() {
    psql -X -q -v ON_ERROR_STOP=1 -d postgres "$@"
}
psql_team() {
    psql -X -q -v ON_ERROR_STOP=1 -d "$database" "$@"
}

# Names and passwords reach SQL only as psql variables, quoted by psql itself
# (:'name') and by format() with %I and %L.
psql_admin -v db="$database" <<'SQL'
SELECT format('CREATE DATABASE %I', :'db')
 WHERE NOT EXISTS (SELECT 1 FROM pg_database WHERE datname = :'db') \gexec
SELECT 'CREATE ROLE callledger_member NOLOGIN'
 WHERE NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'callledger_member') \gexec
SELECT 'CREATE ROLE callledger_leader NOLOGIN'
 WHERE NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'callledger_leader') \gexec
SELECT format('REVOKE ALL ON DATABASE %I FROM PUBLIC', :'db') \gexec
SELECT format('GRANT CONNECT ON DATABASE %I TO callledger_member, callledger_leader', :'db') \gexec
SQL

found=none
if [ "$(psql_team -At -c "SELECT to_regclass('public.schema_version') IS NOT NULL")" = t ]; then
    found="$(psql_team -At -c "SELECT coalesce(max(version)::text, 'empty') FROM schema_version")"
fi
if [ "$found" = "none" ]; then
    psql_team -1 -f "$here/schema.sql"
elif [ "$found" != "$schema_version" ]; then
    echo "setup.sh: database $database has schema version $found, this script sets up version $schema_version; nothing changed" >&2
    exit 1
fi

[ $# -eq 0 ] && exit 0
kind="$1"
name="${2:-}"
if { [ "$kind" != member ] && [ "$kind" != leader ]; } || [ -z "$name" ]; then
    echo "setup.sh: expected 'member NAME' or 'leader NAME [MEMBER...]'" >&2
    exit 2
fi
shift 2

password="${CALLLEDGER_TEAM_PASSWORD:-}"
if [ -z "$password" ]; then
    read -r -s -p "Password for $name: " password
    echo
fi
if [ -z "$password" ]; then
    echo "setup.sh: a role needs a password" >&2
    exit 2
fi

# The password goes through the environment, never the command line (ps).
CALLLEDGER_TEAM_PASSWORD="$password" psql_admin -v name="$name" <<'SQL'
\getenv password CALLLEDGER_TEAM_PASSWORD
SELECT format('CREATE ROLE %I LOGIN PASSWORD %L', :'name', :'password')
 WHERE NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = :'name') \gexec
SELECT format('ALTER ROLE %I LOGIN PASSWORD %L', :'name', :'password') \gexec
SELECT format('GRANT callledger_member TO %I', :'name') \gexec
SQL

if [ "$kind" = leader ]; then
    psql_admin -v name="$name" <<'SQL'
SELECT format('GRANT callledger_leader TO %I', :'name') \gexec
SQL
    for member in "$@"; do
        psql_team -v leader="$name" -v member="$member" <<'SQL'
INSERT INTO team_members (leader, member) VALUES (:'leader', :'member')
    ON CONFLICT DO NOTHING;
SQL
    done
fi

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
# Only its SCRAM verifier, computed here, reaches the server: the clear
# password never appears in a statement or the server's log. Names of roles
# that are not this script's (superusers, anybody else's, pg_...) are refused.
# A database of schema version 1 is brought to version 2; one whose version
# is newer than this script's is refused.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
schema_version=2

if [ $# -lt 1 ]; then
    sed -n '2,19p' "$0" >&2
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
SELECT 'CREATE ROLE callledger_member NOLOGIN NOINHERIT'
 WHERE NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'callledger_member') \gexec
SELECT 'CREATE ROLE callledger_leader NOLOGIN NOINHERIT'
 WHERE NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'callledger_leader') \gexec
SELECT format('REVOKE ALL ON DATABASE %I FROM PUBLIC', :'db') \gexec
SELECT format('GRANT CONNECT ON DATABASE %I TO callledger_member, callledger_leader', :'db') \gexec
SQL

found=none
if [ "$(psql_team -At -c "SELECT to_regclass('public.schema_version') IS NOT NULL")" = t ]; then
    found="$(psql_team -At -c "SELECT coalesce(max(version)::text, 'empty') FROM schema_version")"
fi
if [ "$found" = "none" ]; then
    psql_team -1 -f "$here/schema.sql" -f "$here/upgrade-2.sql"
elif [ "$found" = 1 ]; then
    psql_team -1 -f "$here/upgrade-2.sql"
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

# Only names this script gave out, or new ones: resetting the password of a
# superuser or of somebody else's role would hand it to the team.
case "${name,,}" in
pg_* | callledger_member | callledger_leader)
    echo "setup.sh: '$name' is a reserved name; choose another" >&2
    exit 2
    ;;
esac
state="$(psql_admin -At -v name="$name" <<'SQL'
SELECT CASE WHEN rolsuper THEN 'superuser'
            WHEN pg_has_role(oid, 'callledger_member', 'MEMBER') THEN 'ours'
            ELSE 'other' END
  FROM pg_roles WHERE rolname = :'name'
SQL
)"
if [ "$state" = superuser ] || [ "$state" = other ]; then
    echo "setup.sh: the role '$name' exists and is not a CallLedger member ($state); nothing changed" >&2
    exit 1
fi

password="${CALLLEDGER_TEAM_PASSWORD:-}"
if [ -z "$password" ]; then
    read -r -s -p "Password for $name: " password
    echo
fi
if [ -z "$password" ]; then
    echo "setup.sh: a role needs a password" >&2
    exit 2
fi

# The SCRAM-SHA-256 verifier the server keeps (RFC 7677), computed here with
# a random salt; the server can check logins with it but never learns the
# password. The password goes through the environment, never the command
# line (ps), and is normalised as libpq does before it hashes (SASLprep).
verifier="$(CALLLEDGER_TEAM_PASSWORD="$password" perl -MDigest::SHA=hmac_sha256,sha256 \
    -MMIME::Base64 -MEncode -MUnicode::Normalize -e '
    my $password = $ENV{CALLLEDGER_TEAM_PASSWORD};
    my $text = eval { decode("UTF-8", $password, Encode::FB_CROAK) };
    if (defined $text) {
        $text =~ s/[\x{00A0}\x{1680}\x{2000}-\x{200B}\x{202F}\x{205F}\x{3000}]/ /g;
        $text =~ s/[\x{00AD}\x{034F}\x{1806}\x{180B}-\x{180D}\x{200C}\x{200D}\x{2060}\x{FE00}-\x{FE0F}\x{FEFF}]//g;
        $password = encode("UTF-8", NFKC($text));
    }
    open(my $random, "<", "/dev/urandom") or die "no /dev/urandom\n";
    read($random, my $salt, 16) == 16 or die "no random salt\n";
    my $iterations = 4096;
    my $block = hmac_sha256($salt . pack("N", 1), $password);
    my $salted = $block;
    for (2 .. $iterations) {
        $block = hmac_sha256($block, $password);
        $salted ^= $block;
    }
    my $client = hmac_sha256("Client Key", $salted);
    my $server = hmac_sha256("Server Key", $salted);
    printf "SCRAM-SHA-256\$%d:%s\$%s:%s\n", $iterations, encode_base64($salt, ""),
        encode_base64(sha256($client), ""), encode_base64($server, "");')"

# Not even the verifier goes to the log, whatever the server's settings.
CALLLEDGER_TEAM_VERIFIER="$verifier" psql_admin -v name="$name" <<'SQL'
SET log_statement = 'none';
SET log_min_error_statement = 'panic';
SET log_min_duration_statement = -1;
\getenv verifier CALLLEDGER_TEAM_VERIFIER
SELECT format('CREATE ROLE %I LOGIN PASSWORD %L', :'name', :'verifier')
 WHERE NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = :'name') \gexec
SELECT format('ALTER ROLE %I LOGIN PASSWORD %L', :'name', :'verifier') \gexec
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

-- The team server's schema, run by setup.sh inside the team's database as a
-- superuser. Members publish counts and sums only: no customer's name,
-- number or note ever reaches this server.
--
-- The group roles callledger_member and callledger_leader exist already
-- (setup.sh creates them); every person gets a login role in one or both.

CREATE TABLE schema_version (
    version integer NOT NULL
);
INSERT INTO schema_version (version) VALUES (1);

-- Who is on whose team: a leader reads the activity of these members.
CREATE TABLE team_members (
    leader text NOT NULL,
    member text NOT NULL,
    PRIMARY KEY (leader, member)
);

-- One row per member and day, recomputed from the member's own data file
-- and replaced whole at each publish.
CREATE TABLE activity (
    member text NOT NULL DEFAULT current_user,
    day date NOT NULL,
    prospect_first_calls integer NOT NULL DEFAULT 0,
    prospect_later_calls integer NOT NULL DEFAULT 0,
    prospect_visits integer NOT NULL DEFAULT 0,
    recruit_first_calls integer NOT NULL DEFAULT 0,
    recruit_later_calls integer NOT NULL DEFAULT 0,
    recruit_visits integer NOT NULL DEFAULT 0,
    new_customers integer NOT NULL DEFAULT 0,
    orders integer NOT NULL DEFAULT 0,
    order_money bigint NOT NULL DEFAULT 0,
    talk_seconds bigint NOT NULL DEFAULT 0,
    updated_at timestamptz NOT NULL DEFAULT now(),
    PRIMARY KEY (member, day)
);
-- The leader's window reads one week of every member.
CREATE INDEX activity_day ON activity (day, member);

REVOKE ALL ON schema_version, team_members, activity FROM PUBLIC;
GRANT SELECT ON schema_version TO callledger_member, callledger_leader;
GRANT SELECT ON team_members TO callledger_leader;
GRANT SELECT, INSERT, UPDATE ON activity TO callledger_member;
GRANT SELECT ON activity TO callledger_leader;

-- Row-level security: a member sees and writes only its own rows, a leader
-- reads the rows of its team and writes none (it has no write grant), and a
-- role in neither group has no grant at all. FORCE holds the owner to it too.
ALTER TABLE activity ENABLE ROW LEVEL SECURITY;
ALTER TABLE activity FORCE ROW LEVEL SECURITY;
CREATE POLICY member_own_rows ON activity FOR ALL TO callledger_member
    USING (member = current_user) WITH CHECK (member = current_user);
CREATE POLICY leader_team_rows ON activity FOR SELECT TO callledger_leader
    USING (EXISTS (SELECT 1 FROM team_members t
                   WHERE t.leader = current_user AND t.member = activity.member));

ALTER TABLE team_members ENABLE ROW LEVEL SECURITY;
ALTER TABLE team_members FORCE ROW LEVEL SECURITY;
CREATE POLICY leader_own_team ON team_members FOR SELECT TO callledger_leader
    USING (leader = current_user);

-- Version 2 of the team server's schema, run by setup.sh inside the team's
-- database as a superuser, right after schema.sql on a new database and on
-- its own on a database of version 1.
--
-- Members get no write privilege on the tables: one lets its holder LOCK the
-- table and hold every other member's publish and the leader's window (a
-- read lets it take only the lock that reads take, which holds up nobody
-- but a change of the schema). They publish through publish_activity, which
-- writes the row of the role that logged in (session_user, which SET ROLE
-- does not change), so no row can be written under another name, a group's
-- included. The policies look at session_user for the same reason.

ALTER ROLE callledger_member NOLOGIN NOINHERIT;
ALTER ROLE callledger_leader NOLOGIN NOINHERIT;

DROP POLICY IF EXISTS member_own_rows ON activity;
DROP POLICY IF EXISTS leader_team_rows ON activity;
DROP POLICY IF EXISTS leader_own_team ON team_members;
REVOKE ALL ON schema_version, team_members, activity FROM PUBLIC, callledger_member,
    callledger_leader;
ALTER TABLE activity ALTER COLUMN member DROP DEFAULT;

GRANT SELECT ON schema_version TO callledger_member, callledger_leader;
GRANT SELECT ON team_members TO callledger_leader;
GRANT SELECT ON activity TO callledger_member, callledger_leader;

CREATE POLICY member_own_rows ON activity FOR SELECT TO callledger_member
    USING (member = session_user);
CREATE POLICY leader_team_rows ON activity FOR SELECT TO callledger_leader
    USING (EXISTS (SELECT 1 FROM team_members t
                   WHERE t.leader = session_user AND t.member = activity.member));
CREATE POLICY leader_own_team ON team_members FOR SELECT TO callledger_leader
    USING (leader = session_user);

-- One day of the calling member's figures, replaced whole.
CREATE FUNCTION publish_activity(p_day date, p_prospect_first_calls integer,
        p_prospect_later_calls integer, p_prospect_visits integer,
        p_recruit_first_calls integer, p_recruit_later_calls integer,
        p_recruit_visits integer, p_new_customers integer, p_orders integer,
        p_order_money bigint, p_talk_seconds bigint)
    RETURNS void LANGUAGE sql SECURITY DEFINER
    SET search_path = pg_catalog, public, pg_temp
AS $$
    INSERT INTO public.activity (member, day, prospect_first_calls, prospect_later_calls,
            prospect_visits, recruit_first_calls, recruit_later_calls, recruit_visits,
            new_customers, orders, order_money, talk_seconds, updated_at)
        VALUES (session_user, p_day, p_prospect_first_calls, p_prospect_later_calls,
            p_prospect_visits, p_recruit_first_calls, p_recruit_later_calls, p_recruit_visits,
            p_new_customers, p_orders, p_order_money, p_talk_seconds, now())
    ON CONFLICT (member, day) DO UPDATE SET
        prospect_first_calls = excluded.prospect_first_calls,
        prospect_later_calls = excluded.prospect_later_calls,
        prospect_visits = excluded.prospect_visits,
        recruit_first_calls = excluded.recruit_first_calls,
        recruit_later_calls = excluded.recruit_later_calls,
        recruit_visits = excluded.recruit_visits,
        new_customers = excluded.new_customers,
        orders = excluded.orders,
        order_money = excluded.order_money,
        talk_seconds = excluded.talk_seconds,
        updated_at = now();
$$;
REVOKE ALL ON FUNCTION publish_activity(date, integer, integer, integer, integer, integer,
    integer, integer, integer, bigint, bigint) FROM PUBLIC;
GRANT EXECUTE ON FUNCTION publish_activity(date, integer, integer, integer, integer, integer,
    integer, integer, integer, bigint, bigint) TO callledger_member;

UPDATE schema_version SET version = 2;

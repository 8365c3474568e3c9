-- The record shared by the stations of a line: one row per attempt at a unit, the same columns as the
-- file a single station keeps. A row is written when the attempt begins (result NULL) and completed
-- when it ends.
CREATE TABLE units (
    id               bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    started_at       timestamptz NOT NULL,
    finished_at      timestamptz,
    station          text NOT NULL,
    port             text NOT NULL,
    extended_address text,
    model            text,
    firmware         text,
    profile_name     text NOT NULL,
    profile_sha256   text NOT NULL,
    result           text CHECK (result IN ('pass', 'fail', 'skipped', 'interrupted')),
    failed_step      text,
    differences      text,
    duration_ms      bigint,
    tool_version     text NOT NULL,
    -- How the hook after the unit ended: 'ok', 'exit N', 'signal N', 'timed-out', 'not-started'.
    hook             text,
    -- Remarks of the run, plain words separated by spaces.
    note             text,
    -- The station process that wrote the row: '<boot id>/<process id>/<start time>'.
    instance         text NOT NULL,
    -- Made by the station for each attempt: the row's identity also for what a station kept in its
    -- journal while the database was away, whatever id the database gave the row.
    attempt          uuid NOT NULL UNIQUE
);

-- The question asked before every unit: has it passed with this profile?
CREATE INDEX units_passed ON units (extended_address, profile_sha256) WHERE result = 'pass';
-- Attempts still running (or left unfinished).
CREATE INDEX units_unfinished ON units (extended_address, station) WHERE result IS NULL;
CREATE INDEX units_started ON units (started_at);

-- Which database this is, so that a station's journal is only ever replayed into the database it was
-- kept for (not into another one of the same name made later).
CREATE TABLE record_identity (
    id uuid NOT NULL
);
INSERT INTO record_identity (id) VALUES (gen_random_uuid());

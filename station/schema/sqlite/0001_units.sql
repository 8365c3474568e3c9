-- One row per attempt at a unit. A row is written when the attempt begins (result NULL) and completed
-- when it ends. Times are UTC in ISO 8601 with milliseconds ("2024-05-01T08:00:00.123Z"), so that they
-- sort as text.
CREATE TABLE units (
    id               INTEGER PRIMARY KEY AUTOINCREMENT,
    started_at       TEXT NOT NULL,
    finished_at      TEXT,
    station          TEXT NOT NULL,
    port             TEXT NOT NULL,
    extended_address TEXT,
    model            TEXT,
    firmware         TEXT,
    profile_name     TEXT NOT NULL,
    profile_sha256   TEXT NOT NULL,
    result           TEXT CHECK (result IN ('pass', 'fail', 'skipped', 'interrupted')),
    failed_step      TEXT,
    differences      TEXT,
    duration_ms      INTEGER,
    tool_version     TEXT NOT NULL,
    -- How the hook after the unit ended: 'ok', 'exit N', 'signal N', 'timed-out', 'not-started'.
    hook             TEXT,
    -- Remarks of the run, plain words separated by spaces.
    note             TEXT,
    -- The station process that wrote the row: '<boot id>/<process id>/<start time>'.
    instance         TEXT NOT NULL
);

-- The question asked before every unit: has it passed with this profile?
CREATE INDEX units_passed ON units (extended_address, profile_sha256) WHERE result = 'pass';
-- Attempts still running (or left unfinished).
CREATE INDEX units_unfinished ON units (extended_address, station) WHERE result IS NULL;
CREATE INDEX units_started ON units (started_at);

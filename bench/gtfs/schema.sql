-- Tables for a feed written by `velomar-cli export-gtfs`. Column order follows the header
-- rows of the files, so that the sqlite3 shell's `.import --csv --skip 1` (which fills
-- columns by position) loads them; see import.sql. Codes, train numbers and times are TEXT
-- so that leading zeros survive ("0001", "0101") and times compare as text.

CREATE TABLE agency (
    agency_id TEXT PRIMARY KEY,
    agency_name TEXT NOT NULL,
    agency_url TEXT NOT NULL,
    agency_timezone TEXT NOT NULL,
    agency_lang TEXT
);

CREATE TABLE stops (
    stop_id TEXT PRIMARY KEY,
    stop_name TEXT NOT NULL,
    stop_lat REAL,   -- empty: the timetables carry no coordinates
    stop_lon REAL
);
CREATE INDEX stops_by_name ON stops (stop_name);

CREATE TABLE routes (
    route_id TEXT PRIMARY KEY,
    agency_id TEXT,
    route_short_name TEXT,
    route_long_name TEXT,
    route_type INTEGER NOT NULL
);

CREATE TABLE trips (
    route_id TEXT NOT NULL,
    service_id TEXT NOT NULL,
    trip_id TEXT PRIMARY KEY,
    trip_headsign TEXT,
    trip_short_name TEXT,            -- the train number, four characters
    direction_id INTEGER NOT NULL,   -- 0 Up file, 1 Down file
    velomar_route_index INTEGER NOT NULL,  -- route 0-31 of the timetable file
    velomar_route_code INTEGER NOT NULL,   -- route index (Up) or 100 + route index (Down),
                                           -- 1000 more for each further sheet
    velomar_column INTEGER NOT NULL,       -- the train's column in its file, 1-79
    velomar_train_code TEXT NOT NULL,      -- type-and-day code, "1002"
    velomar_type_label TEXT                -- "(K)A"; empty for an unknown code
);

CREATE TABLE stop_times (
    trip_id TEXT NOT NULL,
    arrival_time TEXT NOT NULL,    -- HH:MM:SS, 24:00:00 and later after midnight
    departure_time TEXT NOT NULL,
    stop_id TEXT NOT NULL,
    stop_sequence INTEGER NOT NULL,
    PRIMARY KEY (trip_id, stop_sequence)
);
CREATE INDEX stop_times_by_stop ON stop_times (stop_id, departure_time);

CREATE TABLE calendar (
    service_id TEXT PRIMARY KEY,
    monday INTEGER NOT NULL,
    tuesday INTEGER NOT NULL,
    wednesday INTEGER NOT NULL,
    thursday INTEGER NOT NULL,
    friday INTEGER NOT NULL,
    saturday INTEGER NOT NULL,
    sunday INTEGER NOT NULL,
    start_date TEXT NOT NULL,
    end_date TEXT NOT NULL
);

CREATE TABLE feed_info (
    feed_publisher_name TEXT NOT NULL,
    feed_publisher_url TEXT NOT NULL,
    feed_lang TEXT NOT NULL,
    feed_start_date TEXT,
    feed_end_date TEXT,
    feed_version TEXT
);

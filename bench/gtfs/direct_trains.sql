-- Direct trains from one station to another, as one page of `velomar-cli search ... --format
-- tsv` lists them: train number, departure (HH:MM), arrival (HH:MM), type label, route code
-- and the raw departure cell, earliest first.
--
-- Parameters (sqlite3 shell: `.parameter set :from '서울'`; C API: sqlite3_bind_* by name):
--   :from, :to    station names, as typed into the form
--   :time         'HH:MM'; minutes count in ten-minute steps, as the form's minute list
--                 ('07:35' admits departures from 07:30 on)
--   :type         '' or '전체' for every train, else 'KTX', '새마을', '무궁화', '통일호', '누리로'
--   :page_size    the page size the search works with: "ResultCount" limited to 2..14
--                 (2..9 in the square layout)
--
-- Besides "calls at :from and later at :to, leaves at or after :time, of :type", it keeps
-- the search's page rules so that both list the same trains:
--   * a station given twice in a file (순천 on route 27: arrival and departure) is read at
--     its last row, for the departure and for the arrival alike; the export merges such rows
--     into one call whose departure_time is that last row's time, so both ends read
--     departure_time;
--   * each timetable file or sheet (velomar_route_code) offers only its first :page_size + 1
--     passing trains in column order;
--   * a train is listed once: of the same number leaving at the same minute (a through train
--     in two files) only the first offered is kept; trains leaving at one minute come in the
--     order offered (files in route order, the Up file before the Down file, a file before
--     its further sheets, then column order).
WITH
params AS (
    SELECT
        (SELECT stop_id FROM stops WHERE stop_name = :from ORDER BY rowid LIMIT 1) AS from_stop,
        (SELECT stop_id FROM stops WHERE stop_name = :to ORDER BY rowid LIMIT 1) AS to_stop,
        substr(:time, 1, 4) || '0:00' AS earliest,
        CASE WHEN coalesce(:type, '') IN ('', '전체', '전체 (ABCD:금토일월)') THEN NULL
             ELSE :type END AS type_name,
        CAST(:page_size AS INTEGER) AS page_size
),
departure_calls AS (   -- each trip's last call at the departure station
    SELECT st.trip_id, max(st.stop_sequence) AS seq
    FROM stop_times AS st
    WHERE st.stop_id = (SELECT from_stop FROM params)
    GROUP BY st.trip_id
),
arrival_calls AS (
    SELECT st.trip_id, max(st.stop_sequence) AS seq
    FROM stop_times AS st
    WHERE st.stop_id = (SELECT to_stop FROM params)
    GROUP BY st.trip_id
),
passing AS (
    SELECT t.trip_short_name AS train_no,
           d.departure_time AS departure,
           a.departure_time AS arrival,
           t.velomar_type_label AS label,
           t.velomar_route_code AS route_code,
           CAST(t.velomar_route_code AS INTEGER) / 1000 AS sheet,
           t.velomar_route_index AS route_index,
           t.direction_id AS direction,
           t.velomar_column AS train_column
    FROM departure_calls AS dc
    JOIN arrival_calls AS ac ON ac.trip_id = dc.trip_id AND dc.seq <= ac.seq
    JOIN stop_times AS d ON d.trip_id = dc.trip_id AND d.stop_sequence = dc.seq
    JOIN stop_times AS a ON a.trip_id = ac.trip_id AND a.stop_sequence = ac.seq
    JOIN trips AS t ON t.trip_id = dc.trip_id
    JOIN routes AS r ON r.route_id = t.route_id
    CROSS JOIN params AS p
    WHERE d.departure_time >= p.earliest
      AND (p.type_name IS NULL OR r.route_short_name = p.type_name)
),
offered AS (
    SELECT *, row_number() OVER (PARTITION BY route_code
                                 ORDER BY train_column) AS nth_in_file
    FROM passing
),
first_of_train AS (
    SELECT *, row_number() OVER (PARTITION BY departure, train_no
                                 ORDER BY route_index, direction, sheet, train_column) AS nth_copy
    FROM offered, params AS p
    WHERE nth_in_file <= p.page_size + 1
)
SELECT train_no,
       -- 24:15:00 is shown as 00:15 and was the cell 3015
       CASE WHEN CAST(substr(departure, 1, 2) AS INTEGER) >= 24
            THEN printf('%02d', CAST(substr(departure, 1, 2) AS INTEGER) - 24)
            ELSE substr(departure, 1, 2) END || substr(departure, 3, 3) AS departure_text,
       CASE WHEN CAST(substr(arrival, 1, 2) AS INTEGER) >= 24
            THEN printf('%02d', CAST(substr(arrival, 1, 2) AS INTEGER) - 24)
            ELSE substr(arrival, 1, 2) END || substr(arrival, 3, 3) AS arrival_text,
       coalesce(label, '') AS type_label,
       route_code,
       CASE WHEN CAST(substr(departure, 1, 2) AS INTEGER) >= 24
            THEN '3' || (CAST(substr(departure, 1, 2) AS INTEGER) - 24)
            ELSE substr(departure, 1, 2) END || substr(departure, 4, 2) AS departure_cell
FROM first_of_train
WHERE nth_copy = 1
ORDER BY departure, route_index, direction, sheet, train_column
LIMIT (SELECT page_size FROM params);

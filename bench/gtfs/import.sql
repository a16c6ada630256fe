-- sqlite3 shell script: loads the feed files of the current directory into the tables of
-- schema.sql. Run it from the feed folder: cd FEED && sqlite3 DB < .../import.sql
.import --csv --skip 1 agency.txt agency
.import --csv --skip 1 stops.txt stops
.import --csv --skip 1 routes.txt routes
.import --csv --skip 1 trips.txt trips
.import --csv --skip 1 stop_times.txt stop_times
.import --csv --skip 1 calendar.txt calendar
.import --csv --skip 1 feed_info.txt feed_info
ANALYZE;

#!/usr/bin/env bash
# Builds samples/data/ostravsko-faults.gpkg: the sample map data with faults put in on
# purpose, so that a check run can be judged by what it finds (samples/README.md lists
# them). Needs gdal-bin (ogr2ogr with its SQLite/SpatiaLite dialect). The result is
# committed; run this only to make it again.
set -euo pipefail

cd "$(dirname "$0")/.."
SRC=samples/data/ostravsko.gpkg
OUT=samples/data/ostravsko-faults.gpkg
rm -f "$OUT"

sql() {
  local update=()
  [ -e "$OUT" ] && update=(-update)
  ogr2ogr -f GPKG "${update[@]}" "$OUT" "$SRC" -dialect sqlite -nln "$1" -nlt "$2" -sql "$3"
}

# Roads: 50 gets a spike (out 200 m from its middle and back 1 m further on), 10 a first
# segment of 0.4 m, 1 an end pulled 30 m past its junction, and 100 is drawn twice (the
# copy last).
sql cesty LINESTRING "
WITH r AS (
  SELECT fid, geom, delka,
         X(StartPoint(geom)) ax, Y(StartPoint(geom)) ay, X(EndPoint(geom)) bx, Y(EndPoint(geom)) by,
         ST_Length(geom) len FROM cesty)
SELECT CASE
  WHEN fid = 50 THEN
    AddPoint(AddPoint(AddPoint(geom,
      MakePoint((ax + bx) / 2 + (bx - ax) / len, (ay + by) / 2 + (by - ay) / len, 5514), 1),
      MakePoint((ax + bx) / 2 - (by - ay) / len * 200, (ay + by) / 2 + (bx - ax) / len * 200, 5514), 1),
      MakePoint((ax + bx) / 2, (ay + by) / 2, 5514), 1)
  WHEN fid = 10 THEN AddPoint(geom, MakePoint(ax + (bx - ax) / len * 0.4, ay + (by - ay) / len * 0.4, 5514), 1)
  WHEN fid = 1 THEN SetEndPoint(geom, MakePoint(bx + (bx - ax) / len * 30, by + (by - ay) / len * 30, 5514))
  ELSE geom END AS geom, delka
FROM r
UNION ALL SELECT geom, delka FROM cesty WHERE fid = 100"

# Places: 20 moved 5 km east, out of its cell.
sql mista POINT "
SELECT CASE WHEN fid = 20 THEN MakePoint(X(geom) + 5000, Y(geom), 5514) ELSE geom END AS geom,
       nazev, stat, kraj, okres FROM mista"

# Cells: 30 moved 80 km south, out of its country.
sql okoli MULTIPOLYGON "
SELECT CASE WHEN fid = 30 THEN ST_Translate(geom, 0, -80000, 0) ELSE geom END AS geom, nazev, stat, plocha FROM okoli"

# Countries, with the two-letter code their cells name them by and their area in m²
# (the cells' check of areas reads it on the countries loaded as their fathers).
sql zeme MULTIPOLYGON "
SELECT geom, a3, nazev, CASE a3 WHEN 'CZE' THEN 'CZ' WHEN 'POL' THEN 'PL' ELSE '' END AS stat,
       CAST(ROUND(ST_Area(geom)) AS INTEGER) AS plocha FROM zeme"

# The border, and a triangle of lines (a ring) closing a region with no area of its own.
sql hranice MULTILINESTRING "
SELECT geom, a3 FROM hranice
UNION ALL SELECT CastToMultiLineString(GeomFromText(
  'LINESTRING(-478000 -1112000, -477000 -1112000, -477500 -1111000, -478000 -1112000)', 5514)), 'CZE'"

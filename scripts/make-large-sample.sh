#!/usr/bin/env bash
# Makes a copy of samples/ whose ostravsko.gpkg holds each feature N times (default 100):
# the original and N-1 copies, each shifted by up to 200 m at random.
#   bash scripts/make-large-sample.sh DIR [N]    then: SAMPLES=DIR bash scripts/sheet-timing.sh
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1
n=${2:-100}
rm -rf "$dir"
cp -r samples "$dir"
rm "$dir/data/ostravsko.gpkg"
for layer in zeme hranice mista cesty okoli voda; do
  ogr2ogr -f GPKG "$dir/data/ostravsko.gpkg" samples/data/ostravsko.gpkg -append -nln "$layer" -dialect SQLite -sql \
    "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < $n - 1)
     SELECT CASE WHEN n.i = 0 THEN l.geom
            ELSE ST_Translate(l.geom, (abs(random()) % 400) - 200.0, (abs(random()) % 400) - 200.0, 0) END AS geom,
            l.* FROM $layer l, n"
done

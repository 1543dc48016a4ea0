find_library(GEOS_C_BENCH_LIBRARY NAMES geos_c REQUIRED)
suite_bench(geometry_checks_bench checker ${GEOS_C_BENCH_LIBRARY})

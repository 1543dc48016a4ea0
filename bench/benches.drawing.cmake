find_package(PkgConfig REQUIRED)
pkg_check_modules(DRAWING_BENCH_CAIRO REQUIRED IMPORTED_TARGET cairo)
suite_bench(drawing_bench composition PkgConfig::DRAWING_BENCH_CAIRO)
target_compile_definitions(drawing_bench PRIVATE SAMPLE_DATA_DIR="${CMAKE_SOURCE_DIR}/samples/data"
                                                 SAMPLE_SERVICE_DIR="${CMAKE_SOURCE_DIR}/samples/service")

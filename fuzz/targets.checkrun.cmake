# The check-set loader and run.
find_package(GDAL CONFIG QUIET)
if(NOT TARGET GDAL::GDAL)
  find_package(GDAL REQUIRED)
endif()
suite_fuzz(check_set checker GDAL::GDAL)
target_compile_definitions(check_set_fuzz PRIVATE SUITE_SAMPLE_DATA="${PROJECT_SOURCE_DIR}/samples/data")

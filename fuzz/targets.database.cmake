find_package(GDAL CONFIG QUIET)
if(NOT TARGET GDAL::GDAL)
  find_package(GDAL REQUIRED)
endif()
suite_fuzz(database_table composition GDAL::GDAL)
# The ".csvt" sidecar of a text table: the field types and widths it declares.
suite_fuzz(text_table_sidecar composition GDAL::GDAL)

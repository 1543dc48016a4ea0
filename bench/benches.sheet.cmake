# The plain program beside which scripts/sheet-timing.sh times a whole Oskelt32 sheet.
find_package(PkgConfig REQUIRED)
pkg_check_modules(PLAIN_SHEET_CAIRO REQUIRED IMPORTED_TARGET cairo)
find_package(GDAL CONFIG QUIET)
if(NOT TARGET GDAL::GDAL)
  find_package(GDAL REQUIRED)
endif()
add_executable(plain_sheet ${CMAKE_CURRENT_SOURCE_DIR}/plain_sheet.cpp)
target_link_libraries(plain_sheet PRIVATE GDAL::GDAL PkgConfig::PLAIN_SHEET_CAIRO)

# The plain programs beside which scripts/sheet-timing.sh times whole Oskelt32 runs.
find_package(PkgConfig REQUIRED)
pkg_check_modules(PLAIN_SHEET_CAIRO REQUIRED IMPORTED_TARGET cairo)
find_package(GDAL CONFIG QUIET)
if(NOT TARGET GDAL::GDAL)
  find_package(GDAL REQUIRED)
endif()
add_executable(plain_sheet ${CMAKE_CURRENT_SOURCE_DIR}/plain_sheet.cpp)
target_link_libraries(plain_sheet PRIVATE GDAL::GDAL PkgConfig::PLAIN_SHEET_CAIRO)

# Only loading Oskelt32's outside libraries, in the order Oskelt32 names them.
pkg_check_modules(LIBRARIES_ONLY REQUIRED IMPORTED_TARGET fontconfig freetype2 lua5.4)
find_package(JPEG REQUIRED)
find_package(Cups REQUIRED)
find_library(GEOS_C_LIBRARY NAMES geos_c REQUIRED)
add_executable(libraries_only ${CMAKE_CURRENT_SOURCE_DIR}/libraries_only.cpp)
target_link_options(libraries_only PRIVATE LINKER:--no-as-needed)
target_link_libraries(libraries_only PRIVATE GDAL::GDAL ${GEOS_C_LIBRARY} JPEG::JPEG PkgConfig::LIBRARIES_ONLY
                      PkgConfig::PLAIN_SHEET_CAIRO Cups::Cups)

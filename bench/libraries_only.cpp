// The yardstick for starting and quitting Oskelt32: a process that loads the same outside
// libraries (GDAL, GEOS, Cairo, FreeType, CUPS, libjpeg, Lua and all they need; Qt and
// gdk-pixbuf are opened only when wanted) and ends.
// The build links them whether used or not; scripts/sheet-timing.sh checks that the list
// of loaded libraries is Oskelt32's without the suite's own.
int main() { return 0; }

# Readers of the drawing packages' input.
suite_fuzz(world_file raster)
suite_fuzz(symbol_table symbol)

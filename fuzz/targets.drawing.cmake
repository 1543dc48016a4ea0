# Readers of the drawing packages' input.
suite_fuzz(world_file raster)

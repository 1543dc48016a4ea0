# The colour palette files of the graphic package.
suite_fuzz(palette_file pelvar)

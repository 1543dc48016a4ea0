# The map-sheet template reader and writer.
suite_fuzz(desktop_template workbench)

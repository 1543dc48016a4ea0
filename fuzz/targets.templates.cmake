# The map-sheet template reader and writer.
suite_fuzz(desktop_template workbench)
# The content-script interpreter of map-sheet production.
suite_fuzz(content_script composer_lib)

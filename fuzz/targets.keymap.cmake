# The files of the key-map window: the key map "Guide.ZRX" and the selection "Select.ZRX".
suite_fuzz(key_map_files workbench)

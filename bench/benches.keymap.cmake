# The key-map window: marking every 1:5000 sheet of the sample area and drawing the window.
suite_bench(keymap_bench workbench)
target_compile_definitions(keymap_bench PRIVATE SAMPLE_SERVICE_DIR="${CMAKE_SOURCE_DIR}/samples/service")

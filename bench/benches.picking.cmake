suite_bench(picking_bench workbench)

suite_bench(check_run_bench checker)

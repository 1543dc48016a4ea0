# The condition filter's state file, read and turned into a layer condition.
suite_fuzz(condition_filter_state composer_lib)

suite_fuzz(condition yesk)

suite_fuzz(geometry_checks checker)

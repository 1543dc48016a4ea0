# The sheet list reader of the sheet systems.
suite_fuzz(sheet_list composition)

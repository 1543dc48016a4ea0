# Readers of the shell's input: the version blocks of program and package files.
suite_fuzz(file_version workbench)

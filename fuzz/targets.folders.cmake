# The folder template of the folder-structure check against a folder tree.
suite_fuzz(folder_template checker)

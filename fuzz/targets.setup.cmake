suite_fuzz(szdd setup_lib)
suite_fuzz(install_script setup_lib)

suite_fuzz(modelscript quintel)

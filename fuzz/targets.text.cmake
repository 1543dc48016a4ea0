# The text window's RTF reader.
suite_fuzz(rtf_text composition)

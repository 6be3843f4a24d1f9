# Writes OUT: a C++ source defining `const char* FUNC()` that returns the text of IN.
file(READ ${IN} content)
set(delim "mom_embed")
file(WRITE ${OUT} "// Generated from ${IN}; do not edit.\nconst char* ${FUNC}() {\n  return R\"${delim}(${content})${delim}\";\n}\n")

# Script mode: cmake -DOUTPUT=header -DNAMESPACE=ns -DSOURCES="a.glsl|b.glsl" -P EmbedGlsl.cmake
# Writes a header with one string constant per GLSL file, named after it (CommonVertex.glsl ->
# kCommonVertex).
set(text "// Generated from the GLSL sources at build time; do not edit.\n#pragma once\n\nnamespace ${NAMESPACE} {\n")
string(REPLACE "|" ";" SOURCES "${SOURCES}")
foreach(source ${SOURCES})
    get_filename_component(stem ${source} NAME_WE)
    file(READ ${source} body)
    string(APPEND text "\ninline constexpr const char* k${stem} = R\"glsl(${body})glsl\";\n")
endforeach()
string(APPEND text "\n} // namespace ${NAMESPACE}\n")
file(WRITE ${OUTPUT}.tmp "${text}")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)

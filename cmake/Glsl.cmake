# zarvo_embed_glsl(TARGET HEADER_NAME NAMESPACE files...): embeds GLSL files into TARGET as
# string constants in a generated header, rebuilt whenever a file changes.
function(zarvo_embed_glsl target header namespace)
    set(out ${CMAKE_BINARY_DIR}/generated/${header})
    set(sources ${ARGN})
    string(REPLACE ";" "|" joined "${sources}")
    add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -DOUTPUT=${out} -DNAMESPACE=${namespace}
                -DSOURCES=${joined} -P ${CMAKE_SOURCE_DIR}/cmake/EmbedGlsl.cmake
        DEPENDS ${sources} ${CMAKE_SOURCE_DIR}/cmake/EmbedGlsl.cmake
        COMMENT "Embedding GLSL into ${header}" VERBATIM)
    target_sources(${target} PRIVATE ${out})
    target_include_directories(${target} PUBLIC ${CMAKE_BINARY_DIR}/generated)
endfunction()

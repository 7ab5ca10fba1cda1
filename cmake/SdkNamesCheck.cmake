# The names the module takes from the SDK, held to the published headers' names
# (sdk/abi/published-names.tsv) and include relationships (sdk/abi/published-headers.tsv), so that
# a module that builds against sdk/ builds unchanged against the published Headers folder.

# zarvo_sdk_names_check(TARGET SOURCE_OR_FOLDER...): before TARGET compiles, runs sdk_names_check
# on sdk/ and on the module's sources (each file given, and the .h and .cpp files of each folder
# given); a fault stops the build naming the name and both headers. The check then writes one
# translation unit per sdk/ header, the names the module takes from it used through that header
# alone; they compile against the headers the module is built with (ZARVO_MODULE_SDK_DIRS), into
# nothing that ships.
function(zarvo_sdk_names_check target)
    set(facts ${CMAKE_SOURCE_DIR}/sdk/abi)
    set(out ${CMAKE_BINARY_DIR}/generated/sdk-names)
    set(sources "")
    foreach(item IN LISTS ARGN)
        if(IS_DIRECTORY ${item})
            file(GLOB found CONFIGURE_DEPENDS ${item}/*.h ${item}/*.cpp)
            list(APPEND sources ${found})
        else()
            list(APPEND sources ${item})
        endif()
    endforeach()
    list(SORT sources)
    file(GLOB_RECURSE headers CONFIGURE_DEPENDS RELATIVE ${ZARVO_SDK_DIR} ${ZARVO_SDK_DIR}/*.h)
    list(FILTER headers EXCLUDE REGEX "^abi/")
    set(units "")
    set(header_files "")
    foreach(header IN LISTS headers)
        string(REGEX REPLACE "\\.h$" ".cpp" unit "${header}")
        list(APPEND units ${out}/${unit})
        list(APPEND header_files ${ZARVO_SDK_DIR}/${header})
    endforeach()
    add_custom_command(OUTPUT ${units}
        COMMAND ${ZARVO_SDK_NAMES_CHECK} ${facts}/published-names.tsv
                ${facts}/published-headers.tsv ${ZARVO_SDK_DIR} ${CMAKE_SOURCE_DIR} ${out}
                ${sources}
        DEPENDS ${ZARVO_SDK_NAMES_CHECK_TARGET} ${facts}/published-names.tsv
                ${facts}/published-headers.tsv ${header_files} ${sources}
        COMMENT "Checking the SDK names the module uses against the published headers"
        VERBATIM)
    add_library(zarvo_sdk_names OBJECT ${units})
    target_include_directories(zarvo_sdk_names PRIVATE ${ZARVO_MODULE_SDK_DIRS})
    add_dependencies(${target} zarvo_sdk_names)
endfunction()

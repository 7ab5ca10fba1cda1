# The release version, read from the one place that holds it: the effect's identity
# (effect/controls/EffectInfo.h), whose major and minor the About text shows. Sets ZARVO_VERSION_MAJOR,
# _MINOR, _PATCH and ZARVO_VERSION ("1.0.0"). In script mode (cmake -P) prints the version.
set(zarvo_effect_info ${CMAKE_CURRENT_LIST_DIR}/../effect/controls/EffectInfo.h)
file(STRINGS ${zarvo_effect_info} zarvo_version_lines
     REGEX "^constexpr int k(Major|Minor|Bug)Version = [0-9]+")
foreach(part Major Minor Bug)
    string(REGEX MATCH "k${part}Version = ([0-9]+)" found "${zarvo_version_lines}")
    if(NOT found)
        message(FATAL_ERROR "${zarvo_effect_info}: no k${part}Version")
    endif()
    set(zarvo_${part} ${CMAKE_MATCH_1})
endforeach()
set(ZARVO_VERSION_MAJOR ${zarvo_Major})
set(ZARVO_VERSION_MINOR ${zarvo_Minor})
set(ZARVO_VERSION_PATCH ${zarvo_Bug})
set(ZARVO_VERSION ${zarvo_Major}.${zarvo_Minor}.${zarvo_Bug})
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    execute_process(COMMAND ${CMAKE_COMMAND} -E echo ${ZARVO_VERSION})
endif()

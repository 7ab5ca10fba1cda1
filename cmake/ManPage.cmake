# The manual page zarvo-neon(1), made at build time from the command's own --help and --version
# (and each subcommand's --help as a part of its COMMANDS section), so it says what the command
# does. Run as a script:
#   cmake -DPROGRAM=<zarvo-neon> -DOUTPUT=<zarvo-neon.1.gz> -DWORK_DIR=<folder for the parts>
#         -DPREFIX=<install prefix> -DSOURCE_DIR=<source tree> -DHELP2MAN=<help2man>
#         -DGZIP=<gzip> -P ManPage.cmake
# The page's date is SOURCE_DATE_EPOCH's, else the source commit's, so a rebuild gives the same
# bytes.
foreach(var PROGRAM OUTPUT WORK_DIR PREFIX SOURCE_DIR HELP2MAN GZIP)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "ManPage.cmake needs -D${var}=...")
    endif()
endforeach()

set(ENV{LC_ALL} C)
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    execute_process(COMMAND git -C ${SOURCE_DIR} log -1 --format=%ct
                    OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE git_failed ERROR_QUIET)
    if(NOT git_failed AND commit_time MATCHES "^[0-9]+$")
        set(ENV{SOURCE_DATE_EPOCH} ${commit_time})
    endif()
endif()

function(run_program out)
    execute_process(COMMAND ${PROGRAM} ${ARGN} OUTPUT_VARIABLE text RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "${PROGRAM} ${ARGN} failed (${failed})")
    endif()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(roff_escape out text)
    string(REPLACE "\\" "\\e" text "${text}")
    string(REPLACE "-" "\\-" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# "Zarvo Neon v1.0": the package and its version, given to help2man as GNU tools print them.
run_program(version_text --version)
if(NOT version_text MATCHES "^([^\n]+) v([0-9][0-9.]*)\n")
    message(FATAL_ERROR "unexpected --version output: ${version_text}")
endif()
set(version_string "zarvo-neon (${CMAKE_MATCH_1}) ${CMAKE_MATCH_2}")

# The one-line description opens --help as "zarvo-neon: what it does."
run_program(help_text --help)
if(NOT help_text MATCHES "^[^:\n]+: ([^\n]+)\\.\n")
    message(FATAL_ERROR "--help does not open with a description: ${help_text}")
endif()
set(name "${CMAKE_MATCH_1}")
string(FIND "${help_text}" "\nSubcommands:\n" at)
if(at LESS 0)
    message(FATAL_ERROR "--help lists no subcommands")
endif()
string(SUBSTRING "${help_text}" ${at} -1 listing)
string(REGEX MATCHALL "\n  [a-z][a-z0-9-]*" subcommands "${listing}")

set(include_file ${WORK_DIR}/zarvo-neon.1.include)
set(page ${WORK_DIR}/zarvo-neon.1)
set(commands "")
foreach(sub IN LISTS subcommands)
    string(STRIP "${sub}" sub)
    run_program(sub_help ${sub} --help)
    if(NOT sub_help MATCHES "\nUsage: [^\n]* (${sub}[^\n]*)\n")
        message(FATAL_ERROR "${sub} --help has no usage line")
    endif()
    roff_escape(usage "zarvo-neon ${CMAKE_MATCH_1}")
    # help2man formats the subcommand's help as a page of its own; its description and options
    # are this subcommand's part.
    execute_process(COMMAND ${HELP2MAN} --no-info --version-string=${version_string}
                            "--help-option=${sub} --help" ${PROGRAM}
                    OUTPUT_VARIABLE sub_page RESULT_VARIABLE failed)
    string(FIND "${sub_page}" "\n.SH DESCRIPTION\n" at)
    if(failed OR at LESS 0)
        message(FATAL_ERROR "help2man could not read ${sub} --help")
    endif()
    math(EXPR at "${at} + 17")
    string(SUBSTRING "${sub_page}" ${at} -1 body)
    string(REPLACE "\n.SH OPTIONS\n" "\n" body "${body}")
    string(APPEND commands ".SS \"${usage}\"\n${body}")
endforeach()

roff_escape(module "${PREFIX}/lib/zarvo-neon/ZarvoNeon.aex")
roff_escape(filter "${PREFIX}/lib/frei0r-1/zarvo_neon.so")
file(WRITE ${include_file} "[COMMANDS]
${commands}
[FILES]
.TP
.I ${module}
The effect module, loaded when \\fB\\-\\-module\\fR names none and there is no
\\%ZarvoNeon.aex beside the command.
.TP
.I ${filter}
The same effect as a frei0r filter, for ffmpeg and MLT\\-based editors.
[SEE ALSO]
.BR ffmpeg (1),
.BR melt (1)
")

execute_process(COMMAND ${HELP2MAN} --no-info --version-string=${version_string}
                        --name=${name} --include=${include_file} --output=${page} ${PROGRAM}
                RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "help2man failed (${failed})")
endif()
# -n: no name or time in the header, so the same page compresses to the same bytes.
execute_process(COMMAND ${GZIP} -9n -c ${page} OUTPUT_FILE ${OUTPUT}.gztmp RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "gzip failed (${failed})")
endif()
file(RENAME ${OUTPUT}.gztmp ${OUTPUT})

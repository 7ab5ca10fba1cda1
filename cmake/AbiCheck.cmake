# The published layout of the effect API (sdk/abi/published-abi.tsv) as static_asserts on the
# declarations in sdk/, so that a record, field, function pointer or constant that differs from
# what the host reads breaks the build with its name, rather than the module at run time.

# zarvo_abi_read_lines(FILE OUT_VAR): the file's lines as a list. The text is read whole rather
# than with file(STRINGS), and ';', '[', ']' and '\' are stood in for, because CMake's list rules
# would otherwise split a line at a ';' or join lines across an unbalanced bracket;
# zarvo_abi_columns() puts them back.
function(zarvo_abi_read_lines file out_var)
    file(READ "${file}" text)
    string(REPLACE ";" "<zarvo-semicolon>" text "${text}")
    string(REPLACE "[" "<zarvo-open>" text "${text}")
    string(REPLACE "]" "<zarvo-close>" text "${text}")
    string(REPLACE "\\" "<zarvo-backslash>" text "${text}")
    string(REPLACE "\r" "" text "${text}")
    string(REPLACE "\n" ";" text "${text}")
    set(${out_var} "${text}" PARENT_SCOPE)
endfunction()

# zarvo_abi_read_table(TABLE OUT_VAR): the table's rows, comments and blank lines left out. Each
# element is one row as zarvo_abi_read_lines leaves it: its line number, a tab, then the row's
# seven columns separated by tabs.
function(zarvo_abi_read_table table out_var)
    if(NOT EXISTS "${table}")
        message(FATAL_ERROR "The published layout table ${table} does not exist")
    endif()
    zarvo_abi_read_lines("${table}" lines)
    set(rows "")
    set(number 0)
    foreach(line IN LISTS lines)
        math(EXPR number "${number} + 1")
        if(line STREQUAL "" OR line MATCHES "^#")
            continue()
        endif()
        string(REPLACE "\t" ";" columns "${line}")
        list(LENGTH columns count)
        if(NOT count EQUAL 7)
            message(FATAL_ERROR
                "${table}:${number}: a row has 7 tab-separated columns (target, kind, name, "
                "value, size, shape, module_uses), this one has ${count}")
        endif()
        list(APPEND rows "${number}\t${line}")
    endforeach()
    set(${out_var} "${rows}" PARENT_SCOPE)
endfunction()

# zarvo_abi_columns(ROW): sets line, platform (the target column), kind, name, value, size, shape
# and uses to the columns of a row from zarvo_abi_read_table, as written in the table.
function(zarvo_abi_columns row)
    string(REPLACE "\t" ";" columns "${row}")
    set(index 0)
    foreach(column line platform kind name value size shape uses)
        list(GET columns ${index} text)
        string(REPLACE "<zarvo-semicolon>" ";" text "${text}")
        string(REPLACE "<zarvo-open>" "[" text "${text}")
        string(REPLACE "<zarvo-close>" "]" text "${text}")
        string(REPLACE "<zarvo-backslash>" "\\" text "${text}")
        set(${column} "${text}" PARENT_SCOPE)
        math(EXPR index "${index} + 1")
    endforeach()
endfunction()

# The text inside a C string literal.
function(_zarvo_abi_c_string text out_var)
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\"" "\\\"" text "${text}")
    set(${out_var} "${text}" PARENT_SCOPE)
endfunction()

# Appends a static_assert to the caller's body_<platform>.
function(_zarvo_abi_assert condition message)
    _zarvo_abi_c_string("${message}" message)
    set(body_${platform}
        "${body_${platform}}static_assert(${condition},\n              \"${message}\");\n"
        PARENT_SCOPE)
endfunction()

# zarvo_sdk_abi_check(TARGET TABLE NOT_DECLARED): writes generated/SdkAbiCheck.h, one
# static_assert per fact of every row of TABLE except those NOT_DECLARED names, the rows of
# Windows x64 and of x86-64 Linux each under its own #if, and generated/SdkAbiCoverage.txt, the
# rows it turned into asserts; TARGET compiles the header (sdk/abi/SdkAbiCheck.cpp). Both files
# are written again whenever the table or the list changes.
function(zarvo_sdk_abi_check target table not_declared)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${table}")

    # Names left out on purpose: "NAME reason" or "TARGET:NAME reason" a line, # for comments.
    set(skipped "")
    if(EXISTS "${not_declared}")
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${not_declared}")
        file(STRINGS "${not_declared}" entries)
        foreach(entry IN LISTS entries)
            string(STRIP "${entry}" entry)
            if(entry STREQUAL "" OR entry MATCHES "^#")
                continue()
            endif()
            if(NOT entry MATCHES "^([^ \t]+)[ \t]+[^ \t]")
                message(FATAL_ERROR
                    "${not_declared}: \"${entry}\" gives no reason; write the name, then why it "
                    "is not checked")
            endif()
            list(APPEND skipped "${CMAKE_MATCH_1}")
        endforeach()
    endif()
    set(unused_skips "${skipped}")

    zarvo_abi_read_table("${table}" rows)
    set(body_win64 "")
    set(body_linux64 "")
    set(coverage "")
    set(identifier "[A-Za-z_][A-Za-z0-9_]*")
    foreach(row IN LISTS rows)
        zarvo_abi_columns("${row}")
        set(where "${table}:${line}")
        if(NOT platform MATCHES "^(win64|linux64)$")
            message(FATAL_ERROR "${where}: unknown target \"${platform}\" (win64 or linux64)")
        endif()
        if(NOT uses MATCHES "^(yes|no)$")
            message(FATAL_ERROR "${where}: module_uses is \"${uses}\", not yes or no")
        endif()
        if("${name}" IN_LIST skipped OR "${platform}:${name}" IN_LIST skipped)
            list(REMOVE_ITEM unused_skips "${name}" "${platform}:${name}")
            continue()
        endif()

        # Members the module never touches may be declared opaquely (see AbiShape.h).
        if(uses STREQUAL "yes")
            set(match "zarvo_abi::matches")
            set(call "zarvo_abi::call_classes_are")
        else()
            set(match "zarvo_abi::matches_layout")
            set(call "zarvo_abi::call_classes_layout")
        endif()
        set(say "${platform} ${kind}: ${name}")
        if(kind MATCHES "^(type|sizeof)$")
            if(NOT name MATCHES "^${identifier}$")
                message(FATAL_ERROR "${where}: \"${name}\" is not a type name")
            endif()
        elseif(kind MATCHES "^(field|fieldsize|fieldtype|call)$")
            if(NOT name MATCHES "^(${identifier})\\.(${identifier}(\\.${identifier})*)$")
                message(FATAL_ERROR "${where}: \"${name}\" is not Record.field")
            endif()
            set(member "decltype(std::declval<${CMAKE_MATCH_1}&>().${CMAKE_MATCH_2})")
            set(offset "offsetof(${CMAKE_MATCH_1}, ${CMAKE_MATCH_2})")
        elseif(kind STREQUAL "const")
            if(NOT name MATCHES "^${identifier}(\\([A-Za-z0-9_, ]*\\))?$")
                message(FATAL_ERROR "${where}: \"${name}\" is not a constant or macro call")
            endif()
        elseif(kind STREQUAL "string")
            if(NOT name MATCHES "^${identifier}$")
                message(FATAL_ERROR "${where}: \"${name}\" is not a macro name")
            endif()
        else()
            message(FATAL_ERROR "${where}: unknown row kind \"${kind}\"")
        endif()

        # Which columns each kind needs, and their form.
        set(numbers "")
        set(shapes "")
        if(kind STREQUAL "type")
            set(numbers value)
            set(shapes shape)
        elseif(kind STREQUAL "sizeof")
            set(numbers value size)
        elseif(kind STREQUAL "field")
            set(numbers value size)
            set(shapes shape)
        elseif(kind STREQUAL "fieldsize")
            set(numbers value)
        elseif(kind STREQUAL "fieldtype")
            set(shapes value)
        elseif(kind STREQUAL "call")
            set(shapes shape)
        elseif(kind STREQUAL "const")
            if(NOT value MATCHES "^-?[0-9]+$")
                message(FATAL_ERROR "${where}: the value of ${name} is \"${value}\", not a number")
            endif()
        endif()
        foreach(column IN LISTS numbers)
            if(NOT "${${column}}" MATCHES "^[0-9]+$")
                message(FATAL_ERROR
                    "${where}: the ${column} column of ${kind} ${name} is \"${${column}}\", "
                    "not a number")
            endif()
        endforeach()
        foreach(column IN LISTS shapes)
            if("${${column}}" STREQUAL "" OR "${${column}}" MATCHES "[\"\\\\]")
                message(FATAL_ERROR
                    "${where}: the ${column} column of ${kind} ${name} is \"${${column}}\", "
                    "not a shape")
            endif()
        endforeach()

        if(kind STREQUAL "type")
            _zarvo_abi_assert("sizeof(${name}) == ${value}" "${say} size must be ${value}")
            _zarvo_abi_assert("${match}<${name}>(\"${shape}\")" "${say} shape must be ${shape}")
        elseif(kind STREQUAL "sizeof")
            _zarvo_abi_assert("sizeof(${name}) == ${value}" "${say} size must be ${value}")
            _zarvo_abi_assert("alignof(${name}) == ${size}" "${say} alignment must be ${size}")
        elseif(kind STREQUAL "field")
            _zarvo_abi_assert("${offset} == ${value}" "${say} offset must be ${value}")
            _zarvo_abi_assert("sizeof(${member}) == ${size}" "${say} size must be ${size}")
            _zarvo_abi_assert("${match}<${member}>(\"${shape}\")" "${say} shape must be ${shape}")
        elseif(kind STREQUAL "fieldsize")
            _zarvo_abi_assert("sizeof(${member}) == ${value}" "${say} size must be ${value}")
        elseif(kind STREQUAL "fieldtype")
            _zarvo_abi_assert("${match}<${member}>(\"${value}\")" "${say} shape must be ${value}")
        elseif(kind STREQUAL "call")
            _zarvo_abi_assert("${call}<${member}>(\"${shape}\")"
                "${say} argument classes must be ${shape}")
        elseif(kind STREQUAL "const")
            # The table writes the version-packing macro as PF_Version(...), but the published
            # headers define it as PF_VERSION: call it by that name (the message keeps the
            # table's spelling, so it can be found there).
            string(REGEX REPLACE "^PF_Version\\(" "PF_VERSION(" expression "${name}")
            _zarvo_abi_assert("zarvo_abi::value_is(${expression}, ${value}LL)"
                "${say} value must be ${value}")
        elseif(kind STREQUAL "string")
            _zarvo_abi_c_string("${value}" literal)
            _zarvo_abi_assert("zarvo_abi::text_is(${name}, \"${literal}\")"
                "${say} text must be \"${value}\"")
        endif()
        string(APPEND coverage "${platform}\t${kind}\t${name}\n")
    endforeach()
    foreach(stale IN LISTS unused_skips)
        message(WARNING "${not_declared}: ${stale} names no row of ${table}")
    endforeach()

    set(out "${CMAKE_BINARY_DIR}/generated")
    file(WRITE "${out}/SdkAbiCheck.h.new"
        "// Written by cmake/AbiCheck.cmake from ${table}: edit the table, not this file.\n"
        "#pragma once\n\n"
        "#include \"sdk/abi/AbiShape.h\"\n\n"
        "#include <cstddef>\n"
        "#include <utility>\n\n"
        "#if defined(_WIN64)\n\n${body_win64}\n"
        "#elif defined(__x86_64__) && defined(__linux__)\n\n${body_linux64}\n"
        "#else\n"
        "#error \"The published layout is known for Windows x64 and x86-64 Linux only\"\n"
        "#endif\n")
    file(WRITE "${out}/SdkAbiCoverage.txt.new" "${coverage}")
    # Copied only when different, so that configuring again does not rebuild the check.
    foreach(file SdkAbiCheck.h SdkAbiCoverage.txt)
        configure_file("${out}/${file}.new" "${out}/${file}" COPYONLY)
        file(REMOVE "${out}/${file}.new")
    endforeach()
    target_include_directories(${target} PRIVATE "${out}")
endfunction()

# cmake -DTOOL=sdk_names_check -DFACTS=sdk/abi -DFAULTS=tests/sdk/faults -P CheckNamesFaults.cmake
# The names check on a stand-in sdk/ and a module source that hold one of each fault: it must
# fail and name each, with the name and the headers concerned.
execute_process(
    COMMAND ${TOOL} ${FACTS}/published-names.tsv ${FACTS}/published-headers.tsv ${FAULTS}/sdk
            ${FAULTS} - ${FAULTS}/Effect.cpp
    RESULT_VARIABLE result ERROR_VARIABLE said OUTPUT_VARIABLE out)
if(NOT result EQUAL 1)
    message(FATAL_ERROR "the names check ended with ${result}, not 1:\n${said}${out}")
endif()
foreach(expected
        "sdk/DrawbotSuite.h: no published header has this name and folder"
        "sdk/AE_EffectSuitesOld.h: its include guard is _H_AE_EffectSuitesOld; the published header's is (none)"
        "sdk/AE_EffectSuitesOld.h: lacks the published header's #error \"this file is designed to be included only by AE_EffectSuites.h; do not include directly\""
        "sdk/AE_Effect.h: does not include A.h, which the published header includes"
        "sdk/AE_Effect.h:8: declares PF_CustomEFlag_COMP, which the published SDK declares in AE_EffectUI.h"
        "sdk/AE_Effect.h:9: declares DllExport, which no published header declares"
        "Effect.cpp:3: includes AE_EffectSuitesOld.h directly: it has no include guard and AE_EffectSuites.h includes it; alone it stops the build"
        "Effect.cpp:4: includes \"DrawbotSuite.h\": the published SDK has it as \"adobesdk/DrawbotSuite.h\""
        "Effect.cpp:6: defines DRAWBOT_Exception, a name the published adobesdk/DrawbotSuite.h declares"
        "Effect.cpp:8: uses DllExport, which no published header declares (sdk/AE_Effect.h does)"
        "Effect.cpp:11: uses kSPNoError from SP/SPErrorCodes.h, which it does not include"
        "Effect.cpp:10: uses PF_CustomUIInfo as a whole record, whose fields the published AE_EffectUI.h declares")
    string(FIND "${said}" "sdk names check: ${expected}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "the names check did not say \"${expected}\"; it said:\n${said}")
    endif()
endforeach()

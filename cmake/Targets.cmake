# Shared compile settings and helpers that make one static library per source folder.

add_library(tavlen_warnings INTERFACE)
target_compile_options(tavlen_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Werror -Wnon-virtual-dtor -Woverloaded-virtual $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>)

add_library(tavlen_qt_defines INTERFACE)
target_compile_definitions(tavlen_qt_defines INTERFACE
    QT_NO_KEYWORDS QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_URL_CAST_FROM_STRING
    QT_NO_CAST_FROM_BYTEARRAY QT_NO_NARROWING_CONVERSIONS_IN_CONNECT QT_NO_FOREACH)

if(TAVLEN_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

# The fuzz build (clang only): every library carries libFuzzer's coverage hooks; fuzz/ adds the drivers.
if(TAVLEN_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "TAVLEN_FUZZ needs clang (configure with -DCMAKE_CXX_COMPILER=clang++)")
    endif()
    # -O1 after the build type's flags: several times the executions per second of -O0, assertions kept.
    # Clang 14 cannot emit coroutines with coverage and the function-type check together ("cannot represent a
    # difference across sections"): that one check of UBSan is left out.
    add_compile_options(-O1 -g -fsanitize=address,undefined,fuzzer-no-link -fno-sanitize=function
        -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

# tavlen_folder_library(<folder> [QT] DEPS <targets...>)
# Builds every .cpp in src/<folder> (except main.cpp) into the static library tavlen_<folder>.
# Headers are included by their file name; a folder's headers are visible only to targets linking it.
function(tavlen_folder_library folder)
    cmake_parse_arguments(ARG "QT" "" "DEPS" ${ARGN})
    string(REPLACE "/" "_" name "${folder}")
    set(target "tavlen_${name}")
    file(GLOB sources CONFIGURE_DEPENDS
        "${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp" "${PROJECT_SOURCE_DIR}/src/${folder}/*.h")
    list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
    add_library(${target} STATIC ${sources})
    set_target_properties(${target} PROPERTIES LINKER_LANGUAGE CXX)
    target_include_directories(${target} PUBLIC "${PROJECT_SOURCE_DIR}/src/${folder}")
    target_link_libraries(${target} PUBLIC ${ARG_DEPS} PRIVATE tavlen_warnings)
    if(ARG_QT)
        set_target_properties(${target} PROPERTIES AUTOMOC ON)
        target_link_libraries(${target} PUBLIC tavlen_qt_defines)
    endif()
endfunction()

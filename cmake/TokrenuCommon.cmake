# Options every target of the project shares.
add_library(tokrenu_common INTERFACE)
target_compile_features(tokrenu_common INTERFACE cxx_std_20)
target_compile_options(tokrenu_common INTERFACE
    -Wall -Wextra -Wpedantic -Wold-style-cast -Wnon-virtual-dtor)
target_compile_definitions(tokrenu_common INTERFACE
    TOKRENU_VERSION="${PROJECT_VERSION}"
    QT_NO_CONTEXTLESS_CONNECT
    QT_USE_QSTRINGBUILDER
    QT_NO_KEYWORDS)
if(TOKRENU_WERROR)
    target_compile_options(tokrenu_common INTERFACE -Werror)
endif()
if(TOKRENU_SANITIZE)
    target_compile_options(tokrenu_common INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(tokrenu_common INTERFACE -fsanitize=address,undefined)
endif()

# The program's own code: every text from ASCII must say what it is.
add_library(tokrenu_options INTERFACE)
target_link_libraries(tokrenu_options INTERFACE tokrenu_common)
target_compile_definitions(tokrenu_options INTERFACE QT_NO_CAST_FROM_ASCII)

# Tests and benchmarks may write plain string literals in their data tables.
add_library(tokrenu_test_options INTERFACE)
target_link_libraries(tokrenu_test_options INTERFACE tokrenu_common)
target_compile_definitions(tokrenu_test_options INTERFACE QT_RESTRICTED_CAST_FROM_ASCII)

# A subsystem library: tokrenu_library(name SOURCES ... LINKS ...)
function(tokrenu_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PRIVATE tokrenu_options)
    target_link_libraries(${name} PUBLIC tokrenu_common ${ARG_LINKS})
endfunction()

# One Qt Test executable per area, run by CTest headless.
function(tokrenu_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE tokrenu_test_options Qt6::Test ${ARG_LINKS})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8"
        TIMEOUT 300)
endfunction()

# Shared compile settings for every target of the project.
add_library(voduro_settings_cxx INTERFACE)
target_compile_features(voduro_settings_cxx INTERFACE cxx_std_20)
target_compile_options(voduro_settings_cxx INTERFACE -Wall -Wextra -Wpedantic)
if(VODURO_WERROR)
    target_compile_options(voduro_settings_cxx INTERFACE -Werror)
endif()
target_compile_definitions(voduro_settings_cxx INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_CAST_FROM_BYTEARRAY
    QT_NO_URL_CAST_FROM_STRING
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_FOREACH)
if(VODURO_SANITIZE)
    target_compile_options(voduro_settings_cxx INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(voduro_settings_cxx INTERFACE -fsanitize=address,undefined)
endif()

# One static library per layer below the user interface. A layer names the layers it may use;
# anything else fails to link, which keeps the dependencies pointing downwards.
function(voduro_layer name)
    cmake_parse_arguments(L "" "" "DEPENDS;QT" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp
        ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.h)
    add_library(voduro_${name} STATIC ${sources})
    target_include_directories(voduro_${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(voduro_${name} PUBLIC voduro_settings_cxx Qt6::Core)
    foreach(dep IN LISTS L_DEPENDS)
        target_link_libraries(voduro_${name} PUBLIC voduro_${dep})
    endforeach()
    foreach(module IN LISTS L_QT)
        target_link_libraries(voduro_${name} PUBLIC Qt6::${module})
    endforeach()
endfunction()

# Every tests/<area>/test_*.cpp is its own test executable, linked against the named libraries
# and the helpers in tests/support, and labelled for ctest -L. The test headers are precompiled
# twice in all: once for the tests of the window layers (GUI: their Qt headers depend on the
# Widgets module's macros) and once for all the others; every other test reuses one of the two.
function(voduro_tests area)
    cmake_parse_arguments(T "GUI" "LABEL" "LIBS" ${ARGN})
    file(GLOB test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${area}/test_*.cpp)
    set(group voduro_test_headers_core)
    if(T_GUI)
        set(group voduro_test_headers_gui)
    endif()
    get_property(headers_from GLOBAL PROPERTY ${group})
    foreach(source IN LISTS test_sources)
        get_filename_component(test_name ${source} NAME_WE)
        add_executable(${test_name} ${source})
        target_link_libraries(${test_name} PRIVATE voduro_test_support ${T_LIBS} Qt6::Test)
        # Tests spell their expected texts as plain literals.
        target_compile_options(${test_name} PRIVATE -UQT_NO_CAST_FROM_ASCII -UQT_NO_CAST_TO_ASCII)
        if(VODURO_TEST_PCH)
            # A precompiled header the compiler cannot use is read as text: say so, it is slow.
            target_compile_options(${test_name} PRIVATE -Winvalid-pch)
        endif()
        if(VODURO_TEST_PCH AND headers_from)
            target_precompile_headers(${test_name} REUSE_FROM ${headers_from})
        elseif(VODURO_TEST_PCH)
            target_precompile_headers(${test_name} PRIVATE
                ${CMAKE_CURRENT_SOURCE_DIR}/support/testheaders.h)
            set(headers_from ${test_name})
            set_property(GLOBAL PROPERTY ${group} ${test_name})
        endif()
        # The moc output is included by the test's own source; its own unit stays nearly empty
        # and would only pay for loading the headers.
        set_source_files_properties(
            ${CMAKE_CURRENT_BINARY_DIR}/${test_name}_autogen/mocs_compilation.cpp
            TARGET_DIRECTORY ${test_name} PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
        voduro_ccache_with_precompiled_headers(${test_name})
        add_test(NAME ${test_name} COMMAND ${test_name})
        set_tests_properties(${test_name} PROPERTIES
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=0"
            TIMEOUT 300
            LABELS ${T_LABEL})
    endforeach()
endfunction()

# ccache caches a compile that uses a precompiled header only when told the header's macros and
# time stamps may be taken as they are.
function(voduro_ccache_with_precompiled_headers target)
    if(CMAKE_CXX_COMPILER_LAUNCHER MATCHES "ccache")
        set_target_properties(${target} PROPERTIES CXX_COMPILER_LAUNCHER
            "${CMAKE_COMMAND};-E;env;CCACHE_SLOPPINESS=pch_defines,time_macros;${CMAKE_CXX_COMPILER_LAUNCHER}")
    endif()
endfunction()

# Adds a label to tests declared already (e.g. "slow" to the long ones).
function(voduro_test_labels label)
    foreach(test_name IN LISTS ARGN)
        set_property(TEST ${test_name} APPEND PROPERTY LABELS ${label})
    endforeach()
endfunction()

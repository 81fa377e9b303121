# One interface target carries the compile options every Quirra target shares.
if(NOT TARGET quirra_options)
    add_library(quirra_options INTERFACE)
    target_include_directories(quirra_options INTERFACE ${PROJECT_SOURCE_DIR})
    target_compile_features(quirra_options INTERFACE cxx_std_17)
    target_compile_options(quirra_options INTERFACE
        $<$<CXX_COMPILER_ID:GNU,Clang>:-Wall -Wextra -Wnon-virtual-dtor -Wold-style-cast>)
    target_compile_definitions(quirra_options INTERFACE
        QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
        QT_DISABLE_DEPRECATED_BEFORE=0x050F00)
endif()

# quirra_add_library(<name> SOURCES ... LIBS ...)
# One static library per source folder; LIBS is its whole dependency list.
function(quirra_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    if(NOT ARG_SOURCES)
        # A subsystem that has no sources yet still exists as a target, so that the
        # dependency graph stays the same while it is being filled in.
        set(stub ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp)
        if(NOT EXISTS ${stub})
            file(WRITE ${stub} "// no sources yet\n")
        endif()
        set(ARG_SOURCES ${stub})
    endif()
    add_library(${name} STATIC ${ARG_SOURCES})
    target_link_libraries(${name} PUBLIC quirra_options ${ARG_LIBS})
endfunction()

# Shared settings for every target of the project.
function(tarimo_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    target_compile_definitions(${target} PRIVATE
        QT_NO_KEYWORDS
        QT_NO_FOREACH)
endfunction()

# Gives <target> the price service's host as TARIMO_SERVICE_HOST, a string
# literal.
function(tarimo_use_service_host target)
    target_compile_definitions(${target} PRIVATE TARIMO_SERVICE_HOST="${TARIMO_SERVICE_HOST}")
endfunction()

# tarimo_add_library(<name> SOURCES ... [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
# Makes the static library tarimo_<name> with the alias tarimo::<name>. A
# folder's library takes the folder's name.
function(tarimo_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
    set(target tarimo_${name})
    add_library(${target} STATIC ${ARG_SOURCES})
    add_library(tarimo::${name} ALIAS ${target})
    target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>)
    target_link_libraries(${target} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
    tarimo_set_warnings(${target})
    if(TARIMO_UNITY_BUILD)
        set_target_properties(${target} PROPERTIES UNITY_BUILD ON)
        # g++ takes a batched .cpp for a header and warns about coroutine
        # frames that hold types of its anonymous namespace; each file is
        # still its own part of one translation unit, so nothing is shared.
        target_compile_options(${target} PRIVATE -Wno-subobject-linkage)
    endif()
endfunction()

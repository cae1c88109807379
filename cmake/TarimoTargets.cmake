# Shared settings for every target of the project.
function(tarimo_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    target_compile_definitions(${target} PRIVATE
        QT_NO_KEYWORDS
        QT_NO_FOREACH)
endfunction()

# tarimo_add_library(<folder> SOURCES ... [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
# Makes the static library tarimo_<folder> with the alias tarimo::<folder>.
function(tarimo_add_library folder)
    cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
    set(target tarimo_${folder})
    add_library(${target} STATIC ${ARG_SOURCES})
    add_library(tarimo::${folder} ALIAS ${target})
    target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>)
    target_link_libraries(${target} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
    tarimo_set_warnings(${target})
endfunction()

# Compiler settings shared by every target of the project.
add_library(xvs_options INTERFACE)
target_compile_options(xvs_options INTERFACE -Wall -Wextra -Werror -Wno-missing-field-initializers)
target_include_directories(xvs_options INTERFACE ${PROJECT_SOURCE_DIR}/src)

if(XVS_SANITIZE STREQUAL "address")
    target_compile_options(xvs_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                 -fno-sanitize-recover=undefined)
    target_link_options(xvs_options INTERFACE -fsanitize=address,undefined)
elseif(XVS_SANITIZE STREQUAL "thread")
    target_compile_options(xvs_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(xvs_options INTERFACE -fsanitize=thread)
elseif(NOT XVS_SANITIZE STREQUAL "")
    message(FATAL_ERROR "XVS_SANITIZE must be empty, address or thread")
endif()

if(XVS_FUZZ)
    # Every object is instrumented for libFuzzer's coverage; the fuzz programs link its driver.
    target_compile_options(xvs_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined
                                                 -fno-omit-frame-pointer
                                                 -fno-sanitize-recover=undefined)
    target_link_options(xvs_options INTERFACE -fsanitize=address,undefined)
endif()

find_package(Threads REQUIRED)
target_link_libraries(xvs_options INTERFACE Threads::Threads)

# Collects the .cpp files of the given folders below src/.
function(xvs_collect_sources out)
    set(files)
    foreach(dir IN LISTS ARGN)
        file(GLOB found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
        list(APPEND files ${found})
    endforeach()
    set(${out} ${files} PARENT_SCOPE)
endfunction()

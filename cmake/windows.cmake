# What the Windows build needs beyond the toolchain file (included when WIN32).

# Wide-character Win32 calls throughout; the ANSI code page varies by machine.
# M_PI and its kin, which glibc declares and MinGW only on request.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 _USE_MATH_DEFINES)
# One self-contained linewatch.exe: no MinGW runtime DLLs to ship beside it.
add_link_options(-static)
if(LINEWATCH_SANITIZE)
    message(FATAL_ERROR "LINEWATCH_SANITIZE: MinGW has no sanitizers; configure the Windows build without it")
endif()

# nlohmann's json is headers only, so the build machine's package serves; its
# folder is seen through one of our own so that no other Linux header is found.
if(NOT EXISTS /usr/include/nlohmann/json.hpp)
    message(FATAL_ERROR "nlohmann/json.hpp missing: install nlohmann-json3-dev")
endif()
set(json_root ${CMAKE_BINARY_DIR}/nlohmann_json)
file(MAKE_DIRECTORY ${json_root}/include)
file(CREATE_LINK /usr/include/nlohmann ${json_root}/include/nlohmann SYMBOLIC)
file(WRITE ${json_root}/nlohmann_jsonConfig.cmake [[
if(NOT TARGET nlohmann_json::nlohmann_json)
    add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
    set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
        INTERFACE_INCLUDE_DIRECTORIES "${CMAKE_CURRENT_LIST_DIR}/include")
endif()
]])
set(nlohmann_json_DIR ${json_root} CACHE PATH "" FORCE)

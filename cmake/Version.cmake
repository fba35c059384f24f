# The version is written once, in project(VERSION); the programs read it from a generated
# header, the package and its metadata from the same variables.
if(PROJECT_VERSION_MINOR STREQUAL "")
    message(FATAL_ERROR "project(VERSION) needs a major and a minor number, e.g. 2.1")
endif()
# The day the version was released: the AppStream release entry and the package's change log.
set(TWINSEEK_RELEASE_DATE "2026-12-10")

configure_file(${CMAKE_CURRENT_LIST_DIR}/TwinseekVersion.h.in
    ${CMAKE_BINARY_DIR}/generated/TwinseekVersion.h @ONLY)
add_library(twinseek_version INTERFACE)
target_include_directories(twinseek_version INTERFACE ${CMAKE_BINARY_DIR}/generated)

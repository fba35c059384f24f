# Where the vendor's site is: the one place to change for another site or a mirror.
set(TWINSEEK_VENDOR_HOST "www.twinseek.example" CACHE STRING "Host of the vendor's web site")
# Scheme and host (and a path, if any) of the update documents and the installer. https, so
# that nobody on the way can hand the program an installer to start. At run time the
# environment variable TWINSEEK_UPDATE_URL replaces it.
set(TWINSEEK_UPDATE_BASE "https://${TWINSEEK_VENDOR_HOST}" CACHE STRING
    "Base address of the update documents and the installer")
# The vendor's download page: where "Update Now" sends the user off Windows, where the
# Windows installer cannot run.
set(TWINSEEK_DOWNLOAD_PAGE "https://${TWINSEEK_VENDOR_HOST}/download/" CACHE STRING
    "The vendor's download page")

configure_file(${CMAKE_CURRENT_LIST_DIR}/TwinseekSite.h.in
    ${CMAKE_BINARY_DIR}/generated/TwinseekSite.h @ONLY)
add_library(twinseek_site INTERFACE)
target_include_directories(twinseek_site INTERFACE ${CMAKE_BINARY_DIR}/generated)

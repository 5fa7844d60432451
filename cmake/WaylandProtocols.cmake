# Client code for Wayland protocols that Debian does not package as XML: the interface
# definitions live beside the code that uses them, and wayland-scanner turns each into a
# header and its interface tables at build time.
#
#   kelpo_wayland_protocol(TARGET XML)   adds the generated code to TARGET; its header is
#                                        included as "<xml base name>-client.h"
find_package(PkgConfig REQUIRED)
pkg_check_modules(WAYLAND REQUIRED IMPORTED_TARGET wayland-client xkbcommon)
find_program(WAYLAND_SCANNER wayland-scanner REQUIRED)

function(kelpo_wayland_protocol target xml)
  get_filename_component(base ${xml} NAME_WE)
  set(dir ${CMAKE_BINARY_DIR}/generated/wayland)
  set(header ${dir}/${base}-client.h)
  set(code ${dir}/${base}-protocol.c)
  add_custom_command(OUTPUT ${header} ${code}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${header}
    COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${code}
    DEPENDS ${xml} VERBATIM)
  target_sources(${target} PRIVATE ${header} ${code})
  target_include_directories(${target} PUBLIC ${dir})
endfunction()

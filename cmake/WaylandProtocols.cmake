# Client code for a Wayland protocol, generated from its XML by wayland-scanner:
#   kelpo_wayland_protocol(TARGET XML)
# adds NAME-protocol.c to TARGET and puts NAME-client-protocol.h (NAME: the XML file's name
# without .xml) on its include path.
# Once per directory tree: C must be enabled where the targets are, whichever includes first.
include_guard(DIRECTORY)
# The generated code is C: compiled as C++, an interface no other declaration names would
# get internal linkage.
enable_language(C)

find_program(KELPO_WAYLAND_SCANNER wayland-scanner REQUIRED)

function(kelpo_wayland_protocol target xml)
  get_filename_component(xml "${xml}" ABSOLUTE)
  get_filename_component(name "${xml}" NAME_WE)
  # A folder per target: two targets of one protocol never write the same files at once.
  set(dir "${CMAKE_CURRENT_BINARY_DIR}/wayland-protocols/${target}")
  set(header "${dir}/${name}-client-protocol.h")
  set(code "${dir}/${name}-protocol.c")
  add_custom_command(OUTPUT "${header}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${dir}"
    COMMAND ${KELPO_WAYLAND_SCANNER} client-header "${xml}" "${header}"
    DEPENDS "${xml}" VERBATIM)
  add_custom_command(OUTPUT "${code}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${dir}"
    COMMAND ${KELPO_WAYLAND_SCANNER} private-code "${xml}" "${code}"
    DEPENDS "${xml}" VERBATIM)
  target_sources(${target} PRIVATE "${header}" "${code}")
  target_include_directories(${target} PRIVATE "${dir}")
endfunction()

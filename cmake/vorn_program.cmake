# One of the two programs' executables: a windowed program that lands in the common bin folder,
# named OUTPUT_NAME on Windows, with its icon as a Windows resource (RC) and, for Qt, as a Qt
# resource among the SOURCES. On Windows it also carries the programs' manifest (system DPI
# aware, run as the user who starts it).
function(vorn_add_program target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "OUTPUT_NAME;RC" "SOURCES")
  add_executable(${target} WIN32 ${arg_SOURCES})
  if(WIN32)
    set(manifest ${PROJECT_SOURCE_DIR}/gui/win32/program.manifest)
    set(manifest_rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_manifest.rc)
    # Resource 1 of type 24 is the manifest Windows reads when it starts the program.
    file(CONFIGURE OUTPUT ${manifest_rc} CONTENT "1 24 \"${manifest}\"\n")
    set_source_files_properties(${manifest_rc} PROPERTIES OBJECT_DEPENDS ${manifest})
    target_sources(${target} PRIVATE ${arg_RC} ${manifest_rc})
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${arg_OUTPUT_NAME})
  endif()
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${VORN_BIN_DIR})
  # Only the Qt front end has resources for Qt to compile.
  if(arg_SOURCES MATCHES "\\.qrc")
    set_target_properties(${target} PROPERTIES AUTORCC ON)
  endif()
endfunction()

# One of the two programs' executables: a windowed program that lands in the common bin folder,
# named OUTPUT_NAME on Windows, with its icon as a Windows resource (RC) and, for Qt, as a Qt
# resource among the SOURCES.
function(vorn_add_program target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "OUTPUT_NAME;RC" "SOURCES")
  add_executable(${target} WIN32 ${arg_SOURCES})
  if(WIN32)
    target_sources(${target} PRIVATE ${arg_RC})
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${arg_OUTPUT_NAME})
  endif()
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${VORN_BIN_DIR})
  # Only the Qt front end has resources for Qt to compile.
  if(arg_SOURCES MATCHES "\\.qrc")
    set_target_properties(${target} PROPERTIES AUTORCC ON)
  endif()
endfunction()

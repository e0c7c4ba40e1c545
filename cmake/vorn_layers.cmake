# The layers of the programs, held by the link graph: the logic libraries reach the system and
# the screen only through interfaces in their contexts, so none of them may link, directly or
# through another library, a platform library, a front-end kit, Qt or the print server's
# library. The platform libraries and front ends sit above the logic and link it.
set(VORN_LOGIC_LIBRARIES vorn_common kelvarin_logic tesmo_logic)
set(VORN_FORBIDDEN_BELOW_LOGIC
    "^(Qt6::.*|Cups::.*|vorn_gui|vorn_win32|kelvarin_platform|tesmo_platform|kelvarin_ui|kelvarin_gdi)$")

# Stops the configuration when a logic library links a forbidden one. Call it once every
# target is defined.
function(vorn_check_layers)
  foreach(logic IN LISTS VORN_LOGIC_LIBRARIES)
    if(NOT TARGET ${logic})
      continue()
    endif()
    set(queue ${logic})
    set(seen ${logic})
    while(queue)
      list(POP_FRONT queue current)
      set(links "")
      foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
        get_target_property(value ${current} ${property})
        if(value)
          list(APPEND links ${value})
        endif()
      endforeach()
      foreach(link IN LISTS links)
        # A static library's private links reach its users as $<LINK_ONLY:...>.
        string(REGEX REPLACE "^\\$<LINK_ONLY:(.+)>$" "\\1" link "${link}")
        if(link MATCHES "${VORN_FORBIDDEN_BELOW_LOGIC}")
          message(FATAL_ERROR "${logic} is logic and must not link ${link} (linked by ${current}): "
                              "reach the system through an interface in the program's context")
        endif()
        if(TARGET ${link} AND NOT link IN_LIST seen)
          list(APPEND seen ${link})
          list(APPEND queue ${link})
        endif()
      endforeach()
    endwhile()
  endforeach()
endfunction()

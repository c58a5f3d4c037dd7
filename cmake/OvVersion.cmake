# ov_read_version(HEADER PREFIX): the version a header such as
# shell/win32/Version.h defines (OV_VERSION_MAJOR, _MINOR, _PATCH, _BUILD
# and OV_VERSION_STRING), in the variables PREFIX_MAJOR, PREFIX_MINOR,
# PREFIX_PATCH, PREFIX_BUILD, PREFIX_STRING and PREFIX_QUAD ("1.7.0.0", the
# form of the numeric version resource). A missing definition stops the
# configure step, so no build goes out with an empty version.
function(ov_read_version header prefix)
  file(STRINGS ${header} lines REGEX "^#define[ \t]+OV_VERSION_")
  foreach(part MAJOR MINOR PATCH BUILD)
    set(value "")
    foreach(line ${lines})
      if(line MATCHES "^#define[ \t]+OV_VERSION_${part}[ \t]+([0-9]+)[ \t]*$")
        set(value ${CMAKE_MATCH_1})
      endif()
    endforeach()
    if(value STREQUAL "")
      message(FATAL_ERROR "${header}: no numeric #define OV_VERSION_${part}")
    endif()
    set(${prefix}_${part} ${value} PARENT_SCOPE)
    set(${part} ${value})
  endforeach()
  set(text "")
  foreach(line ${lines})
    if(line MATCHES "^#define[ \t]+OV_VERSION_STRING[ \t]+\"([^\"]+)\"[ \t]*$")
      set(text ${CMAKE_MATCH_1})
    endif()
  endforeach()
  if(text STREQUAL "")
    message(FATAL_ERROR "${header}: no #define OV_VERSION_STRING \"...\"")
  endif()
  set(${prefix}_STRING ${text} PARENT_SCOPE)
  set(${prefix}_QUAD "${MAJOR}.${MINOR}.${PATCH}.${BUILD}" PARENT_SCOPE)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${header})
endfunction()

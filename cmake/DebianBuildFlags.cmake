# Optimised builds take the flags Debian builds its own packages with, from
# dpkg-buildflags with every hardening feature: fortified functions, stack
# protector, read-only relocations bound at start (Debian's compiler makes
# position-independent programs by itself). Stack clash and
# control flow protection are added where the compiler has them, as newer
# dpkg does. Sanitizer builds keep their own flags: the fortified functions
# would hide calls from the sanitizers.
include(CheckCXXCompilerFlag)

option(PELMORA_HARDENING "Build optimised builds with Debian's hardening flags (dpkg-buildflags)" ON)

set(_pelmora_optimised_types Release RelWithDebInfo MinSizeRel)
if(NOT PELMORA_HARDENING OR PELMORA_SANITIZE OR CMAKE_CXX_FLAGS MATCHES "-fsanitize"
   OR NOT CMAKE_BUILD_TYPE IN_LIST _pelmora_optimised_types)
  return()
endif()

find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT DPKG_BUILDFLAGS)
  message(STATUS "Hardening: dpkg-buildflags not found, building without Debian's flags")
  return()
endif()

# The build type's own optimisation and debug flags stay in charge.
set(_pelmora_flags)
foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                          ${DPKG_BUILDFLAGS} --get ${kind}
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "dpkg-buildflags --get ${kind} failed")
  endif()
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^-(g|O[0-9s]?)$")
  set(_pelmora_${kind} ${flags})
endforeach()
foreach(flag -fstack-clash-protection -fcf-protection)
  string(MAKE_C_IDENTIFIER "PELMORA_HAS${flag}" known)
  check_cxx_compiler_flag(${flag} ${known})
  if(${known})
    list(APPEND _pelmora_CXXFLAGS ${flag})
  endif()
endforeach()

add_compile_options(${_pelmora_CPPFLAGS} ${_pelmora_CXXFLAGS})
add_link_options(${_pelmora_LDFLAGS})
message(STATUS "Hardening: ${_pelmora_CPPFLAGS} ${_pelmora_CXXFLAGS}; linking with ${_pelmora_LDFLAGS}")

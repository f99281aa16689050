# SPDX-FileCopyrightText: 2026 The Pelmora developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Optimised builds take the flags Debian builds its own packages with, from
# dpkg-buildflags with every hardening feature: fortified functions, stack
# protector, read-only relocations bound at start (Debian's compiler makes
# position-independent programs by itself). Stack clash and control flow
# protection are added where the compiler has them, as newer dpkg does.
# Sanitizer builds keep their own flags: the fortified functions would hide
# calls from the sanitizers. They are flags for Debian's own programs, so a
# build for another system (Windows, with mingw-w64) goes without them.
include(CheckCXXCompilerFlag)

option(PELMORA_HARDENING "Build optimised builds with Debian's hardening flags (dpkg-buildflags)" ON)

set(_pelmora_optimised_types Release RelWithDebInfo MinSizeRel)
if(NOT PELMORA_HARDENING OR NOT CMAKE_SYSTEM_NAME STREQUAL "Linux" OR PELMORA_SANITIZE OR CMAKE_CXX_FLAGS MATCHES "-fsanitize"
   OR NOT CMAKE_BUILD_TYPE IN_LIST _pelmora_optimised_types)
  return()
endif()

find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT DPKG_BUILDFLAGS)
  message(STATUS "Hardening: dpkg-buildflags not found, building without Debian's flags")
  return()
endif()

# The build type's own optimisation and debug flags stay in charge.
set(_pelmora_compile)
set(_pelmora_link)
foreach(_pelmora_kind CPPFLAGS CXXFLAGS LDFLAGS)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                          ${DPKG_BUILDFLAGS} --get ${_pelmora_kind}
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE _pelmora_flags OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE _pelmora_failed)
  if(_pelmora_failed)
    message(FATAL_ERROR "dpkg-buildflags --get ${_pelmora_kind} failed")
  endif()
  separate_arguments(_pelmora_flags UNIX_COMMAND "${_pelmora_flags}")
  list(FILTER _pelmora_flags EXCLUDE REGEX "^-(g|O[0-9s]?)$")
  if(_pelmora_kind STREQUAL "LDFLAGS")
    list(APPEND _pelmora_link ${_pelmora_flags})
  else()
    list(APPEND _pelmora_compile ${_pelmora_flags})
  endif()
endforeach()
foreach(_pelmora_flag -fstack-clash-protection -fcf-protection)
  string(MAKE_C_IDENTIFIER "PELMORA_HAS${_pelmora_flag}" _pelmora_known)
  check_cxx_compiler_flag(${_pelmora_flag} ${_pelmora_known})
  if(${_pelmora_known})
    list(APPEND _pelmora_compile ${_pelmora_flag})
  endif()
endforeach()

add_compile_options(${_pelmora_compile})
add_link_options(${_pelmora_link})
list(JOIN _pelmora_compile " " _pelmora_compile)
list(JOIN _pelmora_link " " _pelmora_link)
message(STATUS "Hardening: ${_pelmora_compile}; linking with ${_pelmora_link}")

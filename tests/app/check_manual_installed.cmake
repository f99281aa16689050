# SPDX-FileCopyrightText: 2026 The Pelmora developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs the build into a fresh prefix and reads the manual page from there
# as `man` would: it must be in section 6 and speak of what it should.
set(prefix ${WORK_DIR}/manual-prefix)
file(REMOVE_RECURSE ${prefix})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                RESULT_VARIABLE installed OUTPUT_QUIET)
if(NOT installed EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()
set(page ${prefix}/share/man/man6/pelmora.6.gz)
if(NOT EXISTS ${page})
  message(FATAL_ERROR "no manual page at ${page}")
endif()
execute_process(COMMAND gzip -dc ${page} OUTPUT_VARIABLE text RESULT_VARIABLE unpacked)
if(NOT unpacked EQUAL 0)
  message(FATAL_ERROR "the manual page is not gzip")
endif()
foreach(expected ".TH PELMORA 6" "Pelmora ${VERSION}" "fullscreen" "no\\-music" "mute" "F11" "Esc" "pinpon.wav" "mistake.wav"
                 "bgm.mp3" "lib/games/pelmora" "/usr/games/pelmora" "SDL_AUDIODRIVER" "fonts\\-ipafont\\-gothic")
  string(FIND "${text}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the manual page does not mention ${expected}")
  endif()
endforeach()
file(REMOVE_RECURSE ${prefix})

# SPDX-FileCopyrightText: 2026 The Pelmora developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Copies PROGRAM, the sound files and the voice's clips into FOLDER, a Windows folder written
# with forward slashes (C: is the Wine prefix's drive_c, Z: this machine's
# root), starts it there by its Windows name under Wine and checks what it
# reports. Wine's variables (WINEPREFIX, ...) come from the environment.
#   cmake -DPROGRAM=<sound_names_here.exe> -DFOLDER=C:/Users/ゆうき/Pelmora
#         -DWINE=<wine> -DSOUNDS=<assets/sounds> -DVOICE=<assets/voice> -P run_moved.cmake
cmake_minimum_required(VERSION 3.25)

string(SUBSTRING "${FOLDER}" 0 2 drive)
string(SUBSTRING "${FOLDER}" 2 -1 rest)
if(drive STREQUAL "C:")
  set(here "$ENV{WINEPREFIX}/drive_c${rest}")
elseif(drive STREQUAL "Z:")
  set(here "${rest}")
else()
  message(FATAL_ERROR "FOLDER must be on C: or Z:, not ${FOLDER}")
endif()

# As Windows writes the folder: backslashes, and a separator at the end only
# at a drive's root.
if(NOT rest STREQUAL "/")
  string(REGEX REPLACE "/$" "" rest "${rest}")
endif()
string(REPLACE "/" "\\" directory "${drive}${rest}")
get_filename_component(name "${PROGRAM}" NAME)
if(directory MATCHES "\\\\$")
  set(windowsProgram "${directory}${name}")
else()
  set(windowsProgram "${directory}\\${name}")
endif()

file(MAKE_DIRECTORY "${here}")
file(COPY "${PROGRAM}" "${SOUNDS}/pinpon.wav" "${SOUNDS}/mistake.wav" "${SOUNDS}/bgm.mp3" DESTINATION "${here}")
file(COPY "${VOICE}/" DESTINATION "${here}/voice" FILES_MATCHING PATTERN "*.mp3")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY ${WINE} "${windowsProgram}"
  OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE failed)
string(REPLACE "\r\n" "\n" output "${output}")
if(failed)
  message(FATAL_ERROR "${windowsProgram} failed (${failed}):\n${output}${errors}")
endif()

set(expected "directory ${directory}
${directory}\\pinpon.wav wav
${directory}\\mistake.wav wav
command Play ${directory}\\bgm.mp3
${directory}\\bgm.mp3 mp3
${directory}\\voice\\")
# The clip's name is a hash of the question's text.
string(REGEX REPLACE "[0-9a-f]+\\.mp3 mp3\n$" "" start "${output}")
if(NOT start STREQUAL expected OR start STREQUAL output)
  message(FATAL_ERROR "${windowsProgram} reported\n${output}\ninstead of\n${expected}")
endif()
message(STATUS "${windowsProgram}:\n${output}")

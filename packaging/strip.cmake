# SPDX-FileCopyrightText: 2026 The Pelmora developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Run by CPack on the files it is about to package: strips the program as
# Debian's packages are stripped (symbols, debug sections, the compiler's
# .comment and .note), after keeping its symbols apart beside the build.
set(program ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/${CPACK_PELMORA_PROGRAM})
if(NOT EXISTS ${program})
  message(FATAL_ERROR "no program to strip at ${program}")
endif()
execute_process(COMMAND ${CPACK_PELMORA_OBJCOPY} --only-keep-debug ${program} ${CPACK_PELMORA_SYMBOLS}
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CPACK_PELMORA_STRIP} --remove-section=.comment --remove-section=.note ${program}
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CPACK_PELMORA_OBJCOPY} --add-gnu-debuglink=${CPACK_PELMORA_SYMBOLS} ${program}
                COMMAND_ERROR_IS_FATAL ANY)

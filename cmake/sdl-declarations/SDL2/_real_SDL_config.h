// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

/* Stands in for the configuration of Debian's SDL2 headers when mingw-w64
   takes them for the declarations of what Pelmora loads from SDL2.dll: only
   the standard headers that SDL's declarations rest on. */
#define HAVE_STDARG_H 1
#define HAVE_STDDEF_H 1
#define HAVE_STDINT_H 1

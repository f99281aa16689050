// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A DLL named SDL2.dll that has none of SDL's functions: where it is found,
// the sound layer says which function it lacks.
extern "C" __declspec(dllexport) int pelmoraStandIn()
{
    return 0;
}

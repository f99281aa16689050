// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

class QCoreApplication;

namespace pelmora {

// SIGTERM and SIGINT end the program the way closing its window does: the
// event loop stops and everything is taken down in order, sound included.
void quitOnTerminationSignals(QCoreApplication& app);

} // namespace pelmora

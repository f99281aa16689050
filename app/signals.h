#pragma once

class QCoreApplication;

namespace pelmora {

// SIGTERM and SIGINT end the program the way closing its window does: the
// event loop stops and everything is taken down in order, sound included.
void quitOnTerminationSignals(QCoreApplication& app);

} // namespace pelmora

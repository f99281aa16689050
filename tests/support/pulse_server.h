// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A PulseAudio server of its own, with a null sink: what a program plays to
// it is recorded from the sink's monitor with parec, each piece stamped with
// the steady-clock time it arrived.

#include "measures.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

#include <atomic>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace pelmora::e2e {

class PulseServer {
public:
    PulseServer();
    ~PulseServer();
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    bool ok() const { return error_.isEmpty(); }
    const QString& error() const { return error_; }

    // NAME=value for a program that is to play through this server.
    QStringList environment() const;

    // What reached the sink so far: 16-bit stereo at 44100 Hz.
    QByteArray audio() const;
    // When the recording first held more than `offset` bytes, in steady µs;
    // -1 if not yet. How big it was at a moment, in bytes.
    qint64 timeOfByte(qint64 offset) const;
    qint64 sizeAt(qint64 us) const;

    // Kills the server, as a crash would, and later starts it anew on the
    // same socket; what reaches the new one is recorded on, after the old.
    void kill();
    bool start();
    // How many streams play to the sink now.
    int streams() const;

    // Plays samples (as audio() gives them) through pacat with the smallest
    // latency it asks for: the floor of what any client can reach. Returns
    // the steady µs just before they were written, -1 on failure.
    qint64 playReference(const QByteArray& samples) const;

private:
    QStringList ownEnvironment() const;
    void record();

    QTemporaryDir dir_;
    QString error_;
    qint64 server_ = -1;
    qint64 recorder_ = -1;
    int recording_ = -1; // the read end of parec's output
    mutable std::mutex mutex_;
    QByteArray audio_;
    Arrivals arrivals_;
    std::atomic<bool> stop_{false};
    std::thread reader_;
};

} // namespace pelmora::e2e

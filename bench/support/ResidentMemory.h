// The resident memory of the benchmark's own process, as the kernel reports it.
#pragma once

#include <QByteArray>
#include <QFile>

// The resident memory of this process in MB (of 1024 KiB), or -1 when /proc cannot be read.
inline double residentMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    }
    return -1;
}

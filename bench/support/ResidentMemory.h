// The resident memory of the benchmark's own process, as the kernel reports it.
#pragma once

#include <QByteArray>
#include <QFile>

// One figure of this process's memory in MB (of 1024 KiB), by its name in /proc/self/status: "VmRSS" for
// all that is resident, "RssAnon" for the memory the process made, "RssFile" for mapped files' pages (the
// libraries' code, fonts) that the kernel can drop and read again. -1 when /proc cannot be read.
inline double statusMegabytes(const QByteArray& name) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(name + ':'))
            return line.mid(name.size() + 1).trimmed().split(' ').first().toDouble() / 1024;
    }
    return -1;
}

// The resident memory of this process in MB (of 1024 KiB), or -1 when /proc cannot be read.
inline double residentMegabytes() {
    return statusMegabytes("VmRSS");
}

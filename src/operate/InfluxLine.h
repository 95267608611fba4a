#pragma once
// The poll cycles' readings in InfluxDB's line protocol, which Telegraf and "influx write" take
// as they are: one line per cycle, "qro4000,serial=1234 forward_w=1200i,swr=1.3,... <ns>".
#include "operate/OperateSnapshot.h"
#include <QFile>
#include <QString>
#include <utility>
#include <vector>

namespace InfluxLine {
using Tags = std::vector<std::pair<QString, QString>>;

// One line (without its line end) with the cycle's time in nanoseconds since 1970; empty when
// the cycle read nothing at all (a line without fields is not line protocol) or has no time.
// Readings the cycle did not bring are left out; tags with an empty value too.
QString Line(const OperateSnapshot& snapshot, const Tags& tags = {});
// The measurement every line is written to.
QString Measurement();
// The tags that name the amplifier: its serial number when it is known.
Tags AmplifierTags(unsigned serialNumber);
} // namespace InfluxLine

// A file the lines are appended to, each flushed as it is written, so that a reader following
// the file (Telegraf's tail input) never sees half a line.
class CInfluxFile {
public:
    // False with `message` set when the file cannot be opened for appending.
    bool Open(const QString& path, QString* message);
    bool Write(const QString& line, QString* message);

private:
    QFile m_file;
};

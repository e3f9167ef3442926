// One HTTP reply as a test client read it: status, header block and body.
#pragma once

#include <QByteArray>
#include <QList>

namespace varnock::test {

struct HttpReply {
    int status = 0;
    QByteArray head;
    QByteArray body;
    // The value of a header line, names compared without case; empty when absent.
    QByteArray header(const QByteArray& name) const
    {
        for (const QByteArray& line : head.split('\n')) {
            const int colon = line.indexOf(':');
            if (colon > 0 && line.left(colon).trimmed().toLower() == name.toLower()) return line.mid(colon + 1).trimmed();
        }
        return {};
    }
};

} // namespace varnock::test

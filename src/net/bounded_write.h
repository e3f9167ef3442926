// Writes to a TCP client without letting a slow reader grow our memory or stall the event loop.
#pragma once

#include <QtGlobal>

class QTcpSocket;

namespace varnock {

// Unsent bytes allowed per client; beyond that, whole lines are dropped.
inline constexpr qint64 kMaxQueuedBytes = qint64(1) << 20;

// Queues n bytes on a connected socket unless they would push its unsent bytes past
// kMaxQueuedBytes; a line is sent whole or not at all. False when dropped.
bool writeBounded(QTcpSocket& socket, const char* data, qint64 n);

} // namespace varnock

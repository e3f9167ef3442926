// Every socket of the receiver is direct: a system proxy must never carry our feeds.
#pragma once

#include <QNetworkProxy>

namespace varnock {

// Also stops Qt's system-proxy lookup thread from starting when the first socket binds.
inline void useDirectConnections() { QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::NoProxy)); }

} // namespace varnock

// LineSink: where 30003-style lines go (the 30003 TCP server, or a test double).
#pragma once

#include <string_view>

namespace varnock {

class LineSink {
public:
    virtual ~LineSink() = default;
    // True while at least one 30003-style client is connected; lines are built only then.
    virtual bool anyLineClient() const = 0;
    // One complete line, CR LF included, to every connected client in slot order.
    virtual void sendToLineClients(std::string_view line) = 0;
};

// No client ever connected: nothing is built.
class NullLineSink final : public LineSink {
public:
    bool anyLineClient() const override { return false; }
    void sendToLineClients(std::string_view) override {}
};

} // namespace varnock

// Raw frame lines (binary, avr, ascii) and packet list lines, built in fixed buffers on the frame path.
#include "receiver/raw_output.h"

#include <cstdio>
#include <cstring>

#include "flights/list_model.h"

namespace varnock {

namespace {

constexpr uint8_t kEsc = 0x1A;
constexpr char kHex[] = "0123456789ABCDEF";

struct LineWriter {
    uint8_t* out;
    std::size_t n = 0;

    void byte(uint8_t b) { out[n++] = b; }
    // Escape byte doubled so a reader can find frame starts.
    void escaped(uint8_t b)
    {
        out[n++] = b;
        if (b == kEsc) out[n++] = kEsc;
    }
    void hex(uint8_t b)
    {
        out[n++] = static_cast<uint8_t>(kHex[b >> 4]);
        out[n++] = static_cast<uint8_t>(kHex[b & 15]);
    }
    void text(const char* s)
    {
        while (*s) out[n++] = static_cast<uint8_t>(*s++);
    }
    void crlf()
    {
        out[n++] = '\r';
        out[n++] = '\n';
    }
    void binaryStamp(const uint8_t* stamp, bool withStamp)
    {
        for (int i = 0; i < 6; ++i) {
            if (withStamp)
                escaped(stamp[i]);
            else
                byte(0xFF);
        }
    }
    void textStamp(const uint8_t* stamp, bool withStamp)
    {
        for (int i = 0; i < 6; ++i) {
            if (withStamp)
                hex(stamp[i]);
            else
                text("FF");
        }
    }
    // 26 is the escape byte; the demodulator never hands it over, and it must not slip through here.
    void level(int lv) { byte(static_cast<uint8_t>(lv == kEsc ? kEsc + 1 : lv)); }
};

// Right-aligned decimal in a fixed width.
std::string rightAligned(long long v, int width)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%*lld", width, v);
    return buf;
}

std::string levelField(int level)
{
    return "; [" + rightAligned(level, 3) + "]";
}

std::string cntrPrefix(int64_t timeUs, int64_t deltaUs)
{
    return listTimeField(timeUs) + " [" + listDeltaField(deltaUs) + "] ";
}

} // namespace

RawFormat rawFormatOf(const CommandLineOptions& options)
{
    if (options.avr) return RawFormat::Avr;
    if (options.ascii) return RawFormat::Ascii;
    return RawFormat::Binary;
}

std::size_t buildModeSRawLine(const RawFrame& f, RawFormat format, bool withStamp, uint8_t* out)
{
    LineWriter w{out};
    const int n = f.length == 7 ? 7 : 14;
    switch (format) {
    case RawFormat::Avr:
        w.byte('*');
        for (int i = 0; i < n; ++i) w.hex(f.bytes[i]);
        w.byte(';');
        w.crlf();
        break;
    case RawFormat::Ascii:
        w.byte('@');
        w.textStamp(f.stamp, withStamp);
        for (int i = 0; i < n; ++i) w.hex(f.bytes[i]);
        w.byte(';');
        w.crlf();
        break;
    case RawFormat::Binary:
        w.byte(kEsc);
        w.byte(n == 14 ? '3' : '2');
        w.binaryStamp(f.stamp, withStamp);
        w.level(f.level);
        for (int i = 0; i < n; ++i) w.escaped(f.bytes[i]);
        break;
    }
    return w.n;
}

std::size_t buildModeACRawLine(const ModeACReply& r, RawFormat format, bool withStamp, uint8_t* out)
{
    LineWriter w{out};
    const char digits[5] = {static_cast<char>('0' + (r.a & 7)), static_cast<char>('0' + (r.b & 7)),
                            static_cast<char>('0' + (r.c & 7)), static_cast<char>('0' + (r.d & 7)), 0};
    switch (format) {
    case RawFormat::Avr:
        w.byte('*');
        w.text(digits);
        w.byte(';');
        w.crlf();
        break;
    case RawFormat::Ascii:
        w.byte('@');
        w.textStamp(r.stamp, withStamp);
        w.text(digits);
        w.byte(';');
        w.crlf();
        break;
    case RawFormat::Binary:
        w.byte(kEsc);
        w.byte('1');
        w.binaryStamp(r.stamp, withStamp);
        w.level(r.level);
        w.escaped(static_cast<uint8_t>((r.a & 7) * 16 + (r.b & 7)));
        w.escaped(static_cast<uint8_t>((r.c & 7) * 16 + (r.d & 7)));
        break;
    }
    return w.n;
}

std::string listTimeField(int64_t timeUs)
{
    std::string digits = rightAligned(static_cast<long long>(timeUs), 10);
    if (digits.size() > 10) digits.erase(0, digits.size() - 10);
    const std::string grouped = digits.substr(0, 4) + "." + digits.substr(4, 3) + "." + digits.substr(7, 3);
    // A separator with nothing before it is blanked, so small times do not show stray dots.
    std::string out;
    out.reserve(grouped.size());
    for (std::size_t i = 0; i < grouped.size(); ++i) {
        if (grouped[i] == ' ' && i + 1 < grouped.size() && grouped[i + 1] == '.') {
            out += "  ";
            ++i;
        } else {
            out += grouped[i];
        }
    }
    return out;
}

std::string listDeltaField(int64_t deltaUs)
{
    if (deltaUs == 99999) return "     ";
    return rightAligned(static_cast<long long>(deltaUs), 5);
}

std::string modeSListLine(const RawFrame& f, bool cntr)
{
    const bool isLong = f.length == 14;
    const int n = isLong ? 11 : 4;
    char hex[3 * 14];
    int k = 0;
    auto put = [&](uint8_t b) {
        hex[k++] = kHex[b >> 4];
        hex[k++] = kHex[b & 15];
        hex[k++] = ' ';
    };
    for (int i = 0; i < n; ++i) put(f.bytes[i]);
    for (int i = 0; i < 3; ++i) put(f.syndrome[i]);
    const std::string hexPart(hex, static_cast<std::size_t>(k - 1));

    std::string line;
    if (cntr) line = cntrPrefix(f.timeUs, f.deltaUs);
    line += "*" + hexPart + levelField(f.level);
    return line;
}

std::string modeACNewListLine(const ModeACReply& r, bool cntr)
{
    std::string line;
    if (cntr) line = cntrPrefix(r.timeUs, r.deltaUs);
    line += "*";
    for (int i = 0; i < 4 && r.code[i]; ++i) line += r.code[i];
    line += levelField(r.level);
    if (r.altitudeValid) {
        char fl[16];
        std::snprintf(fl, sizeof fl, " (F%03d) ", r.flightLevel);
        line += fl;
    } else {
        line += "        ";
    }
    return line;
}

bool RawOutput::listWanted(bool evenHidden) const
{
    if (!list_ || !controls_.sblist) return false;
    return controls_.mainWindowVisible || (evenHidden && options_.log);
}

template <typename Item, typename Build>
void RawOutput::deliver(const Item& item, Build build)
{
    const RawFormat format = rawFormatOf(options_);
    uint8_t line[kRawLineMax];
    if (raw_ && raw_->rawClientConnected()) {
        const std::size_t n = build(item, format, options_.multilat1, line);
        raw_->sendToRawClient(line, n);
    }
    if (push_ && push_->rawClientConnected()) {
        const std::size_t n = build(item, RawFormat::Binary, true, line);
        push_->sendToRawClient(line, n);
    }
    if (controls_.sbudpout && udp_) {
        // The receiving instance has its own clock: the binary stamp never travels over UDP.
        const bool withStamp = format == RawFormat::Binary ? false : options_.multilat1;
        const std::size_t n = build(item, format, withStamp, line);
        udp_->sendDatagram(line, n);
        leds_[8] = true;
    }
}

void RawOutput::emitModeSFrame(const RawFrame& frame)
{
    if (listWanted(true)) list_->WriteLogLine(modeSListLine(frame, options_.cntr));
    deliver(frame, buildModeSRawLine);
}

void RawOutput::listModeAC(const ModeACReply& r)
{
    const bool repeat = std::strncmp(r.code, lastCode_, 4) == 0 && lastCode_[0] != 0;
    // An empty list (just cleared) or an overlong pile-up has nothing sensible to extend.
    if (repeat && !list_->empty() && list_->lastText().size() < kPileUpMax) {
        std::string text = list_->lastText();
        if (options_.cntr)
            text += " " + (r.deltaUs == 99999 ? std::string(".....") : rightAligned(r.deltaUs, 5));
        else
            text += ".";
        list_->deleteLast();
        list_->WriteLogLine(text);
        return;
    }
    list_->WriteLogLine(modeACNewListLine(r, options_.cntr));
}

void RawOutput::emitModeACReply(const ModeACReply& reply)
{
    if (listWanted(reply.altitudeValid)) listModeAC(reply);
    deliver(reply, buildModeACRawLine);
    std::memcpy(lastCode_, reply.code, 4);
    lastCode_[4] = 0;
}

} // namespace varnock

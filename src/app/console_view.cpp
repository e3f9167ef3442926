// The console view: list lines to the terminal, single-key buttons, questions answered on the terminal.
#include "app/console_view.h"

#include <cerrno>
#include <cstdlib>

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "app/controls_actions.h"
#include "app/device_control.h"
#include "app/engine.h"
#include "app/quit_signals.h"

namespace varnock {

namespace {

// The terminal as found, put back at exit whatever way the program ends.
termios g_savedTerminal;
int g_terminalFd = -1;

void restoreTerminal()
{
    if (g_terminalFd >= 0) {
        tcsetattr(g_terminalFd, TCSANOW, &g_savedTerminal);
        g_terminalFd = -1;
    }
}

bool allDigits(const std::string& s)
{
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return !s.empty();
}

} // namespace

ConsoleView::ConsoleView(Engine& engine, std::FILE* out, int inputFd, QObject* parent)
    : QObject(parent), engine_(engine), out_(out), inputFd_(inputFd)
{
    // The round's slot runs after the engine's own, so the table is complete here.
    connect(&engine_.datacntr, &QTimer::timeout, this, &ConsoleView::afterRound);
    poll_.setInterval(100);
    connect(&poll_, &QTimer::timeout, this, &ConsoleView::flush);
    poll_.start();
}

ConsoleView::~ConsoleView()
{
    input_.reset();
    signals_.reset();
    if (rawMode_) restoreTerminal();
    std::fflush(out_);
}

void ConsoleView::startInput()
{
    if (isatty(inputFd_) == 1 && g_terminalFd < 0 && tcgetattr(inputFd_, &g_savedTerminal) == 0) {
        termios raw = g_savedTerminal;
        // Keys arrive one by one and unechoed; Ctrl-C still raises SIGINT, output still maps newlines.
        raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        if (tcsetattr(inputFd_, TCSANOW, &raw) == 0) {
            g_terminalFd = inputFd_;
            rawMode_ = true;
            static bool registered = false;
            if (!registered) {
                std::atexit(restoreTerminal);
                registered = true;
            }
        }
    }
    input_ = std::make_unique<QSocketNotifier>(inputFd_, QSocketNotifier::Read);
    connect(input_.get(), &QSocketNotifier::activated, this, &ConsoleView::onInput);
}

void ConsoleView::installSignalHandlers()
{
    signals_ = std::make_unique<QuitSignals>([this] { Q_EMIT quitRequested(); }, restoreTerminal);
}

void ConsoleView::onInput()
{
    char buf[64];
    const ssize_t n = ::read(inputFd_, buf, sizeof buf);
    if (n <= 0) {
        if (n < 0 && errno == EINTR) return;
        input_->setEnabled(false); // end of input: no more keys, the receiver goes on
        return;
    }
    for (ssize_t i = 0; i < n; ++i) handleKey(buf[i]);
}

const char* ConsoleView::keyHelp()
{
    return "Keys:  s START/STOP   q quit (settings are saved)   l List: packets / aircraft table\n"
           "       m MODE-S   a MODE-AC   t Tuner AGC   r RTL AGC   + / - gain up / down\n"
           "       u Send UDP   f Max/Min frequency search   h these keys\n";
}

bool ConsoleView::handleKey(char key)
{
    if (device_ == nullptr) return false;
    ControlsActions& c = device_->controls();
    DeviceState& st = device_->state();
    Controls& controls = engine_.receiver().controls;
    const char* notRunning = "[the device is not running]";

    switch (key) {
    case 's':
    case 'S': device_->BitBtn1Click(Sender::User); break;
    case 'q':
    case 'Q': Q_EMIT quitRequested(); break;
    case 'l':
    case 'L':
        c.toggleList();
        note(controls.sblist ? "[List down: packets]" : "[List up: aircraft table every 2 s]");
        break;
    case 'm':
    case 'M':
        if (!c.pressModeS()) note(notRunning);
        break;
    case 'a':
    case 'A':
        if (!c.pressModeAC()) note(notRunning);
        break;
    case 't':
    case 'T':
        if (!c.toggleTunerAgc()) note(notRunning);
        break;
    case 'r':
    case 'R':
        if (!c.toggleRtlAgc()) note(notRunning);
        break;
    case '+':
    case '=':
    case '-':
        if (!st.controlsEnabled)
            note(notRunning);
        else if (!st.manualGainEnabled)
            note("[Tuner AGC is on: press t for manual gain]");
        else
            c.moveGainTrackBar(st.tbgainPosition + (key == '-' ? -1 : 1));
        break;
    case 'u':
    case 'U':
        engine_.sbudpoutClick(!controls.sbudpout);
        note(controls.sbudpout ? "[Send UDP on]" : "[Send UDP off]");
        break;
    case 'f':
    case 'F':
        if (!st.started)
            note(notRunning);
        else
            device_->BitBtn4Click();
        break;
    case 'h':
    case 'H':
    case '?': std::fputs(keyHelp(), out_); break;
    default: return false;
    }
    flush();
    return true;
}

std::size_t ConsoleView::firstNewLine(const std::vector<std::string>& printed, const std::vector<ListModel::Item>& now)
{
    const std::size_t n = printed.size();
    auto same = [&](std::size_t from, std::size_t len) {
        for (std::size_t i = 0; i < len; ++i)
            if (printed[from + i] != now[i].text) return false;
        return true;
    };
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t m = n - k; // printed[k..n) would be the front of now
        if (m <= now.size() && same(k, m)) return m;
        // The last printed line rewritten in place.
        if (m <= now.size() && same(k, m - 1) && now[m - 1].text != printed[n - 1]) return m - 1;
    }
    return 0;
}

std::string ConsoleView::terminalText(const std::string& text)
{
    std::string s;
    s.reserve(text.size());
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 32 || c == 127) {
            s += '^';
            s += static_cast<char>(c == 127 ? '?' : c + 64);
        } else if (c < 128) {
            s += static_cast<char>(c);
        } else { // Latin-1 to UTF-8
            s += static_cast<char>(0xC0 | (c >> 6));
            s += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return s;
}

void ConsoleView::print(const std::string& line)
{
    const std::string t = terminalText(line) + "\n";
    std::fwrite(t.data(), 1, t.size(), out_);
}

void ConsoleView::note(const std::string& text)
{
    flush();
    print(text);
    std::fflush(out_);
}

void ConsoleView::remember()
{
    const ListModel& list = engine_.receiver().list;
    printed_.clear();
    for (const ListModel::Item& it : list.items()) printed_.push_back(it.text);
    printedRevision_ = list.revision;
}

void ConsoleView::flush()
{
    const ListModel& list = engine_.receiver().list;
    if (list.revision == printedRevision_ && static_cast<std::size_t>(list.count()) == printed_.size()) return;
    const std::vector<ListModel::Item>& now = list.items();
    for (std::size_t i = firstNewLine(printed_, now); i < now.size(); ++i) print(now[i].text);
    remember();
    std::fflush(out_);
}

void ConsoleView::afterRound()
{
    const ListModel& list = engine_.receiver().list;
    if (engine_.receiver().controls.sblist || list.revision == printedRevision_) {
        flush();
        return;
    }
    // The round rebuilt the table: show it whole, as the window would.
    print("");
    for (const ListModel::Item& it : list.items()) print(it.text);
    remember();
    std::fflush(out_);
}

void ConsoleView::messageLine(const std::string&) { flush(); }

bool ConsoleView::readLine(std::string& line)
{
    line.clear();
    for (;;) {
        pollfd fds[2] = {{inputFd_, POLLIN, 0}, {QuitSignals::pendingFd(), POLLIN, 0}};
        const int nfds = fds[1].fd >= 0 ? 2 : 1;
        if (::poll(fds, static_cast<nfds_t>(nfds), -1) < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (nfds == 2 && (fds[1].revents & POLLIN)) return false; // Ctrl-C: the answer is No
        char c = 0;
        const ssize_t n = ::read(inputFd_, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        if (c == '\n' || c == '\r') {
            if (rawMode_) std::fputc('\n', out_);
            return true;
        }
        if (c == 4 && line.empty()) return false; // Ctrl-D
        if (c == 127 || c == 8) {
            if (!line.empty()) {
                line.pop_back();
                if (rawMode_) std::fputs("\b \b", out_);
            }
        } else {
            line += c;
            if (rawMode_) std::fputc(c, out_);
        }
        std::fflush(out_);
    }
}

bool ConsoleView::askYesNo(const std::string& text, const std::string& caption, bool)
{
    flush();
    std::string answer;
    for (;;) {
        std::fprintf(out_, "%s: %s [y/n] ", terminalText(caption).c_str(), terminalText(text).c_str());
        std::fflush(out_);
        if (!readLine(answer)) {
            std::fputc('\n', out_);
            return false; // end of input is No
        }
        if (answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes") return true;
        if (answer == "n" || answer == "N" || answer == "no" || answer == "No") return false;
    }
}

void ConsoleView::errorBox(const std::string& text)
{
    flush();
    std::fprintf(stderr, "varnock: %s\n", terminalText(text).c_str());
    std::fflush(stderr);
}

bool ConsoleView::reprogrammingDialog(int digits[8])
{
    flush();
    std::fputs("\nReprogamming RTL2832U serial number\n\n"
               "  I acknowledge that the execution of the RTL2832U\n"
               "  programming function is fully at my own risk. I will not\n"
               "  held liable the author of the programming software\n"
               "  for any damages that may occur during or by reason\n"
               "  of the reprogramming of the serial number. If I do not\n"
               "  wish to execute this function I leave the dialog by\n"
               "  pressing CANCEL now.\n\n",
               out_);
    std::string current;
    for (int k = 0; k < 8; ++k) current += static_cast<char>('0' + digits[k]);
    std::fprintf(out_, "  Serial number now: %s (the first digit cannot be changed)\n", current.c_str());
    std::string line;
    for (;;) {
        std::fprintf(out_, "  New serial number, 8 digits (or the last 7); empty line to CANCEL: ");
        std::fflush(out_);
        if (!readLine(line) || line.empty()) return false;
        if (line.size() == 7 && allDigits(line)) line = current.substr(0, 1) + line;
        if (line.size() == 8 && allDigits(line) && line[0] == current[0]) {
            for (int k = 0; k < 8; ++k) digits[k] = line[static_cast<std::size_t>(k)] - '0';
            return true;
        }
        std::fprintf(out_, "  Eight digits starting with %c, please.\n", current[0]);
    }
}

} // namespace varnock

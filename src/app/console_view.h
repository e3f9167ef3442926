// ConsoleView: the list printed to a terminal, single keys for the main buttons, Ctrl-C for a clean end.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/view.h"
#include "flights/list_model.h"

namespace varnock {

class DeviceControl;
class Engine;
class QuitSignals;

class ConsoleView final : public QObject, public View {
    Q_OBJECT

public:
    // Lines go to `out`, questions and keys are read from `inputFd`.
    ConsoleView(Engine& engine, std::FILE* out = stdout, int inputFd = 0, QObject* parent = nullptr);
    ~ConsoleView() override; // gives the terminal back as it was

    void setDeviceControl(DeviceControl* device) { device_ = device; }

    // Raw keys (only when the input is a terminal) and the key notifier.
    void startInput();
    // SIGINT and SIGTERM become quitRequested() on the event loop; a third one ends at once.
    void installSignalHandlers();

    // Acts on one key; false for a key that means nothing.
    bool handleKey(char key);

    // Prints the list lines written since the last print.
    void flush();
    // After each 2 s round: the rebuilt aircraft (or Mode A/C) table, whole.
    void afterRound();

    void messageLine(const std::string& text) override;
    bool askYesNo(const std::string& text, const std::string& caption, bool questionIcon) override;
    void errorBox(const std::string& text) override;
    bool reprogrammingDialog(int digits[8]) override;

    static const char* keyHelp();

    // Which of `now` are new after `printed` was shown: the list only appends, sheds lines at its
    // front and rewrites its last line (Mode A/C repeats); anything else is shown whole.
    static std::size_t firstNewLine(const std::vector<std::string>& printed,
                                    const std::vector<ListModel::Item>& now);

    // 8-bit list text for a UTF-8 terminal; control characters as ^X.
    static std::string terminalText(const std::string& text);

Q_SIGNALS:
    // The user asked to end (q, Ctrl-C, SIGTERM): run the window-close sequence.
    void quitRequested();

private:
    void print(const std::string& line);
    void note(const std::string& text);
    // One line typed by the user; false at end of input.
    bool readLine(std::string& line);
    void onInput();
    void remember();

    Engine& engine_;
    std::FILE* out_;
    int inputFd_;
    DeviceControl* device_ = nullptr;
    std::unique_ptr<QSocketNotifier> input_;
    std::unique_ptr<QuitSignals> signals_;
    QTimer poll_;
    std::vector<std::string> printed_;
    unsigned printedRevision_ = ~0u;
    bool rawMode_ = false;
};

} // namespace varnock

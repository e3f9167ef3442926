// ListModel: the main window's list `memo1` - lines with attached integers, WriteLogLine and the list log file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/clock.h"
#include "core/command_line_options.h"
#include "core/controls.h"
#include "demod/tick_hooks.h"

namespace varnock {

// Where the lines the list sheds go while "log" is on. Each call is one open-append-close.
class ListLogAppender {
public:
    virtual ~ListLogAppender() = default;
    virtual void appendLines(const std::string* lines, std::size_t n) = 0;
};

// The list log on disk. Errors are ignored: the lines concerned are lost.
class ListLogFile final : public ListLogAppender {
public:
    explicit ListLogFile(std::string path) : path_(std::move(path)) {}
    // Creates the file empty (an existing one is emptied) and closes it again.
    void create();
    void appendLines(const std::string* lines, std::size_t n) override;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// folder + "varnock-yymmdd-hhnnss.log" for the local time of START.
std::string listLogFileName(const LocalDateTime& t, const std::string& folder);

class ListModel final : public ListBracket {
public:
    struct Item {
        std::string text;
        int data = 0; // aircraft record index of aircraft lines, 0 for messages
    };

    // Both must outlive the model: "List" decides trimming, "log" decides the log file.
    ListModel(const Controls& controls, const CommandLineOptions& options)
        : controls_(controls), options_(options)
    {
    }

    void setLogAppender(ListLogAppender* log) { log_ = log; }

    // The one way to put a message or packet line on the list.
    void WriteLogLine(std::string_view text);

    // Plain list operations. add() inserts by text when the list is sorted; returns the index.
    int add(std::string_view text, int data = 0);
    void clear();
    void deleteFirst(int n);
    void deleteLast();
    bool empty() const { return items_.empty(); }
    int count() const { return static_cast<int>(items_.size()); }
    const std::string& text(int i) const { return items_[static_cast<std::size_t>(i)].text; }
    int data(int i) const { return items_[static_cast<std::size_t>(i)].data; }
    const std::string& lastText() const { return items_.back().text; }
    const std::vector<Item>& items() const { return items_; }

    void setSorted(bool on) { sorted_ = on; }
    bool sorted() const { return sorted_; }

    // Update brackets nest; the view repaints when the outermost one closes.
    void beginUpdate() override { ++updateDepth_; }
    void endUpdate() override
    {
        if (updateDepth_ > 0 && --updateDepth_ == 0) ++revision;
    }
    bool updating() const { return updateDepth_ > 0; }

    // Appends the whole list to the log (at window close while "log" is on).
    void appendAllToLog();

    // A click that selects a line freezes or thaws the aircraft view.
    void memo1Click() { listFreeze = !listFreeze; }
    // Ctrl held on the header (the selected line 0) asks for a sort by the column under x.
    void memo1MouseDown(int x, bool ctrlHeld, int selectedLine)
    {
        if (!ctrlHeld || selectedLine != 0) return;
        listSortColumn = sortColumnAt(x);
        listSortRequest = true;
    }
    // Header columns ICAO, C/S, ALT..MCP, V/S, GS, TT, SSR at 7 pixels a character; 0 between them.
    static int sortColumnAt(int x)
    {
        static constexpr int kColumns[7][2] = {{0, 35},    {42, 91},   {98, 168}, {175, 196},
                                               {203, 217}, {224, 245}, {252, 280}};
        for (int c = 0; c < 7; ++c)
            if (x >= kColumns[c][0] && x <= kColumns[c][1]) return c + 1;
        return 0;
    }

    // State set by clicks on the list and consumed by the 2 s round.
    bool listFreeze = false;
    int listSortColumn = 0;
    bool listSortRequest = false;

    // View hints: last line must be scrolled into sight; caret hidden; keyboard focus.
    bool scrollToEndPending = false;
    bool caretHidden = false;
    bool hasFocus = false;
    bool focusToStartPending = false;
    // Raised when an outermost update bracket closes (the view repaints on change).
    unsigned revision = 0;

    static constexpr int kTrimAbove = 100;
    static constexpr int kTrimCount = 51;

private:
    const Controls& controls_;
    const CommandLineOptions& options_;
    ListLogAppender* log_ = nullptr;
    std::vector<Item> items_;
    bool sorted_ = false;
    int updateDepth_ = 0;
};

} // namespace varnock

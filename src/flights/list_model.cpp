// The list behind `memo1`: bounded while packets scroll, sorted insertion for the aircraft view.
#include "flights/list_model.h"

#include <algorithm>
#include <cstdio>

#include "core/ascii_text.h"

namespace varnock {

namespace {

// Case-insensitive byte order, as a sorted list box orders its items.
bool textLess(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(lowerAscii(a[i]));
        const auto cb = static_cast<unsigned char>(lowerAscii(b[i]));
        if (ca != cb) return ca < cb;
    }
    return a.size() < b.size();
}

} // namespace

void ListLogFile::create()
{
    if (std::FILE* f = std::fopen(path_.c_str(), "wb")) std::fclose(f);
}

void ListLogFile::appendLines(const std::string* lines, std::size_t n)
{
    std::FILE* f = std::fopen(path_.c_str(), "ab");
    if (!f) return;
    for (std::size_t i = 0; i < n; ++i) {
        std::fwrite(lines[i].data(), 1, lines[i].size(), f);
        std::fputc('\n', f);
    }
    std::fclose(f);
}

std::string listLogFileName(const LocalDateTime& t, const std::string& folder)
{
    char name[40];
    std::snprintf(name, sizeof name, "varnock-%02d%02d%02d-%02d%02d%02d.log", t.year % 100, t.month, t.day, t.hour,
                  t.minute, t.second);
    std::string path = folder;
    if (!path.empty() && path.back() != '/') path += '/';
    return path + name;
}

void ListModel::WriteLogLine(std::string_view text)
{
    // With "List" up the round rebuilds the list every 2 s, so nothing is trimmed here.
    if (!controls_.sblist) {
        add(text);
        return;
    }
    beginUpdate();
    if (count() > kTrimAbove) {
        if (options_.log && log_) {
            std::string shed[kTrimCount];
            for (int i = 0; i < kTrimCount; ++i) shed[i] = items_[static_cast<std::size_t>(i)].text;
            log_->appendLines(shed, kTrimCount);
        }
        deleteFirst(kTrimCount);
    }
    add(text);
    scrollToEndPending = true;
    endUpdate();
}

int ListModel::add(std::string_view text, int data)
{
    auto pos = items_.end();
    if (sorted_)
        pos = std::upper_bound(items_.begin(), items_.end(), text,
                               [](std::string_view t, const Item& it) { return textLess(t, it.text); });
    pos = items_.insert(pos, Item{std::string(text), data});
    if (updateDepth_ == 0) ++revision;
    return static_cast<int>(pos - items_.begin());
}

void ListModel::clear()
{
    items_.clear();
    if (updateDepth_ == 0) ++revision;
}

void ListModel::deleteFirst(int n)
{
    n = std::clamp(n, 0, count());
    items_.erase(items_.begin(), items_.begin() + n);
    if (updateDepth_ == 0) ++revision;
}

void ListModel::deleteLast()
{
    if (items_.empty()) return;
    items_.pop_back();
    if (updateDepth_ == 0) ++revision;
}

void ListModel::appendAllToLog()
{
    if (!log_ || items_.empty()) return;
    std::vector<std::string> all;
    all.reserve(items_.size());
    for (const Item& it : items_) all.push_back(it.text);
    log_->appendLines(all.data(), all.size());
}

} // namespace varnock

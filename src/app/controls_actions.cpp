// The gain, AGC, sample-rate, mode and list handlers: device calls and their list lines.
#include "app/controls_actions.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>

#include "app/view.h"
#include "core/ascii_text.h"

namespace varnock {

char localeDecimalSeparator()
{
    const std::lconv* lc = std::localeconv();
    return (lc != nullptr && lc->decimal_point != nullptr && lc->decimal_point[0] != '\0') ? lc->decimal_point[0]
                                                                                           : '.';
}

namespace {

std::string replaceAll(std::string text, char from, char to)
{
    for (char& c : text)
        if (c == from) c = to;
    return text;
}

// Reads a number written with `separator` as decimal point; the whole text must be the number.
bool parseDecimal(const std::string& text, char separator, double& out)
{
    const std::string dot = replaceAll(text, separator, '.');
    std::string_view t = trimmed(dot);
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    const char* e = t.data() + t.size();
    const auto [p, ec] = std::from_chars(t.data(), e, out);
    return ec == std::errc() && p == e;
}

} // namespace

std::string gainTextToDot(const std::string& text, char separator) { return replaceAll(text, separator, '.'); }

std::string gainTextFromDot(const std::string& text, char separator) { return replaceAll(text, '.', separator); }

std::string shortestDecimal(double v, char separator)
{
    char buf[64];
    const auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v);
    std::string s = ec == std::errc() ? std::string(buf, p) : std::string("0");
    return replaceAll(std::move(s), '.', separator);
}

long nearestEven(double v) { return std::lrint(v); } // the default rounding mode is to nearest-even

std::string gainItemText(int tenths)
{
    char buf[32];
    // Integer arithmetic, so "-0.5 dB" keeps its sign and no locale gets in.
    const int a = tenths < 0 ? -tenths : tenths;
    std::snprintf(buf, sizeof buf, "%s%d.%d dB", tenths < 0 ? "-" : "", a / 10, a % 10);
    return buf;
}

void ControlsActions::cbgainChange(Sender sender)
{
    if (state_.panel1 != PanelColour::Black && sender == Sender::User) return;
    const int idx = state_.cbgainIndex;
    if (idx < 0 || idx >= static_cast<int>(state_.cbgainItems.size())) return;

    std::string text = gainTextFromDot(state_.cbgainItems[static_cast<std::size_t>(idx)]);
    if (const auto unit = text.find(" dB"); unit != std::string::npos) text.erase(unit, 3);
    double g = 0.0;
    if (!parseDecimal(text, localeDecimalSeparator(), g)) return;

    if (g != state_.currentGainDb || sender == Sender::Program) {
        state_.currentGainDb = g;
        api_.set_tuner_gain(state_.deviceHandle, static_cast<int>(nearestEven(g * 10.0)));
        const int c = api_.get_tuner_gain(state_.deviceHandle);
        write("Gain: " + gainTextToDot(shortestDecimal(c / 10.0, localeDecimalSeparator())) + " dB");
        state_.tbgainPosition = idx + 1;
    }
}

void ControlsActions::tbgainChange(Sender sender)
{
    if (state_.panel1 != PanelColour::Black && sender == Sender::User) return;
    state_.cbgainIndex = state_.tbgainPosition - 1;
    cbgainChange(sender);
}

void ControlsActions::butuneragcClick()
{
    api_.set_tuner_gain_mode(state_.deviceHandle, state_.butuneragc ? 0 : 1);
    if (state_.butuneragc) {
        write("Tuner gain set to AUTO");
        state_.manualGainEnabled = false;
    } else {
        state_.manualGainEnabled = true;
        tbgainChange(Sender::Program);
    }
    view_.deviceStateChanged();
}

void ControlsActions::burtlagcClick()
{
    if (state_.burtlagc) {
        write("RTL AGC set ON");
        api_.set_agc_mode(state_.deviceHandle, 1);
    } else {
        write("RTL AGC set OFF");
        api_.set_agc_mode(state_.deviceHandle, 0);
    }
}

void ControlsActions::cbsamplerateChange()
{
    api_.set_sample_rate(state_.deviceHandle, static_cast<uint32_t>(state_.currentSampleRate));
    const int64_t r = api_.get_sample_rate(state_.deviceHandle);
    if (r <= 0)
        write("Cannot read sample rate:" + std::to_string(r));
    else
        write("Sample rate: " + std::to_string(r) + " S/s");
    receiver_.tick.counters.resetBufferCounter();
}

void ControlsActions::sbmodesClick()
{
    state_.currentSampleRate = 2000000;
    cbsamplerateChange();
    receiver_.tick.counters.previousTimeUs = 0;
    state_.sbsisexEnabled = true;
    receiver_.list.clear();
    view_.deviceStateChanged();
}

void ControlsActions::sbmodeacClick()
{
    state_.currentSampleRate = 2068965;
    cbsamplerateChange();
    receiver_.tick.counters.previousTimeUs = 0;
    state_.sbsisexEnabled = false;
    state_.sbsisexDown = false;
    receiver_.controls.sblist = true;
    receiver_.list.clear();
    state_.explorerVisible = false;
    view_.hideExplorer();
    view_.deviceStateChanged();
}

void ControlsActions::sblistClick()
{
    if (receiver_.controls.sbmodeac) return;
    ListModel& list = receiver_.list;
    if (!list.listFreeze)
        list.clear();
    else if (receiver_.controls.sblist)
        receiver_.controls.sblist = false; // no packet display while the list is frozen
}

bool ControlsActions::chooseGain(int itemIndex)
{
    if (!state_.controlsEnabled || !state_.manualGainEnabled) return false;
    if (itemIndex < 0 || itemIndex >= static_cast<int>(state_.cbgainItems.size())) return false;
    state_.cbgainIndex = itemIndex;
    cbgainChange(Sender::User);
    return true;
}

bool ControlsActions::moveGainTrackBar(int position)
{
    if (!state_.controlsEnabled || !state_.manualGainEnabled) return false;
    if (position < 1) position = 1;
    if (position > state_.tbgainMax) position = state_.tbgainMax;
    if (position == state_.tbgainPosition) return true; // a track bar reports no change
    state_.tbgainPosition = position;
    tbgainChange(Sender::User);
    return true;
}

bool ControlsActions::toggleTunerAgc()
{
    if (!state_.controlsEnabled) return false;
    state_.butuneragc = !state_.butuneragc;
    butuneragcClick();
    return true;
}

bool ControlsActions::toggleRtlAgc()
{
    if (!state_.controlsEnabled) return false;
    state_.burtlagc = !state_.burtlagc;
    burtlagcClick();
    return true;
}

bool ControlsActions::pressModeS()
{
    if (!state_.controlsEnabled) return false;
    // One group: a pressed button stays down, its handler runs again.
    receiver_.controls.sbmodes = true;
    receiver_.controls.sbmodeac = false;
    sbmodesClick();
    return true;
}

bool ControlsActions::pressModeAC()
{
    if (!state_.controlsEnabled) return false;
    receiver_.controls.sbmodeac = true;
    receiver_.controls.sbmodes = false;
    sbmodeacClick();
    return true;
}

void ControlsActions::toggleList()
{
    receiver_.controls.sblist = !receiver_.controls.sblist;
    sblistClick();
}

} // namespace varnock

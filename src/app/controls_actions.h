// ControlsActions: the gain, AGC, sample-rate, mode and list buttons acting on the open device.
#pragma once

#include <string>

#include "app/device_control.h"
#include "receiver/receiver.h"

namespace varnock {

class View;

// The user's decimal separator (from the C library's locale).
char localeDecimalSeparator();

// Gain texts always show "."; these convert between that and the locale's separator.
std::string gainTextToDot(const std::string& text, char separator = localeDecimalSeparator());
std::string gainTextFromDot(const std::string& text, char separator = localeDecimalSeparator());

// Shortest decimal text that reads back as `v`, with `separator` as decimal point.
std::string shortestDecimal(double v, char separator = '.');

// Nearest integer, halves to even.
long nearestEven(double v);

// "49.6 dB" for 496 tenths; always with ".".
std::string gainItemText(int tenths);

class ControlsActions {
public:
    // All references must outlive this; `api` is read at each call (START fills it in).
    ControlsActions(const RtlSdrApi& api, DeviceState& state, Receiver& receiver, View& view, LogFn log)
        : api_(api), state_(state), receiver_(receiver), view_(view), log_(std::move(log))
    {
    }

    // The handlers; each is called after its control has taken its new state.
    void cbgainChange(Sender sender);
    void tbgainChange(Sender sender);
    void butuneragcClick();
    void burtlagcClick();
    void cbsamplerateChange();
    void sbmodesClick();
    void sbmodeacClick();
    void sblistClick();

    // What a click does to the control before its handler runs. False when the control is disabled.
    bool chooseGain(int itemIndex);     // the drop-down list
    bool moveGainTrackBar(int position); // 1-based
    bool toggleTunerAgc();
    bool toggleRtlAgc();
    bool pressModeS();
    bool pressModeAC();
    void toggleList();

private:
    void write(const std::string& text) const { log_(text); }

    const RtlSdrApi& api_;
    DeviceState& state_;
    Receiver& receiver_;
    View& view_;
    LogFn log_;
};

} // namespace varnock

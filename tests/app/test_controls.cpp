// Gain, AGC, sample-rate and mode controls: on a counting fake device, and through START on the simulated one.
#include "app/controls_actions.h"

#include "test_device_support.h"

namespace varnock {
namespace {

using test::DeviceFixture;
using test::setEnv;

TEST(GainTexts, ItemsAndSeparators)
{
    EXPECT_EQ(gainItemText(496), "49.6 dB");
    EXPECT_EQ(gainItemText(0), "0.0 dB");
    EXPECT_EQ(gainItemText(-10), "-1.0 dB");
    EXPECT_EQ(gainItemText(-5), "-0.5 dB");
    EXPECT_EQ(gainTextFromDot("49.6 dB", ','), "49,6 dB");
    EXPECT_EQ(gainTextToDot("49,6", ','), "49.6");
    EXPECT_EQ(gainTextToDot("49.6", '.'), "49.6");
    EXPECT_EQ(shortestDecimal(4.96), "4.96");
    EXPECT_EQ(shortestDecimal(0.0), "0");
    EXPECT_EQ(shortestDecimal(-1.0), "-1");
    EXPECT_EQ(shortestDecimal(22.9, ','), "22,9");
    EXPECT_EQ(nearestEven(2.5), 2);
    EXPECT_EQ(nearestEven(3.5), 4);
    EXPECT_EQ(nearestEven(-2.5), -2);
}

// A device that counts what it is told.
struct Fake {
    int setGainCalls = 0;
    int lastGain = 0;
    int gainMode = -1;
    int agc = -1;
    uint32_t rate = 0;
    uint32_t reportedRate = 0; // 0: report what was set
};
Fake* g_fake = nullptr;

RtlSdrApi fakeApi()
{
    RtlSdrApi api;
    api.set_tuner_gain = [](rtlsdr_dev_t*, int g) {
        ++g_fake->setGainCalls;
        g_fake->lastGain = g;
        return 0;
    };
    api.get_tuner_gain = [](rtlsdr_dev_t*) { return g_fake->lastGain; };
    api.set_tuner_gain_mode = [](rtlsdr_dev_t*, int m) { return g_fake->gainMode = m, 0; };
    api.set_agc_mode = [](rtlsdr_dev_t*, int on) { return g_fake->agc = on, 0; };
    api.set_sample_rate = [](rtlsdr_dev_t*, uint32_t r) { return g_fake->rate = r, 0; };
    api.get_sample_rate = [](rtlsdr_dev_t*) { return g_fake->reportedRate != 0 ? g_fake->reportedRate : g_fake->rate; };
    return api;
}

class ControlsOnFake : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::qtApp();
        g_fake = &fake;
        api = fakeApi();
        engine = std::make_unique<Engine>(&clock);
        engine->datacntr.stop();
        actions = std::make_unique<ControlsActions>(api, state, engine->receiver(), view,
                                                    [this](const std::string& t) { written.push_back(t); });
        for (int t : {0, 77, 197, 496}) {
            state.cbgainItems.push_back(gainItemText(t));
            state.cbgainTenths.push_back(t);
        }
        state.tbgainMax = 4;
        state.controlsEnabled = true;
        state.manualGainEnabled = true;
        state.butuneragc = false;
        state.panel1 = PanelColour::Black;
        state.currentGainDb = 19.7;
        state.cbgainIndex = 2;
        state.tbgainPosition = 3;
    }
    void TearDown() override { g_fake = nullptr; }

    Fake fake;
    RtlSdrApi api;
    VirtualClock clock;
    test::RecordingView view;
    DeviceState state;
    std::unique_ptr<Engine> engine;
    std::unique_ptr<ControlsActions> actions;
    std::vector<std::string> written;
};

TEST_F(ControlsOnFake, ChoosingTheCurrentGainDoesNothing)
{
    EXPECT_TRUE(actions->chooseGain(2));
    EXPECT_EQ(fake.setGainCalls, 0);
    EXPECT_TRUE(written.empty());

    // The program's own call always reaches the device.
    actions->cbgainChange(Sender::Program);
    EXPECT_EQ(fake.setGainCalls, 1);
    EXPECT_EQ(written, std::vector<std::string>{"Gain: 19.7 dB"});
}

TEST_F(ControlsOnFake, UsersGainIsIgnoredUntilTuned)
{
    for (PanelColour c : {PanelColour::Grey, PanelColour::Orange}) {
        state.panel1 = c;
        actions->chooseGain(3);
        actions->moveGainTrackBar(1);
        EXPECT_EQ(fake.setGainCalls, 0);
        EXPECT_TRUE(written.empty());
        actions->tbgainChange(Sender::Program); // the program's own call goes through
        EXPECT_EQ(fake.setGainCalls, 1);
        fake.setGainCalls = 0;
        written.clear();
    }
}

TEST_F(ControlsOnFake, TheDeviceReportsTheGainItTook)
{
    // The tuner rounds to its own step: the line shows what it reports, not what was asked.
    api.get_tuner_gain = [](rtlsdr_dev_t*) { return 190; };
    actions->chooseGain(3);
    EXPECT_EQ(fake.lastGain, 496);
    EXPECT_EQ(written, std::vector<std::string>{"Gain: 19 dB"});
    EXPECT_EQ(state.currentGainDb, 49.6);
}

TEST_F(ControlsOnFake, RtlAgcAndSampleRate)
{
    actions->toggleRtlAgc(); // down at first
    EXPECT_EQ(fake.agc, 0);
    actions->toggleRtlAgc();
    EXPECT_EQ(fake.agc, 1);
    EXPECT_EQ(written, (std::vector<std::string>{"RTL AGC set OFF", "RTL AGC set ON"}));

    written.clear();
    engine->receiver().tick.counters.bufferCounterLow = 5;
    fake.reportedRate = 0;
    api.get_sample_rate = [](rtlsdr_dev_t*) -> uint32_t { return 0; };
    actions->cbsamplerateChange();
    EXPECT_EQ(written, std::vector<std::string>{"Cannot read sample rate:0"});
    EXPECT_EQ(engine->receiver().tick.counters.bufferCounter(), 0u);
}

TEST_F(ControlsOnFake, ModeButtonsFormOneGroup)
{
    Receiver& rx = engine->receiver();
    rx.list.add("old line");
    rx.controls.sblist = false;
    rx.tick.counters.previousTimeUs = 1234;
    state.sbsisexDown = true;
    fake.reportedRate = 2068966; // a device may round the request

    EXPECT_TRUE(actions->pressModeAC());
    EXPECT_EQ(fake.rate, 2068965u);
    EXPECT_EQ(state.currentSampleRate, 2068965);
    EXPECT_EQ(written, std::vector<std::string>{"Sample rate: 2068966 S/s"});
    EXPECT_TRUE(rx.list.empty());
    EXPECT_TRUE(rx.controls.sbmodeac);
    EXPECT_FALSE(rx.controls.sbmodes);
    EXPECT_TRUE(rx.controls.sblist);
    EXPECT_FALSE(state.sbsisexEnabled);
    EXPECT_FALSE(state.sbsisexDown);
    EXPECT_EQ(rx.tick.counters.previousTimeUs, 0);

    fake.reportedRate = 0;
    EXPECT_TRUE(actions->pressModeS());
    EXPECT_EQ(fake.rate, 2000000u);
    EXPECT_TRUE(rx.controls.sbmodes);
    EXPECT_FALSE(rx.controls.sbmodeac);
    EXPECT_TRUE(state.sbsisexEnabled);

    // Disabled before START.
    state.controlsEnabled = false;
    EXPECT_FALSE(actions->pressModeAC());
    EXPECT_FALSE(actions->toggleRtlAgc());
    EXPECT_FALSE(actions->toggleTunerAgc());
    EXPECT_TRUE(rx.controls.sbmodes);
}

TEST_F(ControlsOnFake, ListButtonClearsUnlessFrozen)
{
    Receiver& rx = engine->receiver();
    rx.list.add("a");
    actions->toggleList();
    EXPECT_FALSE(rx.controls.sblist);
    EXPECT_TRUE(rx.list.empty());

    rx.list.add("b");
    rx.list.listFreeze = true;
    actions->toggleList(); // packets cannot come back while frozen
    EXPECT_FALSE(rx.controls.sblist);
    EXPECT_EQ(rx.list.count(), 1);
}

#ifdef VARNOCK_SIMDONGLE_LIB

TEST_F(DeviceFixture, StartMatchesTheStoredGain)
{
    struct Case {
        const char* gains; // VARNOCK_SIM_0_GAINS
        double stored;
        std::vector<std::string> lines; // from "Gains: " up to the sample rate
        double gainAfter;
        int tbMax;
    };
    const std::vector<Case> cases = {
        {"0,90,496", 49.6, {"Gains: 0,90,496", "Gain: 49.6 dB"}, 49.6, 3},
        {"0,100,200,300", 24.0, {"Gains: 0,100,200,300", "Cannot find gain. Gain adjusted to: 10 dB", "Gain: 10 dB"}, 10.0, 4},
        // 2.5 tenths is matched with 2: halves go to even.
        {"0,2,3", 0.25, {"Gains: 0,2,3", "Gain: 0.2 dB"}, 0.2, 3},
        // Later zero entries are no items; the track bar spans the items.
        {"0,0,50,100", 5.0, {"Gains: 0,50,100", "Gain: 5 dB"}, 5.0, 3},
        {"77", 24.0, {"Gains: 77"}, 24.0, 1},
        {"", 24.0, {"Cannot read tuner gains:0"}, 24.0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.gains);
        setEnv("VARNOCK_SIM_0_GAINS", c.gains);
        settings.gain = c.stored;
        settings.tunerAgc = true;
        makeWithFreePorts();
        start();
        std::vector<std::string> got;
        for (const std::string& l : lines()) {
            if (l.rfind("Sample rate:", 0) == 0) break;
            if (!got.empty() || l.rfind("Gains: ", 0) == 0 || l.rfind("Cannot read tuner gains", 0) == 0)
                got.push_back(l);
        }
        EXPECT_EQ(got, c.lines);
        EXPECT_EQ(st().currentGainDb, c.gainAfter);
        EXPECT_EQ(st().tbgainMax, c.tbMax);
        device.reset();
        engine.reset();
    }
}

TEST_F(DeviceFixture, ManualGainIsAppliedTwiceAtStartAndFollowsTheControls)
{
    settings.gain = 49.6;
    settings.tunerAgc = false;
    settings.rtlAgc = false;
    makeWithFreePorts();
    start();
    const std::vector<std::string> from = linesFrom("Gain: 49.6 dB");
    ASSERT_GE(from.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(from.begin(), from.begin() + 4),
              (std::vector<std::string>{"Gain: 49.6 dB", "Sample rate: 2000000 S/s", "RTL AGC set OFF", "Gain: 49.6 dB"}));
    EXPECT_TRUE(st().manualGainEnabled);

    clearList();
    ASSERT_TRUE(controls().moveGainTrackBar(1));
    EXPECT_EQ(lines(), std::vector<std::string>{"Gain: 0 dB"});
    EXPECT_EQ(device->api().get_tuner_gain(st().deviceHandle), 0);

    clearList();
    ASSERT_TRUE(controls().toggleTunerAgc());
    ASSERT_TRUE(controls().toggleTunerAgc());
    EXPECT_EQ(lines(), (std::vector<std::string>{"Tuner gain set to AUTO", "Gain: 0 dB"}));

    clearList();
    ASSERT_TRUE(controls().pressModeAC());
    EXPECT_TRUE(lines().empty());
    EXPECT_EQ(view.mirrored.back(), "Sample rate: 2068965 S/s");
    EXPECT_EQ(device->api().get_sample_rate(st().deviceHandle), 2068965u);
    ASSERT_TRUE(controls().pressModeS());
    EXPECT_EQ(device->api().get_sample_rate(st().deviceHandle), 2000000u);
}

TEST_F(DeviceFixture, FailedTuneLeavesPanelOrangeAndTheGainAlone)
{
    setEnv("VARNOCK_SIM_0_FMAX", "1000000000"); // 1,090 MHz is out of reach
    settings.tunerAgc = false;
    makeWithFreePorts();
    start();
    EXPECT_EQ(st().panel1, PanelColour::Orange);
    const std::vector<std::string> all = lines();
    bool refused = false;
    for (const std::string& l : all) refused = refused || (l.rfind("Cannot set freq:", 0) == 0 && l.size() > 16);
    EXPECT_TRUE(refused) << ::testing::PrintToString(all);
    clearList();
    EXPECT_TRUE(controls().moveGainTrackBar(1));
    EXPECT_TRUE(lines().empty());
}

#endif // VARNOCK_SIMDONGLE_LIB

} // namespace
} // namespace varnock

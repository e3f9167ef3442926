// The program put together: settings file in, status page, decoded positions, saves and exit status out.
#include "app/receiver_program.h"

#include <QTcpSocket>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "app/device_control.h"
#include "net/http_server.h"
#include "synth/frame_builder.h"
#include "synth/test_buffer.h"
#include "test_device_support.h"

namespace varnock {
namespace {

namespace fs = std::filesystem;
using test::waitUntil;

class ReceiverProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::qtApp();
        test::clearSimulatorEnvironment();
        std::string tmpl = (fs::temp_directory_path() / "varnock-program-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        home = tmpl;
        test::setEnv("VARNOCK_HOME", home.string());
    }
    void TearDown() override
    {
        program.reset();
        test::clearSimulatorEnvironment();
        unsetenv(kRtlSdrLibraryEnv);
        unsetenv("VARNOCK_HOME");
        fs::remove_all(home);
    }
    void putSettings(const std::string& text) { std::ofstream(home / "varnock.ini", std::ios::binary) << text; }
    std::string settingsText() const
    {
        std::ifstream f(home / "varnock.ini", std::ios::binary);
        std::stringstream ss;
        ss << f.rdbuf();
        return ss.str();
    }
    void make(std::vector<std::string> args)
    {
        ReceiverProgram::Setup setup; // the folder as the process finds it: $VARNOCK_HOME
        setup.args = std::move(args);
        setup.clock = &clock;
        setup.listenAddress = QHostAddress::LocalHost;
        setup.startupDelayMs = 3600 * 1000; // the tests press START themselves
        program = std::make_unique<ReceiverProgram>(std::move(setup));
        program->engine().datacntr.stop();
        program->attach(view);
    }
    std::vector<std::string> listLines() const
    {
        std::vector<std::string> out;
        for (const auto& it : program->engine().receiver().list.items()) out.push_back(it.text);
        return out;
    }
    // The body of one GET through the program's own HTTP server.
    std::string get(const std::string& document)
    {
        if (!program->http().isListening()) {
            EXPECT_EQ(program->http().open(0, QHostAddress::LocalHost), "");
        }
        test::Client c;
        EXPECT_TRUE(c.connectTo(program->http().port()));
        c.socket.write(QByteArray::fromStdString("GET " + document + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"));
        waitUntil([&] {
            c.collect();
            return c.socket.state() == QAbstractSocket::UnconnectedState;
        });
        c.collect();
        const std::string reply = c.received.toStdString();
        const std::size_t body = reply.find("\r\n\r\n");
        return body == std::string::npos ? std::string() : reply.substr(body + 4);
    }
    // Lines of `text` that begin with `head`.
    static std::vector<std::string> linesStarting(const std::string& text, const std::string& head)
    {
        std::vector<std::string> out;
        std::istringstream in(text);
        for (std::string l; std::getline(in, l);)
            if (l.rfind(head, 0) == 0) out.push_back(l);
        return out;
    }

    fs::path home;
    VirtualClock clock;
    test::RecordingView view;
    std::unique_ptr<ReceiverProgram> program;
};

TEST_F(ReceiverProgramTest, HomeFromTheSettingsFileReachesTheStatusPageAndLocalDecoding)
{
    putSettings("[home]\nnorth=52.5\neast=13.25\nuse=1\n[id]\nid=BER1\n[tables]\ntable4=STAT\n");
    make({"/opt/varnock dir/varnock", "-portbase=40000", "-log"});

    const std::string status = get("/STAT");
    EXPECT_EQ(linesStarting(status, "HOME="), std::vector<std::string>{"HOME=52.5:13.25:1:BER1"});
    // The whole command line with the program path; the banner keeps the cleaned one.
    EXPECT_EQ(linesStarting(status, "CMDLINE="),
              std::vector<std::string>{"CMDLINE=\"/opt/varnock dir/varnock\" -portbase=40000 -log"});
    const std::vector<std::string> list = listLines();
    ASSERT_GE(list.size(), 4u);
    EXPECT_EQ(list[3], "Command line: -portbase=40000 -log");

    // One even airborne position and no odd one: only the home reference can place it.
    const uint32_t address = 0x3C4B26;
    synth::PlacedFrame f;
    f.frame = synth::esAirbornePosition(address, 36000, 52.71, 13.52, false);
    f.sample = 5000;
    f.amplitude = 80;
    const std::vector<uint8_t> iq = synth::renderTestBuffer({&f, 1}, 1.0, 7);
    Engine& engine = program->engine();
    for (std::size_t at = 0; at < iq.size(); at += SampleBuffers::kBlockBytes)
        engine.buffers().onBlock(iq.data() + at, SampleBuffers::kBlockBytes);
    ASSERT_TRUE(waitUntil([&] { return engine.receiver().tick.counters.bufferCounter() == 1; }));
    engine.receiver().controls.sblist = false; // the aircraft view, in which rounds decode
    engine.datacntrTimer();

    const AircraftTable& table = engine.receiver().table;
    int found = -1;
    for (int i = 0; i <= table.highestUsed; ++i)
        if (table[i].inuse && table[i].icao.equals("3C4B26", 6)) found = i;
    ASSERT_GE(found, 0);
    EXPECT_NEAR(table[found].lat, 52.71, 1e-3);
    EXPECT_NEAR(table[found].lon, 13.52, 1e-3);
}

TEST_F(ReceiverProgramTest, TheHomeLocationIsSavedBackAndOutOfRangeValuesAreListed)
{
    putSettings("[sdr]\nsamplerate=1000000\n[home]\nnorth=-33.8666\neast=151.21\nuse=0\n");
    make({"varnock"});
    EXPECT_EQ(linesStarting(get("/" + program->settings().table4), "HOME="),
              std::vector<std::string>{"HOME=-33.8666:151.21:0:"});
    const std::vector<std::string> list = listLines();
    EXPECT_EQ(std::count(list.begin(), list.end(), "Setting out of range: [sdr] samplerate=1000000, default 2000000 used"),
              1);
    EXPECT_EQ(program->device().state().currentSampleRate, 2000000);

    program->engine().receiver().home = {48.5, -4.25, true};
    program->endApplication();
    EXPECT_TRUE(program->ended());
    EXPECT_EQ(program->finish(0), 0);
    const std::string saved = settingsText();
    EXPECT_NE(saved.find("[home]\nnorth=48.5\neast=-4.25\nuse=1\nsnorth=\nseast=\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("samplerate=2000000\n"), std::string::npos) << saved;
}

TEST_F(ReceiverProgramTest, AFailedSaveIsShownOnceAndTheExitStatusSaysSo)
{
    // A folder where the file should be: no save can succeed, even for a privileged user.
    fs::create_directory(home / "varnock.ini");
    make({"varnock"});
    program->endApplication(); // the close query and the close: two saves
    EXPECT_TRUE(program->ended());
    EXPECT_EQ(view.errors, std::vector<std::string>{"Unable to write to " + (home / "varnock.ini").string()});
    EXPECT_EQ(program->finish(0), 1);
}

#ifdef VARNOCK_SIMDONGLE_LIB
TEST_F(ReceiverProgramTest, AFailedSaveAtStopIsShownOnce)
{
    test::setEnv(kRtlSdrLibraryEnv, VARNOCK_SIMDONGLE_LIB);
    const int base = test::freePortBase();
    ASSERT_NE(base, 0);
    make({"varnock", "-portbase=" + std::to_string(base)});
    program->device().BitBtn1Click(Sender::User);
    ASSERT_TRUE(program->device().state().started);
    fs::create_directory(home / "varnock.ini");
    program->device().BitBtn1Click(Sender::User); // STOP: its own save, then the close query's and the close's
    EXPECT_TRUE(program->ended());
    EXPECT_EQ(view.errors, std::vector<std::string>{"Unable to write to " + (home / "varnock.ini").string()});
    EXPECT_EQ(program->finish(0), 1);
}
#endif

} // namespace
} // namespace varnock

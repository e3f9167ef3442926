// The simulated dongle's sample stream: scenario buffers cut into blocks, or a file read round and round.
#include "streaming/simdongle/sim_source.h"

#include "synth/modeac_scenario.h"
#include "synth/scenario.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace varnock::sim {

namespace {

constexpr size_t kRenderedBytes = 2 * synth::kBufferPairs;

bool nearerModeAC(uint32_t rate)
{
    return std::abs(double(rate) - synth::kModeACSampleRate) < std::abs(double(rate) - synth::kModeSSampleRate);
}

} // namespace

SampleSource::Kind SampleSource::kindOf(const std::string& source)
{
    if (source == "demo")
        return Kind::Demo;
    if (source == "modeac")
        return Kind::ModeAC;
    if (source == "busy")
        return Kind::Busy;
    if (source == "busy2000")
        return Kind::Busy2000;
    return Kind::File;
}

SampleSource::SampleSource(std::string source, uint64_t seed)
    : kind_(kindOf(source)), path_(std::move(source)), seed_(seed)
{
}

SampleSource::~SampleSource()
{
    if (file_ != nullptr)
        std::fclose(file_);
}

bool SampleSource::prepare()
{
    if (kind_ != Kind::File || file_ != nullptr)
        return true;
    file_ = std::fopen(path_.c_str(), "rb");
    if (file_ == nullptr)
        return false;
    // An empty file would loop without ever giving a byte.
    const int c = std::fgetc(file_);
    if (c == EOF) {
        std::fclose(file_);
        file_ = nullptr;
        return false;
    }
    std::rewind(file_);
    return true;
}

bool SampleSource::fill(uint8_t* out, size_t n, uint32_t sampleRate)
{
    if (kind_ == Kind::File)
        return fillFromFile(out, n);
    while (n > 0) {
        if (taken_ == rendered_.size())
            renderNext(sampleRate);
        const size_t k = std::min(n, rendered_.size() - taken_);
        std::memcpy(out, rendered_.data() + taken_, k);
        taken_ += k;
        out += k;
        n -= k;
    }
    return true;
}

void SampleSource::fillCounter(uint8_t* out, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        out[i] = counter_++;
}

bool SampleSource::fillFromFile(uint8_t* out, size_t n)
{
    if (!prepare())
        return false;
    bool justRewound = false;
    while (n > 0) {
        const size_t got = std::fread(out, 1, n, file_);
        out += got;
        n -= got;
        if (n == 0)
            break;
        // Nothing even right after a rewind: the file was emptied under us.
        if (std::ferror(file_) != 0 || (got == 0 && justRewound))
            return false;
        std::rewind(file_);
        justRewound = true;
    }
    return true;
}

synth::ScenarioParams SampleSource::modeSParams() const
{
    if (kind_ == Kind::Demo)
        return synth::demoSkyParams(seed_);
    synth::ScenarioParams p = synth::busySkyParams(seed_);
    if (kind_ == Kind::Busy2000) {
        // Twenty times the aircraft, the same share of them on the ground.
        p.aircraftCount *= 20;
        p.groundCount *= 20;
    }
    return p;
}

void SampleSource::renderNext(uint32_t sampleRate)
{
    // Scenarios are large; they are built on first use, on the reading thread, once per device.
    if (rendered_.empty()) {
        rendered_.resize(kRenderedBytes);
        taken_ = kRenderedBytes;
    }
    if (kind_ == Kind::ModeAC || nearerModeAC(sampleRate)) {
        if (!modeAC_) {
            synth::ModeACScenarioParams params;
            params.seed = seed_;
            modeAC_ = std::make_unique<synth::ModeACScenario>(params);
        }
        modeAC_->renderBuffer(nextModeAC_++, rendered_.data());
    } else {
        if (!modeS_)
            modeS_ = std::make_unique<synth::Scenario>(modeSParams());
        modeS_->renderBuffer(nextModeS_++, rendered_.data());
    }
    taken_ = 0;
}

} // namespace varnock::sim

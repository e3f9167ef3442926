// FrequencyRangeSearch: probes the running tuner's limits by the frequencies it refuses.
#pragma once

#include <cstdint>
#include <string>

#include "app/device_control.h"
#include "streaming/rtlsdr_api.h"

namespace varnock {

// Writes the framing lines and the reports of the searches of this tuner type (E4000: six,
// R820T: two, others: none). Leaves the tuner wherever the last probe put it.
void FrequencyRangeSearch(const RtlSdrApi& api, rtlsdr_dev_t* device, int tunerType, const LogFn& log);

// f / 1000 in shortest decimal form.
std::string kiloHertzText(uint32_t f);

} // namespace varnock

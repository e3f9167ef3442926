// Raw log files: the ring saved as 20 files of 16-bit values, loaded from them or from 8-bit files.
#include "sisex/explorer.h"

#include <bit>

namespace varnock::sisex {

namespace {

constexpr size_t kBiwBytes = size_t(kPageValues) * 2;
constexpr size_t kBinBytes = size_t(kPageValues);
const char* const kOverwriteSet = "Attention! You will be overwriting the current file set. OK?";
const char* const kOverwriteRing = "Attention! You will be overwriting the current ringbuffer. OK?";

} // namespace

std::string Explorer::pageFileName(int n, const char* extension) const
{
    return std::to_string(n) + extension;
}

void Explorer::sbdiskClick()
{
    if (!ring_.hasData()) {
        setStatus(kStatePanel, "No DATA to SAVE.");
        return;
    }
    if (files_.exists(dataDir_ + "0.biw") && !ui_.askYesNo(kOverwriteSet, "SISEX")) return;
    if (live_) stopLive();

    int failed = 0;
    std::string firstError;
    for (int n = 0; n < kPageCount; ++n) {
        const std::string name = pageFileName(n, ".biw");
        const void* data = ring_.page(n);
        if constexpr (std::endian::native != std::endian::little) {
            auto* bytes = reinterpret_cast<uint8_t*>(ring_.scratch());
            const uint16_t* values = ring_.page(n);
            for (int i = 0; i < kPageValues; ++i) {
                bytes[2 * i] = uint8_t(values[i]);
                bytes[2 * i + 1] = uint8_t(values[i] >> 8);
            }
            data = bytes;
        }
        std::string error;
        if (files_.writeReplacing(dataDir_ + name, data, kBiwBytes, error)) {
            setStatus(kStatePanel, "RAW DATA FILE SAVED");
        } else {
            // The other pages are still tried; the failure is reported once at the end.
            if (failed++ == 0) firstError = "Cannot write " + dataDir_ + name + ": " + error;
        }
    }
    if (failed > 0) {
        setStatus(kStatePanel, "SAVE FAILED: " + std::to_string(failed) + " of 20 files");
        ui_.errorBox(firstError);
    }
}

// Reads one file into the scratch page first, so a failed read leaves page n as it was.
bool Explorer::loadPage(int n, const std::string& path, bool sixteenBit)
{
    auto* bytes = reinterpret_cast<uint8_t*>(ring_.scratch());
    std::string error;
    if (!files_.readExactly(path, bytes, sixteenBit ? kBiwBytes : kBinBytes, error)) {
        const std::string name = pageFileName(n, sixteenBit ? ".biw" : ".bin");
        setStatus(kStatePanel, "Cannot read " + name + ": " + error);
        ui_.errorBox("Cannot read " + path + ": " + error);
        return false;
    }
    uint16_t* page = ring_.page(n);
    if (sixteenBit) {
        for (int i = 0; i < kPageValues; ++i) page[i] = uint16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    } else {
        for (int i = 0; i < kPageValues; ++i) page[i] = bytes[i];
    }
    return true;
}

void Explorer::sbopenClick()
{
    releaseLive();
    if (ring_.hasData() && !ui_.askYesNo(kOverwriteRing, "SISEX")) return;
    directoryListDir_ = dataDir_;

    for (int n = 0; n < kPageCount; ++n) {
        const std::string biw = dataDir_ + pageFileName(n, ".biw");
        const std::string bin = dataDir_ + pageFileName(n, ".bin");
        if (files_.exists(biw)) {
            if (!loadPage(n, biw, true)) return;
        } else if (files_.exists(bin)) {
            setStatus(kStatePanel, "Converting: " + pageFileName(n, ".bin"));
            ui_.repaintNow();
            if (!loadPage(n, bin, false)) return;
        } else {
            setStatus(kStatePanel, "BIN FILE NOT FOUND");
            return;
        }
    }

    position_ = 0;
    white_ = Marker{};
    red_ = Marker{};
    static const char* const kReset[6] = {"WHT: ", "RED: ", "RED-WHT: ", "WHT-CUR: ", "RED-CUR: ", "X:  Y: "};
    for (int i = 0; i < 6; ++i) setStatus(i + 1, kReset[i]);
    setStatus(kStatePanel, "RAW FILES LOADED");
    ring_.markLoaded();
    ui_.redraw();
}

} // namespace varnock::sisex

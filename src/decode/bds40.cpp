// Comm-B register 4,0: selected vertical intention.
//
// MB bit 1 = byte 4 mask 0x80. bits 1-13 MCP status + altitude; 14-26 FMS status + altitude;
// 27-39 baro status + setting; 48 mode status; 49-51 VNAV, ALT hold, APP; 54 source status; 55-56 source.
#include "decode/comm_b.h"
#include "decode/field_codes.h"

namespace varnock {

bool decodeBds40(const uint8_t* b, TFlight& rec)
{
    const int mcpRaw = ((b[4] & 0x7F) << 5) | (b[5] >> 3);
    const int mcp = roundHalfEven(mcpRaw * 16 / 100.0);
    if (mcp > 430) return false;

    const int baroRaw = ((b[7] & 0x1F) << 7) | (b[8] >> 1);
    const int baro = roundHalfEven(baroRaw / 10.0 + 800.0);
    if (baro <= 960 || baro >= 1070) return false;

    int fms = kUnknown;
    if (b[5] & 0x04) {
        const int fmsRaw = ((b[5] & 3) << 10) | (b[6] << 2) | (b[7] >> 6);
        fms = roundHalfEven(fmsRaw * 16 / 100.0);
    }

    rec.mcpalt = mcp;
    rec.qnh = baro;
    rec.fmsalt = fms;
    rec.mcpmode = (b[9] & 0x01)
                      ? (b[10] >> 7) | ((b[10] & 0x40) ? 2 : 0) | ((b[10] & 0x20) ? 4 : 0)
                      : 0;
    rec.altsource = (b[10] & 0x04) ? ((b[10] >> 1) & 1) | ((b[10] & 1) * 2) : 0;
    return true;
}

} // namespace varnock

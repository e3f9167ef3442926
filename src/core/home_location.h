// HomeLocation: the receiver's position, the reference of local CPR decoding while "Use" is ticked.
#pragma once

namespace varnock {

struct HomeLocation {
    double lat = 0.0; // degrees north; 0/0 means none
    double lon = 0.0; // degrees east
    bool use = false; // the "Use" check box `cblocal`
};

} // namespace varnock

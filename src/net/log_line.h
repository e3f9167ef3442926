// LogLineFn: how network code puts a message on the main window's list.
#pragma once

#include <functional>
#include <string>

namespace varnock {

using LogLineFn = std::function<void(const std::string&)>;

} // namespace varnock

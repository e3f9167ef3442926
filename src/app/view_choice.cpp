// wantsGui: an empty display variable counts as none (a QApplication would abort on it).
#include "app/view_choice.h"

#include "app/switches.h"

namespace varnock {

bool wantsGui(const std::vector<std::string>& args, const char* display, const char* waylandDisplay)
{
    const bool hasDisplay = (display != nullptr && *display != '\0') || (waylandDisplay != nullptr && *waylandDisplay != '\0');
    return hasDisplay && !Switches(args).has("console");
}

} // namespace varnock

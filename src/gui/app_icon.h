// The program's icon (window and notification area), drawn rather than shipped as a file.
#pragma once

#include <QIcon>

namespace varnock {

QIcon appIcon();

} // namespace varnock

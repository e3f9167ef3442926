// The list memo1 of the main window, made in one place.
#pragma once

#include <QWidget>

namespace varnock {

class Receiver;

QWidget* makeMemo1(Receiver& receiver, QWidget* parent);

} // namespace varnock

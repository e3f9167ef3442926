// The list memo1 of the main window, made in one place.
#pragma once

#include <QWidget>

namespace varnock {

class ListModel;
struct Controls;

QWidget* makeMemo1(ListModel& model, Controls& controls, QWidget* parent);

} // namespace varnock

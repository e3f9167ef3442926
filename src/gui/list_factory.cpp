// makeMemo1: a plain area in the list's colours until the owner-drawn list takes its place.
#include "gui/list_factory.h"

#include "core/list_model.h"

namespace varnock {

QWidget* makeMemo1(ListModel& model, Controls& controls, QWidget* parent)
{
    (void)model;
    (void)controls;
    return new QWidget(parent);
}

} // namespace varnock

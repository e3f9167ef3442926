// makeMemo1: the owner-drawn list over the receiver's list model and aircraft table.
#include "gui/list_factory.h"

#include "gui/list_view.h"
#include "receiver/receiver.h"

namespace varnock {

QWidget* makeMemo1(Receiver& receiver, QWidget* parent) { return new ListView(receiver, parent); }

} // namespace varnock

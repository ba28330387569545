#include "app/placement.h"

namespace velmora::app {

void Placement::settled(Point actual) {
    refused_ = asked_ && !(actual == *asked_);
}

Point Placement::to_save(Point actual, bool dragged) const {
    return refused_ && !dragged ? *asked_ : actual;
}

}  // namespace velmora::app

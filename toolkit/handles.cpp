#include "toolkit/handles.h"

namespace tk {

HandleCounts& LiveHandleCounts() {
    static HandleCounts counts;
    return counts;
}

}  // namespace tk

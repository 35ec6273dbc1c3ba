#include "view_source.h"

namespace vrelhost {

bool ViewSource::anyAlive() const { return firstAlive() != 0; }

int ViewSource::firstAlive() const {
    for (int k = 1; k <= positions(); ++k)
        if (alive(k)) return k;
    return 0;
}

std::string ViewSource::lineFor(int position, const std::string& line) const {
    if (positions() == 1 && position == 1) return line;
    return "@" + std::to_string(position) + " " + line;
}

}  // namespace vrelhost

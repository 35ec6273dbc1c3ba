#include "displays_view.h"

namespace vrelhost {

nlohmann::json displaysJson(const DisplayState* state, int levels) {
    if (!state) return nullptr;
    return {{"set", state->set},
            {"title", state->title},
            {"brightness", state->brightness},
            {"brightnessName", state->brightnessName},
            {"levels", levels},
            {"names", state->names}};
}

}  // namespace vrelhost

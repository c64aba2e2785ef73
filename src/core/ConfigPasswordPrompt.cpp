#include "ConfigPasswordPrompt.h"

namespace limsbridge {

namespace {
ConfigPasswordPrompt* g_prompt = nullptr;
} // namespace

void setConfigPasswordPrompt(ConfigPasswordPrompt* prompt) {
    g_prompt = prompt;
}

ConfigPasswordPrompt* configPasswordPrompt() {
    return g_prompt;
}

} // namespace limsbridge

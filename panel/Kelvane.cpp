#include "Kelvane.h"

Kelvane::Kelvane(vrel_client_callback* host, const char* text) : vrel_script_helper(host, text) {}

Kelvane::~Kelvane() = default;

void Kelvane::onButton(button_notify*) {}
int Kelvane::onRevertive(revertive_notify*) { return 0; }
vrel_string Kelvane::onParent(parent_notify*) { return vrel_string(); }
int Kelvane::onTimer(int) { return 0; }
void Kelvane::onDatabase(database_notify*) {}

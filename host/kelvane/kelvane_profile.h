// The profile of the name-display panel (libkelvane.so): its default site,
// demo, configuration entry, name driver and keyboard. See site_profile.h.
#pragma once

#include "site_profile.h"

namespace vrelhost {

const SiteProfile& kelvaneProfile();

}  // namespace vrelhost

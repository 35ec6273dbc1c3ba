// vrel-host's UMD output options: --umd-out HOST:PORT sends what the
// displays show to a UMD receiver (umd_sender.h), --umd-screen and
// --umd-refresh shape it.
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include <CLI/CLI.hpp>

#include "site_profile.h"
#include "umd_sender.h"

namespace vrelhost {

struct UmdOptions {
    std::string out;  // HOST:PORT; empty: no UMD output
    int screen = 0;
    int refreshSeconds = 2;
};

// Adds the three options; the address is checked as the command line is read.
// Returns --umd-out, for what it excludes.
CLI::Option* addUmdOptions(CLI::App& app, UmdOptions& options);

// The sender for `options`, or nothing when --umd-out is not given; false
// with `error` when the profile has no displays or the receiver's address
// does not resolve.
bool openUmdSender(const UmdOptions& options, const SiteProfile& profile, std::ostream& warnings,
                   std::unique_ptr<UmdSender>& sender, std::string& error);

}  // namespace vrelhost

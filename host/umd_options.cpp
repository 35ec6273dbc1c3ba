#include "umd_options.h"

#include "whole_number_option.h"

namespace vrelhost {

CLI::Option* addUmdOptions(CLI::App& app, UmdOptions& options) {
    CLI::Option* out =
        app.add_option("--umd-out", options.out,
                       "Send what the displays show to a UMD receiver at HOST:PORT (UDP, UMD messages version 5.0)")
            ->check(CLI::Validator(
                [](std::string& text) {
                    UmdTarget target;
                    std::string error;
                    return parseUmdTarget(text, target, error) ? std::string() : error;
                },
                "HOST:PORT"));
    app.add_option("--umd-screen", options.screen, "With --umd-out: the SCREEN of every packet (default 0)")
        ->check(wholeNumber(0, 65535, "a screen number"))
        ->needs(out);
    app.add_option("--umd-refresh", options.refreshSeconds,
                   "With --umd-out: seconds between two sends of every display (default 2)")
        ->check(wholeNumber(1, 3600, "a number of seconds"))
        ->needs(out);
    return out;
}

bool openUmdSender(const UmdOptions& options, const SiteProfile& profile, std::ostream& warnings,
                   std::unique_ptr<UmdSender>& sender, std::string& error) {
    if (options.out.empty()) return true;
    if (profile.displays.displays <= 0) {
        error = "--umd-out: the profile " + profile.name + " declares no displays";
        return false;
    }
    UmdSettings settings;
    if (!parseUmdTarget(options.out, settings.target, error)) return false;
    settings.screen = static_cast<std::uint16_t>(options.screen);
    settings.refreshSeconds = options.refreshSeconds;
    sender = UmdSender::open(settings, warnings, error);
    return sender != nullptr;
}

}  // namespace vrelhost

#include "live_session.h"

#include <iostream>

#include "default_site.h"

namespace vrelhost {

void LineTap::listen(std::function<void(const std::string&)> listener) {
    listener_ = std::move(listener);
    if (!listener_) return;
    for (const std::string& line : early_) listener_(line);
    early_.clear();
}

int LineTap::overflow(int c) {
    if (c == traits_type::eof()) return traits_type::not_eof(c);
    const char ch = static_cast<char>(c);
    out_.put(ch);
    if (ch == '\n') {
        if (listener_) listener_(line_);
        else if (early_.size() < keptEarly) early_.push_back(line_);
        line_.clear();
    } else {
        line_ += ch;
    }
    return c;
}

std::streamsize LineTap::xsputn(const char* data, std::streamsize n) {
    for (std::streamsize i = 0; i < n; ++i) overflow(static_cast<unsigned char>(data[i]));
    return n;
}

int LineTap::sync() {
    out_.flush();
    return out_ ? 0 : -1;
}

std::unique_ptr<LiveSession> LiveSession::start(const Settings& settings, std::string& error) {
    std::unique_ptr<LiveSession> live(new LiveSession());
    if (settings.site.empty()) {
        live->site_ = *siteFromJson(defaultSiteDocument(), error);
    } else {
        live->siteFile_ = SiteFile::open(settings.site, live->site_, error);
        if (!live->siteFile_) return nullptr;
    }
    live->library_ = ScriptLibrary::open(settings.library, error);
    if (!live->library_) return nullptr;
    const bool toFile = !settings.transcript.empty();
    if (toFile) {
        live->transcriptFile_.open(settings.transcript, std::ios::trunc);
        if (!live->transcriptFile_) {
            error = "cannot write transcript " + settings.transcript;
            return nullptr;
        }
    }
    live->config_ = ConfigFolder::create(live->site_.namesDriver()->number, error);
    if (!live->config_) return nullptr;

    live->tap_ = std::make_unique<LineTap>(toFile ? static_cast<std::ostream&>(live->transcriptFile_) : std::cout);
    live->tapStream_ = std::make_unique<std::ostream>(live->tap_.get());
    live->transcript_ =
        std::make_unique<Transcript>(*live->tapStream_, toFile ? Transcript::Form::exact : Transcript::Form::console);
    live->log_ = std::make_unique<ProtocolLog>(*live->transcript_);
    live->host_ = std::make_unique<SimulatedHost>(live->site_, *live->transcript_, *live->log_);
    if (live->siteFile_) live->host_->keepSiteIn(&*live->siteFile_);
    live->session_ = std::make_unique<ScriptSession>(*live->host_, *live->transcript_, *live->log_);
    if (!live->session_->create(live->library_->entry(), settings.panels)) {
        error = "the library " + settings.library + " created no script";
        return nullptr;
    }
    ScenarioRunner::Options options;
    options.echoInput = false;  // runLine writes the line itself, numbered
    live->runner_ = std::make_unique<ScenarioRunner>(*live->session_, *live->host_, *live->transcript_, options);
    live->transcript_->flush();
    return live;
}

LiveSession::~LiveSession() {
    runner_.reset();
    session_.reset();
}

bool LiveSession::runLine(const std::string& line, std::string& error) {
    if (!alive()) {
        error = "the script is gone";
        return false;
    }
    transcript_->input(++lineNumber_, line);
    const ScenarioRunner::Outcome outcome = runner_->runLine(line, error);
    transcript_->flush();
    tapStream_->flush();  // the transcript file holds each line's effects once it returns
    return outcome != ScenarioRunner::Outcome::error;
}

int LiveSession::finish(std::ostream& errors) {
    if (session_) session_->destroy();
    transcript_->flush();
    tapStream_->flush();
    if (host_->unsavedRenames() > 0) {
        errors << "vrel-host: " << host_->unsavedRenames() << " rename(s) could not be saved; the first: "
               << host_->saveError() << "\n";
        return 1;
    }
    if (log_->count() > 0) {
        errors << "vrel-host: " << log_->count() << " protocol error(s), see the lines starting with !!\n";
        return 3;
    }
    return 0;
}

}  // namespace vrelhost

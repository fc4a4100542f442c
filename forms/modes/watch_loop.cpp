#include "forms/modes/watch_loop.h"

#include "platform/system/clipboard.h"
#include "platform/system/keep_on_top.h"
#include "platform/widgets/managed_window.h"
#include "platform/widgets/program_run.h"

namespace {

// Where the platform reports no clipboard changes.
constexpr int kPollIntervalMs = 250;

} // namespace

WatchLoop::WatchLoop(platform::ProgramRun& run, platform::ClipboardCounter& counter,
                     std::function<void(int)> showCount)
    : run_(run), counter_(counter), showCount_(std::move(showCount)) {
    poll_.setInterval(kPollIntervalMs);
    connect(&poll_, &QTimer::timeout, this, &WatchLoop::pass);
    // A change is handled from the event loop rather than inside the signal: the clipboard
    // may change inside a handler (the edit menu's copy), and no pass runs inside a handler.
    changeKick_.setSingleShot(true);
    changeKick_.setInterval(0);
    connect(&changeKick_, &QTimer::timeout, this, &WatchLoop::pass);
    connect(&counter_, &platform::ClipboardCounter::changed, this, &WatchLoop::passSoon);
}

WatchLoop::~WatchLoop() = default;

void WatchLoop::start(platform::ManagedWindow* host) {
    host_ = host;
    running_ = host != nullptr;
    if (!running_) {
        stop();
        return;
    }
    if (!counter_.notifiesChanges()) {
        poll_.start();
    }
    // The first pass follows as soon as the load that started the loop has returned.
    changeKick_.start();
}

void WatchLoop::release() {
    --holds_;
    // A change that came while the loop was held is counted now.
    if (holds_ == 0) {
        passSoon();
    }
}

void WatchLoop::passSoon() {
    if (running_) {
        changeKick_.start();
    }
}

void WatchLoop::stop() {
    running_ = false;
    host_ = nullptr;
    poll_.stop();
    changeKick_.stop();
}

void WatchLoop::pass() {
    if (!running_) {
        return;
    }
    if (run_.hasEnded() || host_ == nullptr || !host_->isLoaded()) {
        stop();
        return;
    }
    if (holds_ > 0) {
        return;
    }
    platform::keepAbove(host_->loadedWindow());
    const std::optional<int> count = counter_.count();
    if (!count) {
        // The clipboard could not be read (another program holds it): the loop ends quietly,
        // the count keeps its last value and the next host's load starts counting again.
        stop();
        return;
    }
    // Writing the count may load the Fast Counter, whose load switches to the next host and
    // restarts this loop for it; nothing of this pass runs after the write.
    showCount_(*count);
}

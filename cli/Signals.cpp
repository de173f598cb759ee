#include "Signals.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace cli {
namespace {

std::atomic<int> signalPipe{-1};

constexpr char signalByte = 's';
constexpr char stopByte = 'q';

extern "C" void onSignalArrived(int) {
    const int savedErrno = errno;
    const int fd = signalPipe.load();
    if (fd >= 0) {
        const char byte = signalByte;
        [[maybe_unused]] const auto written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

SignalWatcher::SignalWatcher(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) == 0) {
        readEnd_.reset(ends[0]);
        writeEnd_.reset(ends[1]);
        // A full pipe must never block the handler: the first byte is enough anyway.
        ::fcntl(writeEnd_.get(), F_SETFL, O_NONBLOCK);
        signalPipe.store(writeEnd_.get());
    }
    struct sigaction action {};
    action.sa_handler = onSignalArrived;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &oldInt_);
    ::sigaction(SIGTERM, &action, &oldTerm_);
    ::sigaction(SIGHUP, &action, &oldHup_);
    if (oldHup_.sa_handler == SIG_IGN) {
        ::sigaction(SIGHUP, &oldHup_, nullptr); // started under nohup: the job outlives the session
    }
    thread_ = std::thread([this] { watch(); });
}

SignalWatcher::~SignalWatcher() {
    ::sigaction(SIGINT, &oldInt_, nullptr);
    ::sigaction(SIGTERM, &oldTerm_, nullptr);
    ::sigaction(SIGHUP, &oldHup_, nullptr);
    signalPipe.store(-1);
    if (writeEnd_) {
        const char byte = stopByte;
        [[maybe_unused]] const auto written =
            stowline::retryOnEintr([&] { return ::write(writeEnd_.get(), &byte, 1); });
    }
    if (thread_.joinable()) {
        thread_.join();
    }
}

void SignalWatcher::watch() {
    if (!readEnd_) {
        return;
    }
    for (;;) {
        char byte = 0;
        const auto got = stowline::retryOnEintr([&] { return ::read(readEnd_.get(), &byte, 1); });
        if (got <= 0 || byte == stopByte) {
            return;
        }
        signalled_.store(true);
        onSignal_();
    }
}

} // namespace cli

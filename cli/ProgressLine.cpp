#include "ProgressLine.h"
#include "Output.h"
#include "Say.h"

#include "stowline/ByteFormat.h"
#include "stowline/TextReport.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace cli {
namespace {

std::size_t terminalWidth() {
    winsize size{};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    return 80;
}

} // namespace

void ProgressLine::setFile(std::string_view name) {
    // A name may hold terminal escape sequences or line breaks of its own.
    file_ = stowline::TextReport::visibleText(name);
}

void ProgressLine::update(std::int64_t done, std::int64_t total, double bytesPerSecond) {
    done_ = done;
    total_ = total;
    speed_ = bytesPerSecond;
    const auto now = std::chrono::steady_clock::now();
    if (shown_ && now - lastDraw_ < std::chrono::milliseconds(100)) {
        return;
    }
    lastDraw_ = now;
    draw();
}

void ProgressLine::draw() {
    using namespace stowline;
    const int percent = total_ > 0 ? static_cast<int>(done_ * 100 / total_) : 100;
    std::string line = std::to_string(percent) + "%  " +
                       say("cli.progress.of", ByteFormat::string(done_), ByteFormat::string(total_)) + "  " +
                       ByteFormat::speed(speed_);
    if (speed_ > 0.0 && total_ > done_) {
        line += "  " +
                say("cli.progress.left", ByteFormat::duration(static_cast<double>(total_ - done_) / speed_));
    }
    line += "  " + file_;
    const std::size_t width = terminalWidth();
    if (line.size() >= width) {
        line.resize(width - 1); // never wrap: a wrapped line cannot be redrawn in place
        while (!line.empty() && (static_cast<unsigned char>(line.back()) & 0xC0) == 0x80) {
            line.pop_back(); // no half of a UTF-8 character at the end
        }
        if (!line.empty() && (static_cast<unsigned char>(line.back()) & 0x80) != 0) {
            line.pop_back();
        }
    }
    Output::out("\r\033[K" + line);
    shown_ = true;
}

void ProgressLine::clear() {
    if (shown_) {
        Output::out("\r\033[K");
        shown_ = false;
    }
}

} // namespace cli

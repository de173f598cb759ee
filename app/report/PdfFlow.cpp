#include "report/PdfFlow.h"

#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
constexpr double tolerance = 1e-6; // points; rounding must not push a line to the next page
} // namespace

PdfFlow::PdfFlow(QPagedPaintDevice& device, QPainter* painter, const Frame& frame, int pageCount)
    : device_(device), painter_(painter), frame_(frame), pageCount_(pageCount), y_(frame.margins.top()),
      contentTop_(frame.margins.top()) {}

double PdfFlow::bottom() const {
    return frame_.page.height() - frame_.margins.bottom();
}

void PdfFlow::gap(double points) {
    if (y_ > contentTop_) {
        y_ += points;
    }
}

void PdfFlow::keepRoom(double points) {
    if (y_ > contentTop_ && y_ + points > bottom() + tolerance) {
        breakPage();
    }
}

void PdfFlow::placeLines(int lines, double pitch, const DrawLines& draw) {
    int done = 0;
    while (done < lines) {
        const int rest = lines - done;
        const int fit = static_cast<int>(std::floor((bottom() - y_ + tolerance) / pitch));
        const bool fitsOnAPage = rest * pitch <= bottom() - contentTop_ + tolerance;
        if (y_ > contentTop_ && (fit <= 0 || (done == 0 && rest > fit && fitsOnAPage))) {
            breakPage();
            continue;
        }
        const int count = std::min(rest, std::max(fit, 1)); // at least one, or a page too small would loop
        if (painter_ != nullptr) {
            draw(done, count, y_);
        }
        y_ += count * pitch;
        done += count;
        if (done < lines) {
            breakPage();
        }
    }
}

void PdfFlow::breakPage() {
    if (painter_ != nullptr) {
        if (footer_) {
            footer_(*painter_, page_, pageCount_);
        }
        device_.newPage();
    }
    ++page_;
    y_ = frame_.margins.top();
    contentTop_ = y_;
    if (continuation_) {
        // The continuation places a page's first lines; it must not start yet another page.
        const Continuation continuation = continuation_;
        continuation(*this);
        contentTop_ = y_;
    }
}

int PdfFlow::finish() {
    if (painter_ != nullptr && footer_) {
        footer_(*painter_, page_, pageCount_);
    }
    return page_;
}

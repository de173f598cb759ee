#pragma once
#include <QMarginsF>
#include <QSizeF>

#include <functional>

class QPagedPaintDevice;
class QPainter;

/// Flows content down the pages of one PDF. Positions are in points from the page's top
/// left corner. A document is flowed twice through the same code: first without a painter,
/// only to count its pages (nothing is kept), then drawing, when every footer can say
/// "page N of M". Both passes take the same decisions, so the count holds.
class PdfFlow {
public:
    struct Frame {
        QSizeF page;       ///< points
        QMarginsF margins; ///< points; the footer sits in the bottom margin
    };
    using Footer = std::function<void(QPainter& painter, int page, int pageCount)>;
    using Continuation = std::function<void(PdfFlow& flow)>;
    using DrawLines = std::function<void(int first, int count, double top)>;

    /// `painter` null: the measuring pass. `pageCount`: what the measuring pass found.
    PdfFlow(QPagedPaintDevice& device, QPainter* painter, const Frame& frame, int pageCount = 0);

    /// What to place at the top of every later page (a table's head), until replaced.
    void setContinuation(Continuation continuation) { continuation_ = std::move(continuation); }
    void setFooter(Footer footer) { footer_ = std::move(footer); }

    [[nodiscard]] bool drawing() const { return painter_ != nullptr; }
    /// The painter of the drawing pass (null while measuring; draw callbacks always have one).
    [[nodiscard]] QPainter* painter() const { return painter_; }

    /// Vertical space, dropped at the top of a page.
    void gap(double points);
    /// Starts a new page unless `points` of room are left (keeps a heading with what follows).
    void keepRoom(double points);
    /// Places `lines` lines `pitch` apart. `draw(first, count, top)` draws each piece (only
    /// in the drawing pass). A run that fits on one page is never split; a longer one fills
    /// pages line by line, so nothing is ever cut.
    void placeLines(int lines, double pitch, const DrawLines& draw);
    /// Ends the last page; returns the page count.
    int finish();

private:
    void breakPage();
    [[nodiscard]] double bottom() const;

    QPagedPaintDevice& device_;
    QPainter* painter_;
    Frame frame_;
    int pageCount_;
    int page_ = 1;
    double y_;
    double contentTop_; ///< where this page's content began (after any continuation)
    Continuation continuation_;
    Footer footer_;
};

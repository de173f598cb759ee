#pragma once
// PDF files read back with poppler's tools, as a production's office would open them.
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

inline QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60'000) || process.exitCode() != 0) {
        return QStringLiteral("<%1 failed: %2>")
            .arg(program, QString::fromUtf8(process.readAllStandardError()));
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline QString pdfText(const QString& pdf, int page = 0, bool layout = false) {
    QStringList arguments;
    if (page > 0) {
        arguments << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l")
                  << QString::number(page);
    }
    if (layout) {
        arguments << QStringLiteral("-layout");
    }
    return run(QStringLiteral("pdftotext"), arguments << pdf << QStringLiteral("-"));
}

inline int pageCount(const QString& pdf) {
    static const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)$"),
                                          QRegularExpression::MultilineOption);
    return pages.match(run(QStringLiteral("pdfinfo"), {pdf})).captured(1).toInt();
}

// Text with all white space removed, to find names that wrapped onto several lines.
inline QString squeezed(QString text) {
    static const QRegularExpression space(QStringLiteral("\\s+"));
    return text.remove(space);
}

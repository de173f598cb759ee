#pragma once
// The catalog sources as written: each key with its texts, read without the translation
// machinery so that a test sees what a translator wrote.
#include <QFile>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

inline const QString sourceDir = QStringLiteral(STOWLINE_SOURCE_DIR);

struct Entry {
    bool numerus = false;
    bool unfinished = false;
    QStringList texts; // the translation, or each numerus form
};
using Catalog = QMap<QString, Entry>;

inline Catalog readCatalog(const QString& language, QString* error) {
    Catalog catalog;
    QFile file(sourceDir + QStringLiteral("/resources/i18n/") + language + QStringLiteral(".ts"));
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.fileName() + QStringLiteral(": cannot open");
        return catalog;
    }
    QXmlStreamReader xml(&file);
    QString context;
    QString key;
    Entry entry;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const auto name = xml.name();
            if (name == QLatin1String("name")) {
                context = xml.readElementText();
            } else if (name == QLatin1String("message")) {
                entry = Entry{};
                entry.numerus = xml.attributes().value(QLatin1String("numerus")) == QLatin1String("yes");
                if (context != QLatin1String("Stowline")) {
                    *error = QStringLiteral("message outside the context \"Stowline\" in ") + language;
                }
            } else if (name == QLatin1String("source")) {
                key = xml.readElementText();
            } else if (name == QLatin1String("translation")) {
                entry.unfinished = !xml.attributes().value(QLatin1String("type")).isEmpty();
                if (!entry.numerus) {
                    entry.texts << xml.readElementText();
                }
            } else if (name == QLatin1String("numerusform")) {
                entry.texts << xml.readElementText();
            }
        } else if (xml.isEndElement() && xml.name() == QLatin1String("message")) {
            if (catalog.contains(key)) {
                *error = language + QStringLiteral(": duplicate key ") + key;
            }
            catalog.insert(key, entry);
        }
    }
    if (xml.hasError()) {
        *error = language + QStringLiteral(": ") + xml.errorString();
    }
    return catalog;
}

/// Every finished text of a catalog, each numerus form on its own.
inline QStringList allTexts(const Catalog& catalog) {
    QStringList texts;
    for (const Entry& entry : catalog) {
        if (!entry.unfinished) {
            texts << entry.texts;
        }
    }
    return texts;
}

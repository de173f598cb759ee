#pragma once
#include "stowline/HashFormat.h"
#include "stowline/SupportedLanguage.h"

#include <QObject>
#include <QString>

#include <optional>

/// The user's visible choices as one observable object: created once after the language
/// is resolved, handed to every view. Each change is written through to the preference
/// store before the property changes. Main thread.
class Appearance : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isLight READ isLight NOTIFY isLightChanged)
    Q_PROPERTY(bool writesMHL READ writesMHL NOTIFY writesMHLChanged)
    Q_PROPERTY(bool writesText READ writesText NOTIFY writesTextChanged)
    Q_PROPERTY(bool writesPDF READ writesPDF NOTIFY writesPDFChanged)
    Q_PROPERTY(bool writesAscMhl READ writesAscMhl NOTIFY writesAscMhlChanged)
    /// The active language's raw value: "pt-BR" or "en".
    Q_PROPERTY(QString language READ languageCode NOTIFY languageChanged)
    /// The override's raw value, or "" when the system's languages decide.
    Q_PROPERTY(QString languageOverride READ languageOverrideCode NOTIFY languageOverrideChanged)

public:
    /// Takes its initial values from ThemeMode, ReportSettings and Localization.
    explicit Appearance(QObject* parent = nullptr);

    [[nodiscard]] bool isLight() const { return isLight_; }
    [[nodiscard]] bool writesMHL() const { return writesMHL_; }
    [[nodiscard]] bool writesText() const { return writesText_; }
    [[nodiscard]] bool writesPDF() const { return writesPDF_; }
    [[nodiscard]] bool writesAscMhl() const { return writesAscMhl_; }
    /// The formats the ASC MHL history records (xxh64 and the optional ones chosen).
    [[nodiscard]] stowline::HashFormats ascMhlFormats() const { return ascMhlFormats_; }
    [[nodiscard]] stowline::SupportedLanguage language() const { return language_; }
    [[nodiscard]] std::optional<stowline::SupportedLanguage> languageOverride() const {
        return languageOverride_;
    }
    [[nodiscard]] QString languageCode() const;
    [[nodiscard]] QString languageOverrideCode() const;

    /// Light when true, dark when false; the same value again does nothing at all.
    void set(bool light);
    /// Flips the report format, stores it, then updates the property.
    void toggleMHL();
    void toggleText();
    void togglePDF();
    void toggleAscMhl();
    /// Flips one optional format of the ASC MHL history (xxh128, md5 or sha1).
    void toggleAscMhlFormat(stowline::HashFormat format);
    /// Stores the override (none removes it), re-resolves the language and mirrors both.
    void chooseLanguage(std::optional<stowline::SupportedLanguage> language);

signals:
    void isLightChanged();
    void writesMHLChanged();
    void writesTextChanged();
    void writesPDFChanged();
    void writesAscMhlChanged(); ///< also when its formats change
    void languageChanged();
    void languageOverrideChanged();

private:
    /// Stores the flipped value first, so that a view reacting to `changed` reads the stored one.
    void toggle(bool& flag, void (*store)(bool), void (Appearance::*changed)());

    bool isLight_;
    bool writesMHL_;
    bool writesText_;
    bool writesPDF_;
    bool writesAscMhl_;
    stowline::HashFormats ascMhlFormats_;
    stowline::SupportedLanguage language_;
    std::optional<stowline::SupportedLanguage> languageOverride_;
};

#pragma once
#include "kit/Sheet.h"

#include <QList>
#include <QPair>

#include <initializer_list>

class Appearance;
class ChoiceButton;
class OutlineButton;
class QCheckBox;
class QScrollArea;
class QVBoxLayout;
class ThemedText;

/// The settings as a window-modal sheet of 560 × 620: appearance and language, which report
/// files to write, how the copies are proven, and updates. Every control writes through at
/// once, so closing keeps everything; texts follow a language change while open. Main thread.
class SettingsSheet : public Sheet {
    Q_OBJECT
public:
    /// `appearance` must outlive the sheet.
    explicit SettingsSheet(Appearance& appearance, QWidget* parent = nullptr);

    [[nodiscard]] ChoiceButton* darkButton() const { return dark_; }
    [[nodiscard]] ChoiceButton* lightButton() const { return light_; }
    /// "automatic" first, then one per language in resolution order.
    [[nodiscard]] const QList<ChoiceButton*>& languageButtons() const { return languages_; }
    [[nodiscard]] ChoiceButton* mhlPill() const { return mhl_; }
    [[nodiscard]] ChoiceButton* textPill() const { return text_; }
    [[nodiscard]] ChoiceButton* pdfPill() const { return pdf_; }
    [[nodiscard]] ChoiceButton* ascMhlPill() const { return ascMhl_; }
    /// The optional formats of the ASC MHL history, in ReportSettings::optionalAscMhlFormats order.
    [[nodiscard]] const QList<ChoiceButton*>& ascMhlFormatButtons() const { return ascMhlFormats_; }
    [[nodiscard]] ThemedText* noneWarning() const { return warning_; }
    /// Shown while the preferences cannot be saved.
    [[nodiscard]] ThemedText* unsavedWarning() const { return unsaved_; }
    [[nodiscard]] QCheckBox* autoUpdateCheck() const { return autoUpdate_; }
    [[nodiscard]] OutlineButton* checkNowButton() const { return checkNow_; }
    [[nodiscard]] OutlineButton* closeButton() const { return close_; }
    [[nodiscard]] ThemedText* titleText() const { return title_; }

private:
    ThemedText* addText(QVBoxLayout* into, const char* key, int kind);
    void addSection(QVBoxLayout* body, const char* titleKey, QVBoxLayout* content);
    QVBoxLayout* appearanceSection();
    QVBoxLayout* formatsSection();
    QVBoxLayout* paragraphs(std::initializer_list<const char*> keys);
    QVBoxLayout* updatesSection();
    void syncFromAppearance();
    void retranslate() override;

    Appearance& appearance_;
    ThemedText* title_;
    OutlineButton* close_;
    QScrollArea* scroll_;
    ChoiceButton* dark_ = nullptr;
    ChoiceButton* light_ = nullptr;
    QList<ChoiceButton*> languages_;
    ChoiceButton* mhl_ = nullptr;
    ChoiceButton* text_ = nullptr;
    ChoiceButton* pdf_ = nullptr;
    ChoiceButton* ascMhl_ = nullptr;
    QList<ChoiceButton*> ascMhlFormats_;
    ThemedText* warning_ = nullptr;
    ThemedText* unsaved_ = nullptr;
    QCheckBox* autoUpdate_ = nullptr;
    OutlineButton* checkNow_ = nullptr;
    /// Each catalog text on the sheet with its key, re-read on a language change.
    QList<QPair<ThemedText*, QByteArray>> texts_;
};

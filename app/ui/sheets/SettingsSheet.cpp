#include "ui/sheets/SettingsSheet.h"

#include "kit/Buttons.h"
#include "kit/ChoiceButton.h"
#include "kit/Fonts.h"
#include "kit/Theme.h"
#include "kit/ThemedText.h"
#include "kit/ThinScrollBar.h"
#include "settings/AppInfo.h"
#include "settings/Appearance.h"
#include "settings/L10n.h"
#include "settings/Preferences.h"
#include "settings/ReportSettings.h"
#include "settings/UpdateSettings.h"

#include "stowline/SupportedLanguage.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

constexpr int sheetWidth = 560;
constexpr int sheetHeight = 620;
constexpr int headerHeight = 52;
constexpr int padding = 20;
constexpr int sectionSpacing = 28;
constexpr int titleToContent = 12;
constexpr int choiceHeight = 30;

enum TextKind { sectionTitle, paragraph, note, warning, plain };

QString languageName(stowline::SupportedLanguage language) {
    const std::string_view name = stowline::displayName(language);
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

QFont choiceFont() {
    return Fonts::sans(12.5, Fonts::Weight::semibold);
}

QHBoxLayout* row(int spacing) {
    auto* r = new QHBoxLayout;
    r->setContentsMargins(0, 0, 0, 0);
    r->setSpacing(spacing);
    return r;
}

/// The separator under the header.
class Rule : public QWidget {
public:
    explicit Rule(QWidget* parent) : QWidget(parent) { setFixedHeight(1); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), Theme::current().overlay(0.09, 0.07));
    }
};

} // namespace

SettingsSheet::SettingsSheet(Appearance& appearance, QWidget* parent)
    : Sheet(QStringLiteral("settingsSheet"), {sheetWidth, sheetHeight}, parent), appearance_(appearance),
      title_(new ThemedText(Fonts::sans(15, Fonts::Weight::semibold),
                            [](const Theme& t) { return t.mainText; })),
      close_(new OutlineButton(QString(), 26, 12, 12, this)), scroll_(new QScrollArea(this)) {
    texts_.append({title_, "settings.title"});

    auto* header = new QWidget(this);
    header->setFixedHeight(headerHeight);
    auto* headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(padding, 0, padding, 0);
    headerRow->addWidget(title_, 1, Qt::AlignVCenter);
    headerRow->addWidget(close_, 0, Qt::AlignVCenter);
    close_->setTint(QColor()); // the theme's grey
    connect(close_, &QAbstractButton::clicked, this, &QDialog::accept);

    auto* content = new QWidget;
    auto* body = new QVBoxLayout(content);
    body->setContentsMargins(padding, padding, padding, padding + 8);
    body->setSpacing(sectionSpacing);
    // Said once, at the top, rather than after every choice that could not be kept.
    unsaved_ = addText(body, "settings.preferences_unwritable", warning);
    addSection(body, "settings.appearance", appearanceSection());
    addSection(body, "settings.reportformats", formatsSection());
    addSection(body, "settings.howitworks",
               paragraphs({"settings.howitworks.p1", "settings.howitworks.p2", "settings.howitworks.p3",
                           "settings.howitworks.p4", "settings.howitworks.p5"}));
    addSection(body, "settings.hash",
               paragraphs({"settings.hash.p1", "settings.hash.p2", "settings.hash.p3", "settings.hash.p4",
                           "settings.hash.p5", "settings.hash.p6"}));
    addSection(body, "settings.reports", paragraphs({"settings.reports.p1", "settings.reports.p2"}));
    addSection(body, "settings.updates", updatesSection());
    body->addStretch(1);
    scroll_->setWidget(content);
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ThinScrollBar::install(*scroll_);
    scroll_->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(header);
    column->addWidget(new Rule(this));
    column->addWidget(scroll_, 1);

    for (auto signal : {&Appearance::isLightChanged, &Appearance::writesMHLChanged,
                        &Appearance::writesTextChanged, &Appearance::writesPDFChanged,
                        &Appearance::writesAscMhlChanged, &Appearance::languageOverrideChanged}) {
        connect(&appearance_, signal, this, &SettingsSheet::syncFromAppearance);
    }
    retranslate();
    syncFromAppearance();
}

ThemedText* SettingsSheet::addText(QVBoxLayout* into, const char* key, int kind) {
    ThemedText* text = nullptr;
    switch (kind) {
    case sectionTitle:
        text = new ThemedText(Fonts::sans(10.5, Fonts::Weight::heavy, 1.8),
                              [](const Theme& t) { return t.grey; });
        break;
    case paragraph:
        text = new ThemedText(Fonts::sans(13), [](const Theme& t) { return t.grey; });
        text->setWrapping(4);
        break;
    case note:
        text = new ThemedText(Fonts::sans(11.5), [](const Theme& t) { return t.midGrey; });
        text->setWrapping(2);
        break;
    case warning:
        text = new ThemedText(Fonts::sans(11.5, Fonts::Weight::medium), [](const Theme& t) { return t.red; });
        text->setWrapping(2);
        break;
    default:
        text = new ThemedText(Fonts::sans(12.5), [](const Theme& t) { return t.mainText; });
        break;
    }
    if (key) {
        texts_.append({text, QByteArray(key)});
    }
    into->addWidget(text);
    return text;
}

void SettingsSheet::addSection(QVBoxLayout* body, const char* titleKey, QVBoxLayout* content) {
    auto* section = new QVBoxLayout;
    section->setSpacing(titleToContent);
    addText(section, titleKey, sectionTitle);
    section->addLayout(content);
    body->addLayout(section);
}

QVBoxLayout* SettingsSheet::appearanceSection() {
    auto* content = new QVBoxLayout;
    content->setSpacing(12);
    dark_ = new ChoiceButton(QString(), choiceFont(), choiceHeight, 8);
    dark_->setSymbol(QStringLiteral("moon.fill"));
    light_ = new ChoiceButton(QString(), choiceFont(), choiceHeight, 8);
    light_->setSymbol(QStringLiteral("sun.max.fill"));
    connect(dark_, &QAbstractButton::clicked, this, [this] { appearance_.set(false); });
    connect(light_, &QAbstractButton::clicked, this, [this] { appearance_.set(true); });
    auto* themes = row(8);
    themes->addWidget(dark_);
    themes->addWidget(light_);
    themes->addStretch(1);
    content->addLayout(themes);
    addText(content, "settings.appearance.note", note);

    auto* language = new QVBoxLayout;
    language->setSpacing(8);
    language->setContentsMargins(0, 8, 0, 0);
    addText(language, "settings.language", sectionTitle);
    auto* choices = row(8);
    auto* automatic = new ChoiceButton(QString(), choiceFont(), choiceHeight, 8);
    connect(automatic, &QAbstractButton::clicked, this, [this] { appearance_.chooseLanguage(std::nullopt); });
    languages_.append(automatic);
    choices->addWidget(automatic);
    for (const stowline::SupportedLanguage lang : stowline::allSupportedLanguages) {
        auto* button = new ChoiceButton(languageName(lang), choiceFont(), choiceHeight, 8);
        connect(button, &QAbstractButton::clicked, this, [this, lang] { appearance_.chooseLanguage(lang); });
        languages_.append(button);
        choices->addWidget(button);
    }
    choices->addStretch(1);
    language->addLayout(choices);
    content->addLayout(language);
    return content;
}

QVBoxLayout* SettingsSheet::formatsSection() {
    auto* content = new QVBoxLayout;
    content->setSpacing(12);
    const QFont pillFont = Fonts::mono(12.5, Fonts::Weight::medium);
    mhl_ = new ChoiceButton(QStringLiteral(".mhl"), pillFont, choiceHeight, choiceHeight / 2.0);
    text_ = new ChoiceButton(QStringLiteral(".txt"), pillFont, choiceHeight, choiceHeight / 2.0);
    pdf_ = new ChoiceButton(QStringLiteral(".pdf"), pillFont, choiceHeight, choiceHeight / 2.0);
    connect(mhl_, &QAbstractButton::clicked, this, [this] { appearance_.toggleMHL(); });
    connect(text_, &QAbstractButton::clicked, this, [this] { appearance_.toggleText(); });
    connect(pdf_, &QAbstractButton::clicked, this, [this] { appearance_.togglePDF(); });
    ascMhl_ = new ChoiceButton(QStringLiteral("ascmhl"), pillFont, choiceHeight, choiceHeight / 2.0);
    connect(ascMhl_, &QAbstractButton::clicked, this, [this] { appearance_.toggleAscMhl(); });
    auto* pills = row(8);
    pills->addWidget(mhl_);
    pills->addWidget(text_);
    pills->addWidget(pdf_);
    pills->addWidget(ascMhl_);
    pills->addStretch(1);
    content->addLayout(pills);

    auto* legend = new QVBoxLayout;
    legend->setSpacing(3);
    for (const auto& [extension, key] : {std::pair{".mhl", "settings.reportformats.mhl_legend"},
                                         std::pair{".txt", "settings.reportformats.txt_legend"},
                                         std::pair{".pdf", "settings.reportformats.pdf_legend"},
                                         std::pair{"ascmhl", "settings.reportformats.ascmhl_legend"}}) {
        auto* line = row(8);
        auto* ext = new ThemedText(Fonts::mono(11), [](const Theme& t) { return t.mainText; });
        ext->setText(QString::fromLatin1(extension));
        ext->setFixedWidth(QFontMetrics(Fonts::mono(11)).horizontalAdvance(QStringLiteral("ascmhl")) + 2);
        line->addWidget(ext, 0, Qt::AlignTop);
        auto* text = new ThemedText(Fonts::sans(11.5), [](const Theme& t) { return t.grey; });
        text->setWrapping(2);
        texts_.append({text, QByteArray(key)});
        line->addWidget(text, 1);
        legend->addLayout(line);
    }
    content->addLayout(legend);

    // The history's optional hashes: each costs time in the one read, so none is on by default.
    auto* hashes = row(8);
    auto* label = new ThemedText(Fonts::sans(11.5), [](const Theme& t) { return t.grey; });
    texts_.append({label, "settings.reportformats.ascmhl_hashes"});
    hashes->addWidget(label, 0, Qt::AlignVCenter);
    for (const stowline::HashFormat format : ReportSettings::optionalAscMhlFormats) {
        const std::string_view name = stowline::toText(format);
        auto* button = new ChoiceButton(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())),
                                        Fonts::mono(11.5, Fonts::Weight::medium), 24, 12);
        connect(button, &QAbstractButton::clicked, this,
                [this, format] { appearance_.toggleAscMhlFormat(format); });
        ascMhlFormats_.append(button);
        hashes->addWidget(button);
    }
    hashes->addStretch(1);
    content->addLayout(hashes);
    warning_ = addText(content, "settings.reportformats.none_warning", warning);
    return content;
}

QVBoxLayout* SettingsSheet::paragraphs(std::initializer_list<const char*> keys) {
    auto* content = new QVBoxLayout;
    content->setSpacing(10);
    for (const char* key : keys) {
        addText(content, key, paragraph);
    }
    return content;
}

QVBoxLayout* SettingsSheet::updatesSection() {
    auto* content = new QVBoxLayout;
    content->setSpacing(10);
    addText(content, nullptr, plain)->setObjectName(QStringLiteral("version"));
    autoUpdate_ = new QCheckBox;
    autoUpdate_->setFont(Fonts::sans(13));
    autoUpdate_->setChecked(UpdateSettings::checksAutomatically());
    connect(autoUpdate_, &QCheckBox::toggled, this, [this](bool on) {
        UpdateSettings::setChecksAutomatically(on);
        unsaved_->setVisible(Preferences::cannotSave());
    });
    content->addWidget(autoUpdate_);
    auto* check = row(12);
    checkNow_ = new OutlineButton(QString(), 28, 14, 12);
    // Update checks do not exist yet: the button is shown for what is coming and never acts.
    checkNow_->setEnabled(false);
    check->addWidget(checkNow_);
    auto* soon = new ThemedText(Fonts::sans(11.5), [](const Theme& t) { return t.midGrey; });
    texts_.append({soon, "settings.updates.soon"});
    check->addWidget(soon, 1, Qt::AlignVCenter);
    content->addLayout(check);
    return content;
}

void SettingsSheet::syncFromAppearance() {
    dark_->setSelected(!appearance_.isLight());
    light_->setSelected(appearance_.isLight());
    const auto chosen = appearance_.languageOverride();
    languages_[0]->setSelected(!chosen);
    for (size_t i = 0; i < stowline::allSupportedLanguages.size(); ++i) {
        languages_[static_cast<int>(i) + 1]->setSelected(chosen == stowline::allSupportedLanguages[i]);
    }
    mhl_->setSelected(appearance_.writesMHL());
    mhl_->setSymbol(appearance_.writesMHL() ? QStringLiteral("checkmark") : QStringLiteral("xmark"));
    text_->setSelected(appearance_.writesText());
    text_->setSymbol(appearance_.writesText() ? QStringLiteral("checkmark") : QStringLiteral("xmark"));
    pdf_->setSelected(appearance_.writesPDF());
    pdf_->setSymbol(appearance_.writesPDF() ? QStringLiteral("checkmark") : QStringLiteral("xmark"));
    ascMhl_->setSelected(appearance_.writesAscMhl());
    ascMhl_->setSymbol(appearance_.writesAscMhl() ? QStringLiteral("checkmark") : QStringLiteral("xmark"));
    for (std::size_t i = 0; i < ReportSettings::optionalAscMhlFormats.size(); ++i) {
        ChoiceButton* button = ascMhlFormats_[static_cast<int>(i)];
        button->setSelected(appearance_.ascMhlFormats().contains(ReportSettings::optionalAscMhlFormats[i]));
        button->setEnabled(appearance_.writesAscMhl());
    }
    warning_->setVisible(!appearance_.writesMHL() && !appearance_.writesText() && !appearance_.writesPDF() &&
                         !appearance_.writesAscMhl());
    unsaved_->setVisible(Preferences::cannotSave());
}

void SettingsSheet::retranslate() {
    scroll_->setAccessibleName(L10n::t("settings.title")); // arrows scroll the explanations
    for (const auto& [text, key] : std::as_const(texts_)) {
        text->setText(L10n::t(key.constData()));
    }
    if (auto* version = findChild<ThemedText*>(QStringLiteral("version"))) {
        version->setText(L10n::t("settings.updates.current", {AppInfo::version()}));
    }
    close_->setText(L10n::t("settings.close"));
    dark_->setText(L10n::t("settings.appearance.dark"));
    light_->setText(L10n::t("settings.appearance.light"));
    languages_[0]->setText(L10n::t("settings.language.auto"));
    autoUpdate_->setText(L10n::t("settings.updates.auto"));
    checkNow_->setText(L10n::t("settings.updates.check"));
    for (QAbstractButton* b :
         {static_cast<QAbstractButton*>(close_), static_cast<QAbstractButton*>(dark_),
          static_cast<QAbstractButton*>(light_), static_cast<QAbstractButton*>(languages_[0]),
          static_cast<QAbstractButton*>(checkNow_)}) {
        b->updateGeometry();
    }
    setWindowTitle(L10n::t("settings.title"));
}

#pragma once
#include "stowline/SupportedLanguage.h"

#include <QLocale>
#include <QPageSize>

/// The paper a report is laid out on.
namespace PdfPaper {

/// The paper of the user's own locale when it speaks the report's language (Letter where
/// US customary measures are used, else A4); otherwise the language's usual paper: A4 for
/// Portuguese, Letter for English. Any thread.
[[nodiscard]] QPageSize forLanguage(stowline::SupportedLanguage language,
                                    const QLocale& userLocale = QLocale::system());

} // namespace PdfPaper

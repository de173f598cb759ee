#include "report/PdfPaper.h"

namespace PdfPaper {

QPageSize forLanguage(stowline::SupportedLanguage language, const QLocale& userLocale) {
    const bool english = language == stowline::SupportedLanguage::en;
    const QLocale::Language spoken = english ? QLocale::English : QLocale::Portuguese;
    if (userLocale.language() == spoken) {
        return QPageSize(userLocale.measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                                     : QPageSize::A4);
    }
    return QPageSize(english ? QPageSize::Letter : QPageSize::A4);
}

} // namespace PdfPaper

#include "ui/program/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace sorvek {
namespace {

// The texts Qt 6 asks for that its Japanese translation does not hold: the type column of the
// file dialog names folders and drives through a context the translation predates.
class MissingQtTexts : public QTranslator {
  public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char* /*disambiguation*/,
                      int /*n*/) const override {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0) return {};
        static const struct {
            const char* source;
            const char16_t* japanese;
        } kTexts[] = {
            {"Folder", u"フォルダー"}, {"File Folder", u"ファイル フォルダー"},
            {"Drive", u"ドライブ"},    {"Shortcut", u"ショートカット"},
            {"Alias", u"エイリアス"},  {"Unknown", u"不明"},
        };
        for (const auto& text : kTexts) {
            if (qstrcmp(sourceText, text.source) == 0) return QString::fromUtf16(text.japanese);
        }
        return {};
    }
};

}  // namespace

bool installQtTranslation(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                          QStringLiteral("_"), folder) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(new MissingQtTexts(&app));
    return true;
}

}  // namespace sorvek

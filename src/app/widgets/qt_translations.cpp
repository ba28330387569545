#include "app/widgets/qt_translations.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>
#include <cstring>
#include <memory>

namespace velmora::app {
namespace {

// The file dialogs' type column: Qt 6 moved these texts to a context its
// Chinese translation does not have yet.
class FileTypeTexts final : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* source, const char* /*disambiguation*/,
                      int /*n*/) const override {
        if (context == nullptr || source == nullptr ||
            std::strcmp(context, "QAbstractFileIconProvider") != 0) {
            return {};
        }
        static const std::pair<const char*, const char*> texts[] = {{"Drive", "驱动器"},
                                                                    {"Folder", "文件夹"},
                                                                    {"File", "文件"},
                                                                    {"Shortcut", "快捷方式"},
                                                                    {"Unknown", "未知"}};
        for (const auto& [english, chinese] : texts) {
            if (std::strcmp(source, english) == 0) return QString::fromUtf8(chinese);
        }
        return {};
    }

    bool isEmpty() const override { return false; }
};

}  // namespace

bool load_qt_translations(QCoreApplication& app, const QString& program_dir) {
    // Dates in the file dialogs and the types of files (from the desktop's
    // MIME database) follow the default locale: the program's, not the
    // session's.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    QCoreApplication::installTranslator(new FileTypeTexts(&app));
    // Lives as long as the application: Qt asks it for every text it shows.
    auto translator = std::make_unique<QTranslator>(&app);
    const QString folders[] = {program_dir + "/translations",
                               QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
    for (const QString& folder : folders) {
        if (translator->load(QStringLiteral("qtbase_zh_CN"), folder)) {
            QCoreApplication::installTranslator(translator.release());
            return true;
        }
    }
    std::fputs(
        "velmora: Qt's Chinese texts (qtbase_zh_CN.qm) were not found; "
        "its standard dialogs stay in English\n",
        stderr);
    return false;
}

}  // namespace velmora::app

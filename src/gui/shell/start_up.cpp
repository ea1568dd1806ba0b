#include "gui/shell/start_up.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>

namespace nodewise {

QTranslator* InstallQtItalianTexts() {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_it"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

QString StartupNetworkFile(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Calcoli di load flow su reti elettriche fino a sette nodi."));
    // Qt's own options, with Italian descriptions (Qt's translation has none for them).
    parser.addOption(QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Mostra questo aiuto ed esce.")));
    parser.addOption(QCommandLineOption({QStringLiteral("v"), QStringLiteral("version")},
                                        QStringLiteral("Mostra la versione ed esce.")));
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("Un file dati di rete (.nwd) da aprire all'avvio."),
                                 QStringLiteral("[file.nwd]"));
    parser.process(arguments); // unknown options end the program here
    if (parser.isSet(QStringLiteral("help"))) {
        parser.showHelp(EXIT_SUCCESS);
    }
    if (parser.isSet(QStringLiteral("version"))) {
        parser.showVersion();
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        std::fprintf(stderr, "%s\n",
                     qPrintable(QStringLiteral("%1: un solo file .nwd alla volta")
                                    .arg(QCoreApplication::applicationName())));
        std::exit(EXIT_FAILURE);
    }
    return files.isEmpty() ? QString() : files.constFirst();
}

} // namespace nodewise

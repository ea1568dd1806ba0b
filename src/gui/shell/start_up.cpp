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
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("Un file dati di rete (.nwd) da aprire all'avvio."),
                                 QStringLiteral("[file.nwd]"));
    parser.process(arguments); // --help, --version and unknown options end the program here
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

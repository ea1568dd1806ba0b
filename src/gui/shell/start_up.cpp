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

namespace {

[[noreturn]] void Refuse(const QString& problem) {
    std::fprintf(
        stderr, "%s\n",
        qPrintable(QStringLiteral("%1: %2").arg(QCoreApplication::applicationName(), problem)));
    std::exit(EXIT_FAILURE);
}

} // namespace

bool AsksForStudy(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--") {
            return false;
        }
        if (argument == "--export-study" || argument.startsWith("--export-study=")) {
            return true;
        }
    }
    return false;
}

QString StartupNetworkFile(const QStringList& arguments) {
    return ParseStartupCommand(arguments).networkFile;
}

StartupCommand ParseStartupCommand(const QStringList& arguments) {
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
    const QCommandLineOption study(
        QStringLiteral("export-study"),
        QStringLiteral("Scrive lo studio della rete in PDF, senza finestre, ed esce."),
        QStringLiteral("rete.nwd"));
    const QCommandLineOption output(QStringLiteral("output"),
                                    QStringLiteral("Il file PDF dello studio."),
                                    QStringLiteral("studio.pdf"));
    const QCommandLineOption method(
        QStringLiteral("method"),
        QStringLiteral("Il metodo dello studio: gauss, newton o stott (senza: tutti e tre)."),
        QStringLiteral("metodo"));
    const QCommandLineOption iterations(QStringLiteral("iterations"),
                                        QStringLiteral("Il numero di iterazioni (20 se manca)."),
                                        QStringLiteral("N"));
    const QCommandLineOption history(QStringLiteral("history"),
                                     QStringLiteral("Lo studio riporta tutte le iterazioni."));
    parser.addOptions({study, output, method, iterations, history});
    parser.process(arguments); // unknown options end the program here
    if (parser.isSet(QStringLiteral("help"))) {
        parser.showHelp(EXIT_SUCCESS);
    }
    if (parser.isSet(QStringLiteral("version"))) {
        parser.showVersion();
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        Refuse(QStringLiteral("un solo file .nwd alla volta"));
    }
    StartupCommand command;
    command.networkFile = files.isEmpty() ? QString() : files.constFirst();
    command.exportStudy = parser.isSet(study);
    if (!command.exportStudy) {
        for (const QCommandLineOption* option : {&output, &method, &iterations, &history}) {
            if (parser.isSet(*option)) {
                Refuse(QStringLiteral("--%1 va con --export-study").arg(option->names().first()));
            }
        }
        return command;
    }
    if (!command.networkFile.isEmpty()) {
        Refuse(QStringLiteral("--export-study prende la rete come suo valore"));
    }
    command.networkFile = parser.value(study);
    command.output = parser.value(output);
    if (command.output.isEmpty()) {
        Refuse(QStringLiteral("--export-study vuole --output studio.pdf"));
    }
    command.method = parser.value(method);
    if (!command.method.isEmpty() && command.method != QLatin1String("gauss") &&
        command.method != QLatin1String("newton") && command.method != QLatin1String("stott")) {
        Refuse(
            QStringLiteral("metodo sconosciuto '%1' (gauss, newton o stott)").arg(command.method));
    }
    if (parser.isSet(iterations)) {
        command.iterations = parser.value(iterations);
    }
    command.history = parser.isSet(history);
    return command;
}

} // namespace nodewise

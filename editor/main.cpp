// draskel1.0, the stage editor.
//
//   draskel1.0 [STAGE-FILE]
// opens every stage of STAGE-FILE for editing; with none, one empty stage.
//
// A hidden option for checking the window without a desktop:
//   draskel1.0 --screenshot OUT.png [STAGE.dat]
// shows the window (with the first stage of STAGE.dat, if given), saves a
// picture of it to OUT.png and ends.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSocketNotifier>
#include <QStringList>
#include <QTranslator>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "editor/chip_strip.h"
#include "editor/editor_window.h"

namespace {

constexpr const char* kUsage =
    "usage: draskel1.0 [STAGE-FILE]\n"
    "The stage editor of VORNE. With STAGE-FILE, every stage of the file is opened\n"
    "for editing (PageDown and PageUp move between them, Ctrl+S saves the file in\n"
    "place); without it, one empty stage.\n"
    "  --help      show this text and exit\n"
    "  --version   show the version and exit\n";

// Ending signals (a logout, kill, Ctrl+C in a terminal) close the window as
// its close button would, so unsaved work is kept and a try's game ends: the
// handler only writes a byte that the event loop reads.
int signal_pipe[2] = {-1, -1};

void on_ending_signal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signal_pipe[1], &byte, 1);
}

void close_on_ending_signals(QWidget& window) {
    if (::pipe2(signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(signal_pipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char byte;
        while (::read(signal_pipe[0], &byte, 1) > 0) {
        }
        window.close();
    });
    struct sigaction action {};
    action.sa_handler = on_ending_signal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    // These need no window, nor a desktop to show one on.
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("draskel1.0 %s\n", VORNE_VERSION);
        return 0;
    }
    QApplication app(argc, argv);
    // Where QSettings keeps the editor's few choices (the stage list shown).
    QCoreApplication::setOrganizationName(QStringLiteral("vorne"));
    QCoreApplication::setApplicationName(QStringLiteral("draskel1.0"));
    // The window's own texts follow the desktop's language (Japanese or
    // English); Qt's dialogs too, where Qt's translations are installed. The
    // texts the stage file rules give, shared with the game's check, stay
    // English.
    QTranslator own;
    if (own.load(QLocale(), QStringLiteral("draskel"), QStringLiteral("_"),
                 QStringLiteral(":/i18n")))
        QCoreApplication::installTranslator(&own);
    QTranslator qt;
    if (qt.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qt);

    QStringList problems;
    QImage strip = vorne::editor::compose_chip_strip(
        QCoreApplication::applicationDirPath() + QStringLiteral("/sheets"), &problems);
    for (const QString& problem : problems) {
        std::fprintf(stderr, "draskel1.0: %s\n", qPrintable(problem));
    }

    vorne::editor::EditorWindow window(std::move(strip));
    window.set_recovery_file(QString::fromLocal8Bit(vorne::editor::recovery_file(
        vorne::editor::recovery_folder(std::getenv("XDG_STATE_HOME"), std::getenv("HOME")))));
    window.show();
    close_on_ending_signals(window);

    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() >= 3 && arguments[1] == QStringLiteral("--screenshot")) {
        window.set_error_reporter([](QWidget*, const QString& message) {
            std::fprintf(stderr, "draskel1.0: %s\n", qPrintable(message));
        });
        if (arguments.size() >= 4 && !window.load_file(arguments[3])) return 1;
        window.redraw_tick();
        QCoreApplication::processEvents();
        if (!window.grab().save(arguments[2])) {
            std::fprintf(stderr, "draskel1.0: cannot write %s\n", qPrintable(arguments[2]));
            return 1;
        }
        return 0;
    }
    if (arguments.size() >= 2) {
        if (arguments[1].startsWith(QLatin1Char('-')) && arguments[1] != QStringLiteral("-")) {
            std::fprintf(stderr, "draskel1.0: unknown option %s\n%s", qPrintable(arguments[1]),
                         kUsage);
            return 2;
        }
        // A file that cannot be opened is reported in the window, which
        // then edits one empty stage.
        window.open_stage_file(arguments[1]);
    }
    window.offer_recovery();
    return app.exec();
}

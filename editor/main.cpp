// draskel1.0, the stage editor.
//
// A hidden option for checking the window without a desktop:
//   draskel1.0 --screenshot OUT.png [STAGE.dat]
// shows the window (with the first stage of STAGE.dat, if given), saves a
// picture of it to OUT.png and ends.
#include <QApplication>
#include <QStringList>

#include <cstdio>

#include "editor/chip_strip.h"
#include "editor/editor_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);

    QStringList problems;
    QImage strip = vorne::editor::compose_chip_strip(
        QCoreApplication::applicationDirPath() + QStringLiteral("/sheets"), &problems);
    for (const QString& problem : problems) {
        std::fprintf(stderr, "draskel1.0: %s\n", qPrintable(problem));
    }

    vorne::editor::EditorWindow window(std::move(strip));
    window.show();

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
    return app.exec();
}

// The editor window driven through Qt Test on the offscreen platform: mouse
// painting, picking and the fills, the chip strip and its keys, the size
// bars, the commands and their failures, undo and redo, the shortcuts, trying
// the stage in the game, and the check after a save.
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUndoStack>
#include <QWindow>
#include <QtTest>

#include <memory>

#include "editor/chip_strip.h"
#include "editor/editor_window.h"
#include "editor/play_stage.h"
#include "game/platform/single_instance.h"

using namespace vorne::editor;

namespace {

// A strip of solid chips, one colour each, so every copied block tells
// which chip it came from.
QRgb chip_colour(int index) {
    return qRgb(10 + index * 15, 250 - index * 15, (index * 37) % 256);
}

QImage solid_strip() {
    QImage strip(kStripWidth, kStripHeight, QImage::Format_RGB32);
    for (int x = 0; x < kStripWidth; ++x) {
        for (int y = 0; y < kStripHeight; ++y)
            strip.setPixel(x, y, chip_colour(x / 20));
    }
    return strip;
}

void write_file(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray read_file(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

// Saves a sheet of the given size, white everywhere except the listed
// rectangles, which get their colours.
void write_sheet(const QString& path, QSize size, QRgb ground,
                 std::initializer_list<std::pair<QRect, QRgb>> areas) {
    QImage sheet(size, QImage::Format_RGB32);
    sheet.fill(ground);
    for (const auto& [area, colour] : areas) {
        for (int x = area.left(); x <= area.right(); ++x) {
            for (int y = area.top(); y <= area.bottom(); ++y)
                sheet.setPixel(x, y, colour);
        }
    }
    QVERIFY(sheet.save(path));
}

// A game process that starts nothing and records what it was asked.
struct StubGame : GameProcess {
    bool start(const QString& p, const QStringList& a, QString& error) override {
        if (!refuse.isEmpty()) {
            error = refuse;
            return false;
        }
        program = p;
        arguments = a;
        ++starts;
        is_running = true;
        return true;
    }
    bool running() const override { return is_running; }
    void stop() override {
        ++stops;
        end();
    }
    void end() {
        is_running = false;
        if (on_finished) on_finished();
    }
    QString program;
    QStringList arguments;
    QString refuse;
    int starts = 0;
    int stops = 0;
    bool is_running = false;
};

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

  private slots:
    // The editor's remembered choices go to a test folder, not the user's.
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init() {
        window_ = std::make_unique<EditorWindow>(solid_strip());
        questions_.clear();
        window_->set_asker([this](QWidget*, const QString& m) {
            questions_ << m;
            return answer_;
        });
        window_->set_recovery_file(state_.filePath(QStringLiteral("draskel/recovery.txt")));
        errors_.clear();
        findings_.clear();
        chosen_.clear();
        dialogs_.clear();
        window_->set_error_reporter([this](QWidget*, const QString& m) { errors_ << m; });
        window_->set_findings_reporter([this](QWidget*, const QString& m) { findings_ << m; });
        window_->set_file_chooser([this](QWidget*, FileDialogKind kind) {
            dialogs_ << kind;
            return chosen_;
        });
        // No test starts a real game.
        auto game = std::make_unique<StubGame>();
        game->refuse = QStringLiteral("a test started the game");
        window_->set_game_process(std::move(game));
        window_->show();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        window_->redraw_tick();
        main_ = window_->findChild<QWidget*>(QStringLiteral("main"));
        chipbox_ = window_->findChild<QWidget*>(QStringLiteral("chipbox"));
        timer_ = window_->findChild<QTimer*>(QStringLiteral("Timer1"));
        QVERIFY(main_ && chipbox_ && timer_);
    }
    void cleanup() {
        window_.reset();
        QFile::remove(state_.filePath(QStringLiteral("draskel/recovery.txt")));
    }

    void a_stage_file_is_edited_and_saved_as_a_whole() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("map.dat"));
        QVERIFY(QFile::copy(QStringLiteral(VORNE_TEST_SOURCE_DIR "/assets/map.dat"), path));
        const QByteArray original = read_file(path);
        QVERIFY(window_->open_stage_file(path));
        QCOMPARE(caption(), QStringLiteral("VORNE専用マップエディタ ver1.0 - map.dat 1/10"));
        const auto* list = window_->findChild<QWidget*>(QStringLiteral("stage_list"));
        QVERIFY(list && list->isVisible());
        QCOMPARE(window_->width(), kCanvasRegionWidth + kStageListWidth);

        QTest::keyClick(window_.get(), Qt::Key_PageDown);
        QTest::keyClick(window_.get(), Qt::Key_PageDown);
        QCOMPARE(caption(), QStringLiteral("VORNE専用マップエディタ ver1.0 - map.dat 3/10"));
        const StageState third = window_->model().state();
        pick_chip(3);  // "d"
        press(Qt::LeftButton, QPoint(25, 25));
        QTest::mouseRelease(main_, Qt::LeftButton, {}, QPoint(25, 25));
        QCOMPARE(cell(2, 2), std::string("d"));
        QVERIFY(caption().endsWith(QLatin1Char('*')));
        // Moving away and back keeps the edit.
        QTest::keyClick(window_.get(), Qt::Key_PageUp);
        QCOMPARE(window_->model().state(), window_->document()->stage(1));
        QTest::keyClick(window_.get(), Qt::Key_PageDown);
        QCOMPARE(cell(2, 2), std::string("d"));

        // Ctrl+S writes the file in place: ten stages, the others unchanged.
        QTest::keyClick(window_.get(), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(errors_.isEmpty());
        QVERIFY(dialogs_.isEmpty());
        QVERIFY(!caption().endsWith(QLatin1Char('*')));
        StageDocument saved;
        std::string error;
        QVERIFY(saved.open(QFile::encodeName(path).toStdString(), error));
        QCOMPARE(saved.stage_count(), 10);
        QCOMPARE(saved.stage(2).edit_grid[2][2], std::string("d"));
        StageDocument before;
        QVERIFY(before.open_bytes("map.dat", original.toStdString(), error));
        for (size_t i = 0; i < 10; ++i) {
            if (i != 2)
                QCOMPARE(*saved.snapshot().stages[i].original,
                         *before.snapshot().stages[i].original);
        }

        // The order of the file: each change one step that undo takes back,
        // showing the stage it was made on.
        window_->insert_stage();
        QCOMPARE(caption(), QStringLiteral("VORNE専用マップエディタ ver1.0 - map.dat 4/11*"));
        window_->move_stage_up();
        window_->delete_stage();
        QCOMPARE(window_->document()->stage_count(), 10);
        QCOMPARE(caption(), QStringLiteral("VORNE専用マップエディタ ver1.0 - map.dat 3/10*"));
        QCOMPARE(cell(2, 2), std::string("d"));
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(window_->document()->stage_count(), 10);
        QVERIFY(!caption().endsWith(QLatin1Char('*')));
        QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);  // the painted coin
        QCOMPARE(caption(), QStringLiteral("VORNE専用マップエディタ ver1.0 - map.dat 3/10*"));
        QCOMPARE(cell(2, 2), third.edit_grid[2][2]);
    }

    void a_try_that_clears_its_stage_leaves_its_proof() {
        QTemporaryDir dir;
        const QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        const QString path = dir.filePath(QStringLiteral("map.dat"));
        QVERIFY(QFile::copy(QStringLiteral(VORNE_TEST_SOURCE_DIR "/assets/map.dat"), path));
        QVERIFY(window_->open_stage_file(path));
        window_->set_play_folder(dir.path());
        window_->set_game_program(QStringLiteral(VORNE_TEST_BIN_DIR "/vorne1.0"));
        auto owned = std::make_unique<StubGame>();
        StubGame* game = owned.get();
        window_->set_game_process(std::move(owned));
        QTest::keyClick(window_.get(), Qt::Key_PageDown);
        QTest::keyClick(window_.get(), Qt::Key_PageDown);

        // A try that ends before the stage is cleared keeps nothing; one
        // that clears it (here the bundled proof of stage 3 played by the
        // stub) becomes the stage's proof, which the list shows.
        const auto try_with = [&](const QString& recording) {
            window_->play();
            const QStringList& a = game->arguments;
            const qsizetype at = a.indexOf(QStringLiteral("--record"));
            QVERIFY(at > 0);
            QFile::remove(a[at + 1]);
            QVERIFY(QFile::copy(recording, a[at + 1]));
            game->end();
        };
        const QString proof = path + QStringLiteral(".proofs/stage-03.txt");
        try_with(QStringLiteral(VORNE_TEST_SOURCE_DIR "/assets/map.dat.proofs/stage-01.txt"));
        QVERIFY(!QFile::exists(proof));
        QVERIFY2(window_->status_text().contains(QStringLiteral("did not clear stage 3")),
                 qPrintable(window_->status_text()));
        try_with(QStringLiteral(VORNE_TEST_SOURCE_DIR "/assets/map.dat.proofs/stage-03.txt"));
        QVERIFY2(QFile::exists(proof), qPrintable(window_->status_text()));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("map.dat")});
        const auto* entries = window_->findChild<QListWidget*>(QStringLiteral("stages"));
        QVERIFY(entries->item(2)->text().endsWith(QStringLiteral("proven")));
        QVERIFY(window_->status_text().contains(QStringLiteral("proof \u2713")));
        // Editing the stage makes its proof stale; undoing it, fit again.
        pick_chip(3);
        press(Qt::LeftButton, QPoint(25, 25));
        QTest::mouseRelease(main_, Qt::LeftButton, {}, QPoint(25, 25));
        window_->redraw_tick();
        QVERIFY(entries->item(2)->text().endsWith(QStringLiteral("proof stale")));
        QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);
        window_->redraw_tick();
        QVERIFY(entries->item(2)->text().endsWith(QStringLiteral("proven")));
        qunsetenv("XDG_RUNTIME_DIR");
    }

    void the_solver_s_way_becomes_the_proof() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("room.dat"));
        write_file(path, "5\r\naaaaaaaa\r\nabzdzzza\r\naaaazzza\r\nadzzzdfa\r\naaaaaaaa\r\n");
        QVERIFY(window_->open_stage_file(path));
        window_->set_play_folder(dir.path());
        window_->set_game_program(QStringLiteral(VORNE_TEST_BIN_DIR "/vorne1.0"));
        QTest::keyClick(window_.get(), Qt::Key_F5, Qt::ControlModifier);
        QVERIFY2(window_->status_text().contains(QStringLiteral("solved in")),
                 qPrintable(window_->status_text()));
        QVERIFY(QFile::exists(path + QStringLiteral(".proofs/stage-01.txt")));
        QVERIFY(window_->status_text().contains(QStringLiteral("proof \u2713")));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("room.dat")});
        QVERIFY(errors_.isEmpty());
    }

    void saving_alone_over_several_stages_asks_and_a_quit_keeps_unsaved_work() {
        QTemporaryDir dir;
        chosen_ = dir.filePath(QStringLiteral("two.dat"));
        window_->tantaisave();
        window_->tuikasave();
        QVERIFY(questions_.isEmpty());  // a new file, then an append
        answer_ = false;
        window_->tantaisave();
        QCOMPARE(questions_.size(), 1);
        QVERIFY2(questions_[0].contains(QStringLiteral("2 stages")), qPrintable(questions_[0]));
        QCOMPARE(read_file(chosen_).count("10\r\n"), 2);  // kept
        answer_ = true;
        window_->tantaisave();
        QCOMPARE(read_file(chosen_).count("10\r\n"), 1);

        // Quitting asks nothing; the unsaved stage is kept and offered back.
        pick_chip(3);  // "d"
        press(Qt::LeftButton, QPoint(65, 65));
        QTest::mouseRelease(main_, Qt::LeftButton, {}, QPoint(65, 65));
        QVERIFY(caption().endsWith(QLatin1Char('*')));
        const QString recovery = window_->recovery_file();
        QVERIFY(!QFile::exists(recovery));
        window_->owari();
        QCOMPARE(questions_.size(), 2);
        QVERIFY(QFile::exists(recovery));
        StageModel framed = window_->model();
        framed.update_frame();
        const StageState quit_with = framed.state();

        init();
        answer_ = true;
        window_->offer_recovery();
        QCOMPARE(questions_.size(), 1);
        QCOMPARE(window_->model().state(), quit_with);
        QVERIFY(caption().endsWith(QLatin1Char('*')));
        QVERIFY(!QFile::exists(recovery));
        // A quit with nothing unsaved keeps nothing.
        chosen_ = dir.filePath(QStringLiteral("two.dat"));
        window_->tantaisave();
        window_->owari();
        QVERIFY(!QFile::exists(recovery));
    }

    void left_drag_paints_every_cell_passed() {
        pick_chip(3);  // "d"
        QCOMPARE(window_->model().selected_chip, std::string("d"));
        {
            const QSignalBlocker no_tick(timer_);
            press(Qt::LeftButton, QPoint(25, 25));
            for (int x = 30; x <= 170; x += 5)
                QTest::mouseMove(main_, QPoint(x, 25));
            for (int y = 30; y <= 170; y += 5)
                QTest::mouseMove(main_, QPoint(170, y));
            QTest::mouseRelease(main_, Qt::LeftButton, {}, QPoint(170, 170));
        }
        for (int x = 2; x <= 9; ++x)
            QCOMPARE(cell(x, 2), std::string("d"));
        for (int y = 2; y <= 9; ++y)
            QCOMPARE(cell(9, y), std::string("d"));
        QCOMPARE(cell(2, 3), std::string("z"));
        QCOMPARE(cell(8, 9), std::string("z"));

        window_->redraw_tick();
        QCOMPARE(window_->canvas_image().pixel(4 * 20 + 5, 1 * 20 + 5), chip_colour(3));
        QCOMPARE(window_->canvas_image().pixel(4 * 20 + 5, 2 * 20 + 5), chip_colour(14));
    }

    void right_drag_erases_to_empty() {
        for (int x = 2; x <= 9; ++x)
            window_->model().cell(x, 5) = "c";
        {
            const QSignalBlocker no_tick(timer_);
            press(Qt::RightButton, QPoint(45, 85));
            for (int x = 50; x <= 130; x += 5)
                QTest::mouseMove(main_, QPoint(x, 85));
            QTest::mouseRelease(main_, Qt::RightButton, {}, QPoint(130, 85));
        }
        for (int x = 3; x <= 7; ++x)
            QCOMPARE(cell(x, 5), std::string("z"));
        QCOMPARE(cell(2, 5), std::string("c"));
        QCOMPARE(cell(8, 5), std::string("c"));
    }

    void pointer_beyond_the_canvas_paints_the_edge_cells() {
        pick_chip(10);  // "k"
        const QSignalBlocker no_tick(timer_);
        press(Qt::LeftButton, QPoint(50, 50));
        QTest::mouseMove(main_, QPoint(-30, 50));
        QCOMPARE(cell(1, 3), std::string("k"));
        QCOMPARE(window_->mainsen(), QPoint(0, 40));
        QTest::mouseMove(main_, QPoint(50, -40));
        QCOMPARE(cell(3, 1), std::string("k"));
        QTest::mouseMove(main_, QPoint(450, 130));
        QCOMPARE(cell(10, 7), std::string("k"));
        QTest::mouseMove(main_, QPoint(90, 330));
        QCOMPARE(cell(5, 10), std::string("k"));
        QCOMPARE(window_->mainsen(), QPoint(80, 180));
        QTest::mouseRelease(main_, Qt::LeftButton, {}, QPoint(90, 330));

        // The next tick walls the frame again.
        window_->redraw_tick();
        QCOMPARE(cell(1, 3), std::string("a"));
        QCOMPARE(cell(5, 10), std::string("a"));
    }

    void other_buttons_paint_nothing() {
        pick_chip(3);
        const QSignalBlocker no_tick(timer_);
        for (int x = 25; x <= 170; x += 5)
            QTest::mouseMove(main_, QPoint(x, 45));
        press(Qt::MiddleButton, QPoint(25, 65));
        for (int x = 25; x <= 170; x += 5)
            QTest::mouseMove(main_, QPoint(x, 65));
        QTest::mouseRelease(main_, Qt::MiddleButton, {}, QPoint(170, 65));
        QCOMPARE(window_->model().selected_chip, std::string("z"));  // it picks instead
        pick_chip(3);
        // Left, then right as well: only the left press paints.
        press(Qt::LeftButton, QPoint(25, 85));
        press(Qt::RightButton, QPoint(25, 85));
        for (int x = 30; x <= 170; x += 5)
            QTest::mouseMove(main_, QPoint(x, 85));
        QTest::mouseRelease(main_, Qt::RightButton, {}, QPoint(170, 85));
        QTest::mouseRelease(main_, Qt::LeftButton, {}, QPoint(170, 85));
        for (int x = 2; x <= 9; ++x) {
            QCOMPARE(cell(x, 3), std::string("z"));
            QCOMPARE(cell(x, 4), std::string("z"));
            QCOMPARE(cell(x, 5), std::string(x == 2 ? "d" : "z"));
        }
    }

    void press_paints_the_last_hovered_cell() {
        pick_chip(6);  // "g"
        window_->canvas_mouse_move(QPointF(65, 85), Qt::NoButton);
        QCOMPARE(cell(4, 5), std::string("z"));
        window_->canvas_mouse_press(Qt::LeftButton);
        QCOMPARE(cell(4, 5), std::string("g"));
        window_->canvas_mouse_press(Qt::RightButton);
        QCOMPARE(cell(4, 5), std::string("z"));
    }

    void middle_button_and_alt_left_pick_the_chip_under_the_pointer() {
        const QSignalBlocker no_tick(timer_);
        window_->model().cell(4, 3) = "k";
        window_->model().cell(5, 3) = "Q";
        window_->model().cell(6, 3) = "";
        press(Qt::MiddleButton, QPoint(65, 45));
        QTest::mouseRelease(main_, Qt::MiddleButton, {}, QPoint(65, 45));
        QCOMPARE(window_->model().selected_chip, std::string("k"));
        // The chip's own picture, where a strip click's is two pixels right.
        QCOMPARE(window_->preview().pixel(19, 10), chip_colour(10));
        // A foreign letter or the empty text picks nothing.
        for (const int x : {85, 105}) {
            press(Qt::MiddleButton, QPoint(x, 45));
            QTest::mouseRelease(main_, Qt::MiddleButton, {}, QPoint(x, 45));
        }
        QCOMPARE(window_->model().selected_chip, std::string("k"));

        // Alt with the left button picks the wall, and the drag paints nothing.
        QTest::mouseMove(main_, QPoint(5, 25));
        QTest::mousePress(main_, Qt::LeftButton, Qt::AltModifier, QPoint(5, 25));
        for (int x = 10; x <= 90; x += 5)
            QTest::mouseMove(main_, QPoint(x, 25));
        QTest::mouseRelease(main_, Qt::LeftButton, Qt::AltModifier, QPoint(90, 25));
        QCOMPARE(window_->model().selected_chip, std::string("a"));
        for (int x = 2; x <= 5; ++x)
            QCOMPARE(cell(x, 2), std::string("z"));
        QCOMPARE(window_->undo_stack()->count(), 0);
    }

    void shift_drag_fills_the_rectangle_on_release_as_one_step() {
        const QSignalBlocker no_tick(timer_);
        pick_chip(2);                             // "c"
        QTest::mouseMove(main_, QPoint(65, 45));  // cell (4, 3)
        QTest::mousePress(main_, Qt::LeftButton, Qt::ShiftModifier, QPoint(65, 45));
        QTest::mouseMove(main_, QPoint(45, 75));
        QTest::mouseMove(main_, QPoint(45, 105));  // cell (3, 6)
        QCOMPARE(window_->fill_outline(), QRect(40, 40, 40, 80));
        QCOMPARE(cell(3, 4), std::string("z"));  // nothing before the release
        QTest::mouseRelease(main_, Qt::LeftButton, Qt::ShiftModifier, QPoint(45, 105));
        QVERIFY(window_->fill_outline().isNull());
        QCOMPARE(cell(4, 3), std::string("c"));
        QCOMPARE(cell(3, 6), std::string("c"));
        QCOMPARE(cell(3, 7), std::string("z"));
        QCOMPARE(window_->undo_stack()->count(), 1);

        // Shift with the right button erases.
        QTest::mouseMove(main_, QPoint(85, 125));
        QTest::mousePress(main_, Qt::RightButton, Qt::ShiftModifier, QPoint(85, 125));
        QTest::mouseMove(main_, QPoint(65, 65));  // (5, 7) to (4, 4)
        QTest::mouseRelease(main_, Qt::RightButton, Qt::ShiftModifier, QPoint(65, 65));
        QCOMPARE(cell(4, 4), std::string("z"));
        QCOMPARE(cell(4, 3), std::string("c"));
        QCOMPARE(window_->undo_stack()->count(), 2);

        // Undo before the release drops the rectangle.
        QTest::mouseMove(main_, QPoint(125, 125));
        QTest::mousePress(main_, Qt::LeftButton, Qt::ShiftModifier, QPoint(125, 125));
        QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(window_->fill_outline().isNull());
        QTest::mouseMove(main_, QPoint(145, 145));
        QTest::mouseRelease(main_, Qt::LeftButton, Qt::ShiftModifier, QPoint(145, 145));
        QCOMPARE(cell(7, 7), std::string("z"));
        QCOMPARE(cell(8, 8), std::string("z"));
        QCOMPARE(cell(4, 4), std::string("c"));
    }

    void ctrl_click_fills_the_joined_area_as_one_step() {
        const QSignalBlocker no_tick(timer_);
        for (int y = 2; y <= 9; ++y)
            window_->model().cell(6, y) = "c";  // a ladder splits the inside in two
        pick_chip(3);                           // "d"
        const auto ctrl_click = [this](Qt::MouseButton button, QPoint at) {
            QTest::mouseMove(main_, at);
            QTest::mousePress(main_, button, Qt::ControlModifier, at);
            QTest::mouseMove(main_, QPoint(165, 165));  // paints nothing more
            QTest::mouseRelease(main_, button, Qt::ControlModifier, QPoint(165, 165));
        };
        ctrl_click(Qt::LeftButton, QPoint(45, 45));
        QCOMPARE(cell(2, 9), std::string("d"));
        QCOMPARE(cell(5, 2), std::string("d"));
        QCOMPARE(cell(7, 2), std::string("z"));
        QCOMPARE(cell(9, 9), std::string("z"));  // nor the cell the drag ended on
        ctrl_click(Qt::RightButton, QPoint(105, 45));
        QCOMPARE(cell(6, 9), std::string("z"));
        QCOMPARE(cell(5, 9), std::string("d"));
        // The frame alone changes: the next tick walls it again, no step.
        ctrl_click(Qt::LeftButton, QPoint(5, 5));
        QCOMPARE(cell(10, 10), std::string("d"));
        QCOMPARE(window_->undo_stack()->count(), 2);

        window_->undo_stack()->undo();
        QCOMPARE(cell(6, 5), std::string("c"));
        window_->undo_stack()->undo();
        QCOMPARE(cell(2, 2), std::string("z"));
    }

    void letter_keys_pick_chips_as_a_strip_click_does() {
        QTest::keyClick(window_.get(), Qt::Key_D);
        QCOMPARE(window_->model().selected_chip, std::string("d"));
        QCOMPARE(window_->preview().pixel(17, 5), chip_colour(3));
        QCOMPARE(window_->preview().pixel(18, 5), chip_colour(4));
        QTest::keyClick(window_.get(), Qt::Key_N, Qt::ShiftModifier);
        QCOMPARE(window_->model().selected_chip, std::string("n"));
        // No chip of its own, or Ctrl, Alt or Meta held: the choice stays.
        const std::pair<Qt::Key, Qt::KeyboardModifiers> others[] = {
            {Qt::Key_O, Qt::NoModifier},      {Qt::Key_B, Qt::ControlModifier},
            {Qt::Key_B, Qt::AltModifier},     {Qt::Key_B, Qt::MetaModifier},
            {Qt::Key_Z, Qt::ControlModifier},
        };
        for (const auto& [key, modifiers] : others)
            QTest::keyClick(window_.get(), key, modifiers);
        QCOMPARE(window_->model().selected_chip, std::string("n"));
        QTest::keyClick(window_.get(), Qt::Key_Z);
        QCOMPARE(window_->model().selected_chip, std::string("z"));
        QCOMPARE(window_->preview().pixel(18, 5), kOutsideStrip);
    }

    void size_bars_move_and_resize_the_canvas() {
        window_->canvas_mouse_move(QPointF(65, 85), Qt::NoButton);
        size_bar("HScroll1")->setValue(3);
        QCOMPARE(window_->mainsen(), QPoint(0, 0));
        // The change itself brings the next tick.
        QTRY_COMPARE(main_->geometry(), QRect(186, 100, 60, 200));
        QCOMPARE(window_->findChild<QLabel*>(QStringLiteral("Label2"))->text(),
                 QStringLiteral("横幅マス:3"));
        size_bar("HScroll2")->setValue(20);
        QTRY_COMPARE(main_->geometry(), QRect(186, 0, 60, 400));
        QCOMPARE(window_->findChild<QLabel*>(QStringLiteral("Label1"))->text(),
                 QStringLiteral("縦幅マス:20"));
        QCOMPARE(window_->canvas_image().size(), QSize(60, 400));
        QCOMPARE(window_->model().framed_width, 3);
        QCOMPARE(window_->model().framed_height, 20);
        QCOMPARE(cell(3, 20), std::string("a"));
        QVERIFY(!window_->tick_pending());  // nothing changes: no more ticks
    }

    void strip_picks_chips_and_previews_two_pixels_right() {
        QTest::mouseMove(chipbox_, QPoint(70, 10));
        QCOMPARE(window_->hover_chip(), 3);
        QCOMPARE(window_->chipboxsen(), QPoint(60, 0));
        QTest::mouseClick(chipbox_, Qt::LeftButton, {}, QPoint(70, 10));
        QCOMPARE(window_->model().selected_chip, std::string("d"));
        QCOMPARE(window_->preview().pixel(0, 0), chip_colour(3));
        QCOMPARE(window_->preview().pixel(17, 19), chip_colour(3));
        QCOMPARE(window_->preview().pixel(18, 0), chip_colour(4));

        // The empty chip's preview reaches two pixels past the strip picture.
        pick_chip(14);
        QCOMPARE(window_->model().selected_chip, std::string("z"));
        QCOMPARE(window_->preview().pixel(17, 5), chip_colour(14));
        QCOMPARE(window_->preview().pixel(18, 5), kOutsideStrip);

        // Past the fifteenth chip: the selection stays, the preview still changes.
        pick_chip(0);
        QTest::mouseMove(chipbox_, QPoint(301, 10));
        QCOMPARE(window_->hover_chip(), 15);
        QTest::mouseClick(chipbox_, Qt::LeftButton, {}, QPoint(301, 10));
        QCOMPARE(window_->model().selected_chip, std::string("a"));
        QCOMPARE(window_->preview().pixel(0, 0), kOutsideStrip);
        QCOMPARE(window_->preview().pixel(19, 19), kOutsideStrip);
    }

    void loaded_stage_sets_the_bars_and_draws_empty_cells_as_their_left_neighbour() {
        QTemporaryDir dir;
        chosen_ = dir.filePath(QStringLiteral("short.dat"));
        write_file(chosen_, "3\r\nadcab\r\nad\r\naaaaa\r\n");
        window_->rodo();
        QVERIFY(errors_.isEmpty());
        QCOMPARE(size_bar("HScroll1")->value(), 5);
        QCOMPARE(size_bar("HScroll2")->value(), 3);
        window_->redraw_tick();
        QCOMPARE(main_->geometry(), QRect(166, 170, 100, 60));
        QCOMPARE(cell(3, 2), std::string());
        const QImage& canvas = window_->canvas_image();
        QCOMPARE(canvas.pixel(2 * 20 + 5, 20 + 5), chip_colour(3));  // drawn as the "d" before it
        QCOMPARE(canvas.pixel(3 * 20 + 5, 20 + 5), chip_colour(3));
        QCOMPARE(canvas.pixel(4 * 20 + 5, 20 + 5), chip_colour(0));  // the frame

        // A file the editor cannot take is reported and changes nothing.
        QByteArray rows21 = "21\r\n";
        for (int i = 0; i < 21; ++i)
            rows21 += "aaa\r\n";
        chosen_ = dir.filePath(QStringLiteral("tall.dat"));
        write_file(chosen_, rows21);
        window_->rodo();
        QCOMPARE(errors_.size(), 1);
        QVERIFY2(errors_[0].contains(chosen_), qPrintable(errors_[0]));
        QCOMPARE(size_bar("HScroll2")->value(), 3);
        QCOMPARE(window_->model().stage_height, 3);
    }

    void saves_write_the_current_size_and_report_failures() {
        QTemporaryDir dir;
        // The size changed and no tick ran yet: the save frames the stage first.
        size_bar("HScroll1")->setValue(4);
        size_bar("HScroll2")->setValue(3);
        chosen_ = dir.filePath(QStringLiteral("map.dat"));
        window_->tantaisave();
        window_->tuikasave();
        QVERIFY(errors_.isEmpty());
        QCOMPARE(read_file(chosen_), QByteArray("3\r\naaaa\r\nazza\r\naaaa\r\n"
                                                "3\r\naaaa\r\nazza\r\naaaa\r\n"));

        // A cancelled dialog does nothing and says nothing.
        chosen_.clear();
        window_->tantaisave();
        window_->tuikasave();
        window_->rodo();
        QVERIFY(errors_.isEmpty());

        chosen_ = dir.filePath(QStringLiteral("missing/map.dat"));
        window_->tantaisave();
        window_->tuikasave();
        window_->rodo();
        QCOMPARE(errors_.size(), 3);
        for (const QString& error : errors_)
            QVERIFY2(error.contains(chosen_), qPrintable(error));
    }

    void strip_is_composed_from_the_sheets() {
        QTemporaryDir dir;
        const QRgb white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);
        const QRgb purple = qRgb(120, 60, 160), yellow = qRgb(255, 220, 0);
        write_sheet(dir.filePath(QStringLiteral("kabe.png")), {20, 20}, purple, {});
        // A coin whose sprite is the left half of its cell.
        write_sheet(dir.filePath(QStringLiteral("tc.png")), {20, 40}, white,
                    {{QRect(0, 0, 10, 20), yellow},
                     {QRect(0, 20, 20, 20), black},
                     {QRect(0, 20, 10, 20), white}});
        write_sheet(dir.filePath(QStringLiteral("t1c.png")), {20, 20}, white, {});  // too small
        QStringList problems;
        const QImage strip = compose_chip_strip(dir.path(), &problems);
        QCOMPARE(strip.size(), QSize(kStripWidth, kStripHeight));
        QCOMPARE(strip.pixel(7, 7), purple);
        QCOMPARE(strip.pixel(60 + 3, 12), yellow);
        QCOMPARE(strip.pixel(60 + 15, 12), kChipGround);
        QCOMPARE(strip.pixel(280 + 5, 5), kChipGround);
        // One line per unusable sheet, naming it and the chips drawn plain.
        QCOMPARE(problems.size(), 6);
        QVERIFY(problems.filter(QStringLiteral("kagic.png"))
                    .value(0)
                    .contains(QStringLiteral("k, l, m, n")));
        QVERIFY(problems.filter(QStringLiteral("t1c.png"))
                    .value(0)
                    .contains(QStringLiteral("too small")));

        problems.clear();
        const QImage plain = compose_chip_strip(dir.filePath(QStringLiteral("none")), &problems);
        QCOMPARE(plain.size(), QSize(kStripWidth, kStripHeight));
        QCOMPARE(problems.size(), 8);
    }

    void a_stroke_is_one_step_that_undo_and_redo_take_back_and_repeat() {
        QCOMPARE(caption(), QStringLiteral("VORNE専用マップエディタ ver1.0"));
        pick_chip(3);  // "d"
        press(Qt::LeftButton, QPoint(25, 25));
        QTest::mouseMove(main_, QPoint(65, 25));
        window_->redraw_tick();  // ticks run in the middle of a stroke
        QTest::mouseMove(main_, QPoint(85, 65));
        QTest::mouseRelease(main_, Qt::LeftButton, {}, QPoint(85, 65));
        press(Qt::LeftButton, QPoint(145, 145));
        QTest::mouseRelease(main_, Qt::LeftButton, {}, QPoint(145, 145));
        // Paint that the frame wipes, or the same letter again, is no step.
        press(Qt::LeftButton, QPoint(5, 65));
        QTest::mouseMove(main_, QPoint(145, 145));
        QTest::mouseRelease(main_, Qt::LeftButton, {}, QPoint(145, 145));
        QCOMPARE(window_->undo_stack()->count(), 2);
        QCOMPARE(caption(), QStringLiteral("VORNE専用マップエディタ ver1.0*"));

        QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(cell(8, 8), std::string("z"));
        QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE(cell(1, 4), std::string("a"));  // the tick frames it as usual
        for (int x = 2; x <= 9; ++x) {
            for (int y = 2; y <= 9; ++y)
                QCOMPARE(cell(x, y), std::string("z"));
        }
        QCOMPARE(caption(), QStringLiteral("VORNE専用マップエディタ ver1.0"));

        QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(cell(4, 2), std::string("d"));
        QCOMPARE(cell(5, 4), std::string("d"));
        QCOMPARE(cell(8, 8), std::string("z"));
        QTest::keyClick(window_.get(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(cell(8, 8), std::string("d"));

        // Undo in the middle of a stroke takes back what it painted so far.
        press(Qt::RightButton, QPoint(25, 25));
        QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(cell(2, 2), std::string("d"));
        QCOMPARE(cell(8, 8), std::string("d"));
    }

    void undoing_a_size_change_brings_back_the_size_and_the_stage() {
        window_->model().cell(8, 5) = "c";
        size_bar("HScroll1")->setValue(8);
        window_->redraw_tick();
        QCOMPARE(cell(8, 5), std::string("a"));

        QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(size_bar("HScroll1")->value(), 10);
        window_->redraw_tick();
        QCOMPARE(main_->width(), 200);
        QCOMPARE(cell(8, 5), std::string("c"));
        QCOMPARE(cell(10, 5), std::string("a"));
        QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        window_->redraw_tick();
        QCOMPARE(window_->findChild<QLabel*>(QStringLiteral("Label2"))->text(),
                 QStringLiteral("横幅マス:8"));
        QCOMPARE(cell(8, 5), std::string("a"));

        // One drag of a bar is one step; a drag back to where it began is none.
        QScrollBar* height = size_bar("HScroll2");
        const auto drag = [height](std::initializer_list<int> values) {
            height->setSliderDown(true);
            for (int value : values)
                height->setValue(value);
            height->setSliderDown(false);
        };
        drag({9, 7, 4});
        drag({6, 4});
        QCOMPARE(window_->undo_stack()->count(), 2);
        window_->undo_stack()->undo();
        QCOMPARE(height->value(), 10);
        QCOMPARE(window_->model().stage_width, 8);
    }

    void shortcuts_run_the_commands_of_the_buttons() {
        QTemporaryDir dir;
        chosen_ = dir.filePath(QStringLiteral("in.dat"));
        write_file(chosen_, "3\r\naaaa\r\nabda\r\naaaa\r\n");
        size_bar("HScroll1")->setValue(6);
        QTest::keyClick(window_.get(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(dialogs_, QList<FileDialogKind>{FileDialogKind::open});
        QCOMPARE(size_bar("HScroll1")->value(), 4);
        // A load leaves nothing unsaved, and is a step of its own.
        QVERIFY(!window_->isWindowModified());
        window_->undo_stack()->undo();
        QCOMPARE(size_bar("HScroll1")->value(), 6);
        QCOMPARE(cell(3, 2), std::string("z"));
        QVERIFY(window_->isWindowModified());
        window_->undo_stack()->redo();

        chosen_ = dir.filePath(QStringLiteral("out.dat"));
        QTest::keyClick(window_.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(dialogs_.back(), FileDialogKind::save_alone);
        QCOMPARE(read_file(chosen_), QByteArray("3\r\naaaa\r\nabda\r\naaaa\r\n"));

        QTest::keyClick(window_.get(), Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!window_->isVisible());
    }

    void play_writes_the_framed_stage_and_replaces_its_own_try() {
        QTemporaryDir dir;
        const QTemporaryDir runtime;  // the game's lock, which a test may hold
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        window_->set_play_folder(dir.path());
        auto owned = std::make_unique<StubGame>();
        StubGame* game = owned.get();
        window_->set_game_process(std::move(owned));
        window_->model().cell(3, 2) = "b";
        window_->model().cell(4, 2) = "d";  // on the frame once the stage is 4 wide
        size_bar("HScroll1")->setValue(4);
        size_bar("HScroll2")->setValue(3);
        QTest::keyClick(window_.get(), Qt::Key_F5);
        QCOMPARE(game->program,
                 QCoreApplication::applicationDirPath() + QStringLiteral("/vorne1.0"));
        const QStringList first = game->arguments;
        QCOMPARE(first.value(0), QStringLiteral("--map"));
        QCOMPARE(first.mid(2), QStringList({QStringLiteral("--stage"), QStringLiteral("1")}));
        QCOMPARE(QFileInfo(first.value(1)).dir(), QDir(dir.path()));
        QCOMPARE(read_file(first[1]), QByteArray("3\r\naaaa\r\nazba\r\naaaa\r\n"));

        // A second try ends the first and its file goes; so does the file of
        // a try whose game ended by itself.
        window_->play();
        QCOMPARE(game->stops, 1);
        QVERIFY(!QFile::exists(first[1]));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);
        game->end();
        QVERIFY(window_->try_file().isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 0);

        // A game the editor did not start is left alone, and said so.
        {
            const vorne::SingleInstance other(vorne::single_instance_lock_path());
            window_->play();
        }
        QCOMPARE(game->starts, 2);
        QCOMPARE(errors_.size(), 1);
        QVERIFY2(errors_[0].contains(QStringLiteral("already running")), qPrintable(errors_[0]));

        // A game that cannot start is reported; its stage file is not kept.
        game->refuse = QStringLiteral("no such game");
        window_->play();
        QCOMPARE(errors_.size(), 2);
        QVERIFY2(errors_[1].contains(QStringLiteral("no such game")), qPrintable(errors_[1]));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 0);
        qunsetenv("XDG_RUNTIME_DIR");
    }

    void a_real_game_process_starts_in_its_folder_and_is_stopped() {
        QTemporaryDir dir;
        const QString game = dir.filePath(QStringLiteral("vorne1.0"));
        QtGameProcess process;
        QString error;
        QVERIFY(!process.start(game, {}, error));
        QVERIFY2(error.contains(game), qPrintable(error));

        write_file(game, "#!/bin/sh\necho \"$@\" > started.txt\nexec sleep 30\n");
        QFile(game).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        int finished = 0;
        process.on_finished = [&finished] { ++finished; };
        QVERIFY2(process.start(game, {QStringLiteral("--map"), QStringLiteral("a b.dat")}, error),
                 qPrintable(error));
        QTRY_COMPARE(read_file(dir.filePath(QStringLiteral("started.txt"))),
                     QByteArray("--map a b.dat\n"));
        QVERIFY(process.running());
        process.stop();
        QVERIFY(!process.running());
        QCOMPARE(finished, 1);
    }

    void findings_of_the_saved_file_are_shown_after_a_save() {
        QTemporaryDir dir;
        chosen_ = dir.filePath(QStringLiteral("nodoor.dat"));
        window_->model().cell(3, 5) = "b";
        window_->model().cell(6, 5) = "d";
        window_->tantaisave();
        QCOMPARE(findings_.size(), 1);
        QVERIFY2(findings_[0].contains(chosen_), qPrintable(findings_[0]));
        QVERIFY2(findings_[0].contains(QStringLiteral("nodoor.dat: stage 1: no door")),
                 qPrintable(findings_[0]));
        QVERIFY(read_file(chosen_).startsWith("10\r\n"));  // saved all the same

        // A stage the game can play through adds nothing, but the whole file
        // is checked after an append.
        window_->model().cell(9, 5) = "f";
        window_->tuikasave();
        QCOMPARE(findings_.size(), 2);
        QVERIFY2(!findings_[1].contains(QStringLiteral("stage 2")), qPrintable(findings_[1]));
        chosen_ = dir.filePath(QStringLiteral("good.dat"));
        window_->tantaisave();
        QCOMPARE(findings_.size(), 2);
        QVERIFY(errors_.isEmpty());
    }

    void the_window_menu_offers_the_commands_but_not_over_the_canvas() {
        // Whatever menu opens is read and closed at once.
        QStringList shown;
        const auto open_menu = [&](QWidget* widget) {
            QTimer::singleShot(0, [&shown] {
                if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                    for (const QAction* action : menu->actions())
                        shown << action->text();
                    menu->close();
                }
            });
            QContextMenuEvent event(QContextMenuEvent::Mouse, {5, 5},
                                    widget->mapToGlobal(QPoint(5, 5)));
            QCoreApplication::sendEvent(widget, &event);
            QTest::qWait(10);
        };
        open_menu(main_);  // the right button erases there
        QVERIFY(shown.isEmpty());
        open_menu(window_->findChild<QLabel*>(QStringLiteral("Label3")));
        QVERIFY2(shown.contains(QStringLiteral("Try the stage in the game")),
                 qPrintable(shown.join(u',')));
    }

  private:
    // The caption the desktop shows.
    QString caption() const { return window_->windowHandle()->title(); }
    QScrollBar* size_bar(const char* name) {
        return window_->findChild<QScrollBar*>(QString::fromLatin1(name));
    }
    const std::string& cell(int x, int y) const { return window_->model().cell(x, y); }
    // A press where the pointer is, as a real mouse gives it: the pointer
    // moves there first (a press paints the cell of the last move).
    void press(Qt::MouseButton button, QPoint at) {
        QTest::mouseMove(main_, at);
        QTest::mousePress(main_, button, {}, at);
    }
    void pick_chip(int index) {
        const QPoint at(index * 20 + 10, 10);
        QTest::mouseMove(chipbox_, at);
        QTest::mouseClick(chipbox_, Qt::LeftButton, {}, at);
    }

    std::unique_ptr<EditorWindow> window_;
    QTemporaryDir state_;
    QStringList questions_;
    bool answer_ = true;
    QWidget* main_ = nullptr;
    QWidget* chipbox_ = nullptr;
    QTimer* timer_ = nullptr;
    QStringList errors_;
    QStringList findings_;
    QString chosen_;
    QList<FileDialogKind> dialogs_;
};

int main(int argc, char** argv) {
    // Always offscreen: a real display's own pointer would send moves of its
    // own between the test's events.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    WindowTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "window_test.moc"

// The stage list panel on the offscreen platform: its entries, their
// pictures, a click on an entry and the buttons.
#include <QApplication>
#include <QListWidget>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include <tuple>
#include <vector>

#include "editor/chip_strip.h"
#include "editor/stage_list.h"

using namespace vorne::editor;

namespace {

QRgb chip_colour(int index) {
    return qRgb(10 + index * 15, 250 - index * 15, (index * 37) % 256);
}

// One solid colour per chip.
QImage solid_strip() {
    QImage strip(kStripWidth, kStripHeight, QImage::Format_RGB32);
    for (int x = 0; x < kStripWidth; ++x) {
        for (int y = 0; y < kStripHeight; ++y)
            strip.setPixel(x, y, chip_colour(x / 20));
    }
    return strip;
}

// A stage of the given size as the editor holds it before its frame step.
StageThumb stage(int width, int height, const QString& marker = {}) {
    StageModel model;
    model.set_stage_width(width);
    model.set_stage_height(height);
    return {model.state(), marker};
}

}  // namespace

class StageListTest : public QObject {
    Q_OBJECT

  private slots:
    void thumbnailIsFramedAndRepeatsTheChipBeforeAForeignCell() {
        StageThumb thumb = stage(4, 3);
        thumb.stage.edit_grid[2][2] = "d";
        thumb.stage.edit_grid[3][2] = "Q";
        const QImage picture = stage_thumbnail(reduce_chip_strip(solid_strip()), thumb.stage);
        QCOMPARE(picture.size(), QSize(16, 12));
        // The chip per cell of row 2, and a corner: "a" from the frame step.
        const int expected[] = {0, 3, 3, 0};
        for (int x = 0; x < 4; ++x) {
            QCOMPARE(picture.pixel(x * 4 + 1, 4 + 2), chip_colour(expected[x]));
        }
        QCOMPARE(picture.pixel(0, 0), chip_colour(0));
        QVERIFY(stage_thumbnail(reduce_chip_strip(solid_strip()), stage(0, 5).stage).isNull());
    }

    void entriesShowTheStagesAndAClickChoosesOne() {
        StageListPanel panel(solid_strip());
        panel.resize(kStageListWidth, 500);
        panel.show();
        QSignalSpy chosen(&panel, &StageListPanel::stage_chosen);
        panel.set_stages({stage(10, 10), stage(6, 5, QStringLiteral("*")), stage(20, 20)}, 0);
        panel.update_stage(2, stage(12, 7, QStringLiteral("proven")));
        auto* list = panel.findChild<QListWidget*>(QStringLiteral("stages"));
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(0)->text(), QStringLiteral("1\n10 x 10"));
        QCOMPARE(list->item(1)->text(), QStringLiteral("2\n6 x 5\n*"));
        QCOMPARE(list->item(2)->text(), QStringLiteral("3\n12 x 7\nproven"));

        panel.set_current(2);
        QCOMPARE(chosen.count(), 0);
        list->scrollToItem(list->item(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(1)).center());
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.front().front().toInt(), 1);
        QCOMPARE(panel.current(), 1);
    }

    void buttonsFollowTheCurrentStageAndAskForTheirCommand() {
        StageListPanel panel(solid_strip());
        const auto button = [&](const char* name) {
            return panel.findChild<QToolButton*>(QString::fromLatin1(name));
        };
        const char* names[] = {"insert", "duplicate", "delete", "move_up", "move_down"};
        const auto enabled = [&] {
            QString states;
            for (const char* name : names)
                states += button(name)->isEnabled() ? '1' : '0';
            return states;
        };
        // Stages, the current one, and which buttons are enabled.
        const std::tuple<int, int, const char*> cases[] = {
            {3, 0, "11101"}, {3, 1, "11111"}, {3, 2, "11110"}, {1, 0, "11000"}};
        for (const auto& [stages, current, expected] : cases) {
            panel.set_stages(std::vector<StageThumb>(stages, stage(10, 10)), current);
            QCOMPARE(enabled(), QString::fromLatin1(expected));
        }

        panel.set_stages(std::vector<StageThumb>(3, stage(10, 10)), 1);
        const decltype(&StageListPanel::insert_requested) signals_[] = {
            &StageListPanel::insert_requested, &StageListPanel::duplicate_requested,
            &StageListPanel::delete_requested, &StageListPanel::move_up_requested,
            &StageListPanel::move_down_requested};
        for (int b = 0; b < 5; ++b) {
            QSignalSpy spy(&panel, signals_[b]);
            button(names[b])->click();
            QVERIFY2(spy.count() == 1, names[b]);
        }
    }
};

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    StageListTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "stage_list_test.moc"

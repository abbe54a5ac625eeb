// The stage list panel on the offscreen platform: its entries, their
// pictures, a click on an entry and the buttons.
#include <QApplication>
#include <QListWidget>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

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

    void entriesShowNumberSizeAndMarker() {
        StageListPanel panel(solid_strip());
        panel.set_stages({stage(10, 10), stage(6, 5, QStringLiteral("*")), stage(20, 20)}, 0);
        auto* list = panel.findChild<QListWidget*>(QStringLiteral("stages"));
        QVERIFY(list);
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(0)->text(), QStringLiteral("1\n10 x 10"));
        QCOMPARE(list->item(1)->text(), QStringLiteral("2\n6 x 5\n*"));
        QCOMPARE(list->item(2)->text(), QStringLiteral("3\n20 x 20"));
        panel.update_stage(2, stage(12, 7, QStringLiteral("proven")));
        QCOMPARE(list->item(2)->text(), QStringLiteral("3\n12 x 7\nproven"));
        QCOMPARE(list->currentRow(), 0);
    }

    void aClickChoosesAStageAndSetCurrentDoesNot() {
        StageListPanel panel(solid_strip());
        panel.resize(kStageListWidth, 500);
        panel.show();
        QSignalSpy chosen(&panel, &StageListPanel::stage_chosen);
        panel.set_stages({stage(10, 10), stage(10, 10), stage(10, 10)}, 0);
        panel.set_current(2);
        QCOMPARE(chosen.count(), 0);
        QCOMPARE(panel.current(), 2);

        auto* list = panel.findChild<QListWidget*>(QStringLiteral("stages"));
        list->scrollToItem(list->item(1));
        const QPoint at = list->visualItemRect(list->item(1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
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
        struct Case {
            int stages;
            int current;
            bool enabled[5];
        };
        const Case cases[] = {
            {3, 0, {true, true, true, false, true}},
            {3, 1, {true, true, true, true, true}},
            {3, 2, {true, true, true, true, false}},
            {1, 0, {true, true, false, false, false}},
        };
        for (const Case& c : cases) {
            panel.set_stages(std::vector<StageThumb>(c.stages, stage(10, 10)), c.current);
            for (int b = 0; b < 5; ++b) {
                QVERIFY2(button(names[b])->isEnabled() == c.enabled[b],
                         qPrintable(QStringLiteral("%1 with %2 of %3")
                                        .arg(names[b])
                                        .arg(c.current)
                                        .arg(c.stages)));
            }
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

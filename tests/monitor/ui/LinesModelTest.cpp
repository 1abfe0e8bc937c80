#include "monitor/ui/LinesModel.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QSize>
#include <algorithm>

#include "common/ui/JapaneseFont.h"

namespace kestrove {
namespace {

// Lines as the engine keeps them: a version moved by every change, a generation moved when
// lines are taken away.
struct EngineLines {
    std::vector<std::string> lines;
    std::uint64_t version = 0;
    std::uint64_t generation = 0;

    void Set(std::vector<std::string> next, bool removed = false) {
        lines = std::move(next);
        ++version;
        generation += removed ? 1 : 0;
    }
};

class LinesModelTest : public ::testing::TestWithParam<LinesModel::Growth> {
protected:
    std::unique_ptr<LinesModel> Make() {
        auto model = std::make_unique<LinesModel>(
            [this] { return engine.lines.size(); },
            [this](std::size_t row) { return engine.lines[row]; },
            [this] { return engine.version; }, [this] { return engine.generation; }, GetParam());
        model->SetMetrics(JapaneseMonospaceFont(), 6, 16);
        return model;
    }
    static std::vector<std::string> Rows(const LinesModel& model) {
        std::vector<std::string> rows;
        for (int r = 0; r < model.rowCount(); ++r) {
            rows.push_back(model.index(r, 0).data().toString().toStdString());
        }
        return rows;
    }
    EngineLines engine;
};

TEST(LinesModelInsertTest, NewLinesAnywhereInASortedListArriveAsRunsOfInsertedRows) {
    EngineLines engine;
    engine.Set({"b", "d", "f"});
    LinesModel model([&] { return engine.lines.size(); },
                     [&](std::size_t row) { return engine.lines[row]; },
                     [&] { return engine.version; }, [&] { return engine.generation; },
                     LinesModel::Growth::Insert);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    struct Case {
        std::vector<std::string> next;
        std::vector<std::pair<int, int>> runs;  // first, last row of each insertion
    };
    const Case cases[] = {
        {{"b", "d", "f", "g", "h"}, {{3, 4}}},                    // after the last line
        {{"a", "b", "c", "d", "f", "g", "h"}, {{0, 0}, {2, 2}}},  // before and between
        {{"a", "b", "c", "d", "e", "e2", "f", "g", "h", "i"}, {{4, 5}, {9, 9}}},
    };
    for (const Case& c : cases) {
        inserted.clear();
        engine.Set(c.next);
        EXPECT_EQ(model.Refresh(), LinesModel::Change::Added);
        ASSERT_EQ(inserted.size(), static_cast<qsizetype>(c.runs.size()));
        for (std::size_t i = 0; i < c.runs.size(); ++i) {
            EXPECT_EQ(inserted[i][1].toInt(), c.runs[i].first);
            EXPECT_EQ(inserted[i][2].toInt(), c.runs[i].second);
        }
        EXPECT_EQ(model.rowCount(), static_cast<int>(c.next.size()));
    }
    EXPECT_EQ(resets.size(), 0);

    // A line gone without the generation moving is no insertion: the view reloads.
    engine.Set({"a", "b", "c", "d", "e", "e2", "f", "g", "h", "x", "y"});
    EXPECT_EQ(model.Refresh(), LinesModel::Change::Reloaded);
    EXPECT_EQ(model.rowCount(), 11);
}

TEST_P(LinesModelTest, AppendsKeepRowsAGenerationReloadsAndTheWidestLineSizesEveryRow) {
    engine.Set({"short"});
    auto model = Make();
    QSignalSpy resets(model.get(), &QAbstractItemModel::modelReset);
    QSignalSpy inserted(model.get(), &QAbstractItemModel::rowsInserted);
    const std::string wide = "このPCのMACアドレスがブロードキャストされました 02-00-00-00-00-0A";
    engine.Set({"short", wide, "x"});
    EXPECT_EQ(model->Refresh(), LinesModel::Change::Added);
    EXPECT_EQ(model->Refresh(), LinesModel::Change::None) << "nothing new";
    EXPECT_EQ(inserted.size(), 1);
    EXPECT_EQ(resets.size(), 0);
    EXPECT_EQ(model->rowCount(), 3);
    if (GetParam() == LinesModel::Growth::Append) {
        EXPECT_EQ(Rows(*model), engine.lines);
    }
    QFontMetrics metrics(JapaneseMonospaceFont());
    int width = metrics.horizontalAdvance(QString::fromStdString(wide));
    EXPECT_NEAR(model->WidestLine(), width, 2);
    QSize hint = model->index(0, 0).data(Qt::SizeHintRole).toSize();
    EXPECT_EQ(hint, QSize(model->WidestLine() + 6, 16)) << "every row as wide as the widest";
    EXPECT_EQ(model->index(1, 0).data(Qt::ToolTipRole).toString().toStdString(), Rows(*model)[1]);

    engine.Set({"cleared"}, true);
    EXPECT_EQ(model->Refresh(), LinesModel::Change::Reloaded);
    EXPECT_EQ(resets.size(), 1);
    EXPECT_EQ(Rows(*model), engine.lines);
    EXPECT_LT(model->WidestLine(), width) << "measured afresh";

    // Bytes that are not UTF-8 (a hostile host name) are measured and shown, not trusted.
    engine.Set({"cleared", std::string("bad \xE3\x81 \xFF\xC0 end")});
    EXPECT_EQ(model->Refresh(), LinesModel::Change::Added);
    EXPECT_EQ(model->rowCount(), 2);
    EXPECT_GT(model->WidestLine(), 0);
}

INSTANTIATE_TEST_SUITE_P(BothLists, LinesModelTest,
                         ::testing::Values(LinesModel::Growth::Append, LinesModel::Growth::Insert));

}  // namespace
}  // namespace kestrove

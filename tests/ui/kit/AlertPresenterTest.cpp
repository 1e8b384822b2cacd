#include "AlertPresenter.h"

#include "WaitUntil.h"

#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

namespace tavlen::ui {
namespace {

// A view's alert state: the presenter shows what it derives from it, and clears it when dismissed.
class AlertPresenterTest : public ::testing::Test
{
public:
    void SetUp() override
    {
        window.resize(300, 200);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QObject::connect(&presenter, &AlertPresenter::dismissed, [this] { setPending(false); });
    }

    void setPending(bool pending)
    {
        isPending = pending;
        presenter.present(isPending ? std::optional<AlertContent>(confirmation()) : std::nullopt);
    }

    AlertContent confirmation()
    {
        return {QStringLiteral("Delete “Prices”?"),
                QStringLiteral("Its checks are deleted too."),
                {{QStringLiteral("Cancel"), AlertButtonRole::cancel, [this] { ++cancels; }},
                 {QStringLiteral("Delete"), AlertButtonRole::destructive, [this] { ++deletes; }}}};
    }

    QPushButton* button(const QString& title) const
    {
        for (QAbstractButton* candidate : presenter.messageBox()->buttons()) {
            if (candidate->text() == title) {
                return qobject_cast<QPushButton*>(candidate);
            }
        }
        return nullptr;
    }

    QWidget window;
    AlertPresenter presenter{&window};
    bool isPending = false;
    int cancels = 0;
    int deletes = 0;
};

TEST_F(AlertPresenterTest, showsWindowModalWhileTheStateIsSet)
{
    setPending(true);
    ASSERT_TRUE(presenter.isShowing());
    EXPECT_EQ(presenter.messageBox()->windowModality(), Qt::WindowModal);
    EXPECT_EQ(presenter.messageBox()->parentWidget(), &window);
    EXPECT_EQ(presenter.messageBox()->text(), QStringLiteral("Delete “Prices”?"));
}

TEST_F(AlertPresenterTest, closesItselfWhenTheStateClears)
{
    setPending(true);
    QPointer<QMessageBox> box = presenter.messageBox();
    setPending(false);
    EXPECT_FALSE(presenter.isShowing());
    EXPECT_TRUE(box.isNull() || !box->isVisible());
    EXPECT_EQ(cancels + deletes, 0) << "no action runs when the state goes away by itself";
}

TEST_F(AlertPresenterTest, eachWayOfAnsweringRunsItsButtonAndClearsTheState)
{
    struct Row
    {
        const char* name;
        std::function<void(AlertPresenterTest&)> answer;
        int cancels;
        int deletes;
    };

    const Row rows[] = {
        {"destructive button", [](AlertPresenterTest& t) { t.button(QStringLiteral("Delete"))->click(); }, 0, 1},
        {"cancel button", [](AlertPresenterTest& t) { t.button(QStringLiteral("Cancel"))->click(); }, 1, 0},
        {"Escape means cancel",
         [](AlertPresenterTest& t) { QTest::keyClick(t.presenter.messageBox(), Qt::Key_Escape); },
         1,
         0},
        {"closing the window means cancel", [](AlertPresenterTest& t) { t.presenter.messageBox()->close(); }, 1, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        cancels = deletes = 0;
        setPending(true);
        ASSERT_TRUE(presenter.isShowing());
        row.answer(*this);
        EXPECT_TRUE(test::waitUntil([&] { return !isPending; }));
        EXPECT_FALSE(presenter.isShowing());
        EXPECT_EQ(cancels, row.cancels);
        EXPECT_EQ(deletes, row.deletes);
    }
}

TEST_F(AlertPresenterTest, theSameContentAgainKeepsTheShownBox)
{
    setPending(true);
    QMessageBox* first = presenter.messageBox();
    presenter.present(confirmation());
    EXPECT_EQ(presenter.messageBox(), first);
    presenter.present(AlertContent{QStringLiteral("Other"), {}, {}});
    EXPECT_NE(presenter.messageBox(), first);
    EXPECT_EQ(presenter.messageBox()->buttons().size(), 1) << "an OK button when the content names none";
}

} // namespace
} // namespace tavlen::ui

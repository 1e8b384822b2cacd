#include "Observable.h"

#include "MainThread.h"
#include "Utf8.h"

#include <QObject>

#include <gtest/gtest.h>

#include <string>

namespace tavlen {
namespace {

// The shape every observable state object follows: getter, setter silent on equal values, <property>Changed.
class Label : public QObject
{
    Q_OBJECT

public:
    const std::string& text() const { return m_text; }

    void setText(const std::string& text)
    {
        TAVLEN_ASSERT_MAIN_THREAD();
        if (assignIfChanged(m_text, text, textEqual)) {
            Q_EMIT textChanged();
        }
    }

    int count() const { return m_count; }

    void setCount(int count)
    {
        if (assignIfChanged(m_count, count)) {
            Q_EMIT countChanged();
        }
    }

Q_SIGNALS:
    void textChanged();
    void countChanged();

private:
    std::string m_text = "caf\xC3\xA9"; // "café" with a precomposed é
    int m_count = 0;
};

TEST(ObservableTest, setter_emitsOnlyWhenTheValueDiffersByItsOwnEquality)
{
    struct Row
    {
        const char* name;
        std::string text;
        int expectedSignals;
        std::string expectedText;
    };

    const Row rows[] = {
        {"the same bytes emit nothing", "caf\xC3\xA9", 0, "caf\xC3\xA9"},
        {"a canonically equal spelling emits nothing and keeps the stored one", "cafe\xCC\x81", 0, "caf\xC3\xA9"},
        {"a different text emits once", "tea", 1, "tea"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Label label;
        int signals = 0;
        QObject::connect(&label, &Label::textChanged, &label, [&signals] { ++signals; });
        label.setText(row.text);
        EXPECT_EQ(signals, row.expectedSignals);
        EXPECT_EQ(label.text(), row.expectedText);
    }
}

TEST(ObservableTest, defaultEquality_repeatedValueEmitsOnce)
{
    Label label;
    int signals = 0;
    QObject::connect(&label, &Label::countChanged, &label, [&signals] { ++signals; });
    label.setCount(3);
    label.setCount(3);
    label.setCount(0);
    EXPECT_EQ(signals, 2);
    EXPECT_EQ(label.count(), 0);
}

} // namespace
} // namespace tavlen

#include "ObservableTest.moc"

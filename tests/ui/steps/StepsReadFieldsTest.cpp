#include "StepsReadFields.h"

#include "ReadFieldEdits.h"
#include "StepInputsFixture.h"
#include "StepsFieldWrapper.h"
#include "StepsInstructionField.h"
#include "StepsReadFieldRow.h"
#include "TavlenButton.h"

#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace tavlen::ui::test {
namespace {

ReadingField field(std::string name, ReadingFieldType type = ReadingFieldType::text, std::string instruction = {})
{
    return {Uuid::random(), std::move(name), type, std::move(instruction)};
}

std::vector<std::string> names(const std::vector<ReadingField>& fields)
{
    std::vector<std::string> result;
    for (const ReadingField& each : fields) {
        result.push_back(each.name);
    }
    return result;
}

TEST(ReadFieldEditsTest, editsFindTheirFieldByIdAndNeverRemoveTheLast)
{
    const ReadingField a = field("A");
    const ReadingField b = field("B", ReadingFieldType::number, "in euros");
    const ReadingField c = field("C");
    const std::vector<ReadingField> three{a, b, c};

    ReadingField renamed = b;
    renamed.name = "Price";
    EXPECT_EQ(names(*replacingField(three, renamed)), (std::vector<std::string>{"A", "Price", "C"}));
    EXPECT_EQ(replacingField({a, c}, renamed), std::nullopt) << "a write for a removed field is dropped";
    EXPECT_EQ(currentField({a, c}, renamed), renamed) << "a removed field reads as the row's own copy";
    EXPECT_EQ(currentField(three, renamed), b);

    const auto withoutA = removingField(three, a.id);
    ASSERT_TRUE(withoutA);
    EXPECT_EQ(*withoutA, (std::vector<ReadingField>{b, c}));
    EXPECT_EQ(removingField({a}, a.id), std::nullopt);
    EXPECT_EQ(removingField({}, a.id), std::nullopt);

    const std::vector<ReadingField> added = appendingField(three);
    ASSERT_EQ(added.size(), 4u);
    EXPECT_EQ(added.back().name, "");
    EXPECT_EQ(added.back().type, ReadingFieldType::text);
    EXPECT_EQ(added.back().instruction, "");
    EXPECT_NE(added.back().id, c.id);
}

class StepsReadFieldsTest : public testing::Test
{
protected:
    StepsReadFieldsTest()
    {
        editing.reading().setFields(
            {field("Price", ReadingFieldType::number, "Incl. tax"), field("Stock"), field("Seller")});
        editing.edits = 0;
        editor = new StepsReadFields(editing.reading(), editing.environment(editing.read), &window);
        window.resize(420, 600);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    StepsReadFieldRow* row(std::size_t index) const { return editor->rows().at(index); }

    StepInputsFixture editing;
    QWidget window;
    StepsReadFields* editor;
};

TEST_F(StepsReadFieldsTest, typingAndChoosingEditTheirOwnField)
{
    QTest::keyClicks(row(1)->nameEdit(), u" count"_qs);
    QTest::keyClicks(row(2)->instructionField()->editor(), u"Shop name"_qs);
    row(1)->typePicker()->activated(1);
    const std::vector<ReadingField>& fields = editing.reading().fields();
    EXPECT_EQ(fields[1].name, "Stock count");
    EXPECT_EQ(fields[1].type, ReadingFieldType::number);
    EXPECT_EQ(fields[2].instruction, "Shop name");
    EXPECT_EQ(fields[0].name, "Price");
    EXPECT_EQ(fields[0].instruction, "Incl. tax");
    EXPECT_EQ(fields[2].type, ReadingFieldType::text);
    EXPECT_GT(editing.edits, 0) << "each edit reaches the draft";
}

TEST_F(StepsReadFieldsTest, removingTheFirstKeepsTheOthersAndTheirRows)
{
    StepsReadFieldRow* stock = row(1);
    EXPECT_TRUE(row(0)->divider()->isHidden());
    EXPECT_FALSE(stock->divider()->isHidden());
    QTest::keyClicks(stock->nameEdit(), u"!"_qs);
    QTest::mouseClick(row(0)->removeButton(), Qt::LeftButton);
    ASSERT_EQ(editor->rows().size(), 2u);
    EXPECT_EQ(row(0), stock) << "rows are keyed by field, not rebuilt";
    EXPECT_TRUE(stock->divider()->isHidden());
    EXPECT_EQ(names(editing.reading().fields()), (std::vector<std::string>{"Stock!", "Seller"}));

    // Typing into a row after another row went still edits its own field.
    QTest::keyClicks(row(1)->nameEdit(), u"s"_qs);
    EXPECT_EQ(names(editing.reading().fields()), (std::vector<std::string>{"Stock!", "Sellers"}));

    QTest::mouseClick(row(0)->removeButton(), Qt::LeftButton);
    ASSERT_EQ(editor->rows().size(), 1u);
    EXPECT_FALSE(row(0)->removeButton()->isEnabled());
    row(0)->removeButton()->click();
    EXPECT_EQ(names(editing.reading().fields()), (std::vector<std::string>{"Sellers"}));
}

TEST_F(StepsReadFieldsTest, anAddedFieldComesLastEmptyAndIsCheckedAtOnce)
{
    editing.session->setShowsValidation(true);
    QTest::mouseClick(editor->addButton(), Qt::LeftButton);
    ASSERT_EQ(editor->rows().size(), 4u);
    const ReadingField& added = editing.reading().fields().back();
    EXPECT_EQ(row(3)->fieldID(), added.id);
    EXPECT_EQ(row(3)->nameEdit()->text(), QString());
    EXPECT_EQ(row(3)->typePicker()->currentText(), u"Text"_qs);
    auto* nameWrapper = qobject_cast<StepsFieldWrapper*>(row(3)->nameEdit()->parentWidget());
    ASSERT_NE(nameWrapper, nullptr);
    EXPECT_EQ(nameWrapper->message(), u"Enter a field name."_qs);
    EXPECT_EQ(row(3)->instructionField()->wrapper()->message(), QString());
    EXPECT_TRUE(row(0)->removeButton()->isEnabled());

    // A change of the list made elsewhere shows in the rows.
    std::vector<ReadingField> fields = editing.reading().fields();
    fields[0].name = "Total";
    editing.reading().setFields(fields);
    EXPECT_EQ(row(0)->nameEdit()->text(), u"Total"_qs);
}

TEST_F(StepsReadFieldsTest, instructionsAreTwoLinesTallAndGrowToSix)
{
    StepsInstructionField* instructions = row(1)->instructionField();
    EXPECT_EQ(instructions->visibleLines(), 2);
    const int emptyHeight = instructions->editor()->height();
    QTest::keyClicks(instructions->editor(), u"one"_qs);
    for (int line = 0; line < 3; ++line) {
        QTest::keyClick(instructions->editor(), Qt::Key_Return);
        QTest::keyClicks(instructions->editor(), u"more"_qs);
    }
    EXPECT_EQ(instructions->visibleLines(), 4);
    EXPECT_GT(instructions->editor()->height(), emptyHeight);
    for (int line = 0; line < 6; ++line) {
        QTest::keyClick(instructions->editor(), Qt::Key_Return);
    }
    EXPECT_EQ(instructions->visibleLines(), 6);
    EXPECT_EQ(editing.reading().fields()[1].instruction, "one\nmore\nmore\nmore\n\n\n\n\n\n");
}

} // namespace
} // namespace tavlen::ui::test

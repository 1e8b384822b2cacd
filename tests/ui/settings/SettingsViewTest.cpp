#include "AIModelSettingsView.h"
#include "AddModelView.h"
#include "SettingsFixture.h"
#include "TavlenButton.h"
#include "WaitUntil.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace tavlen::ui {
namespace {

using test::waitUntil;

class SettingsViewTest : public test::SettingsFixture
{
protected:
    template <class T> T* find(QWidget* under, const QString& name)
    {
        T* found = under->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }

    QWidget* keySection(Provider provider)
    {
        return find<QWidget>(&view(),
                             QStringLiteral("api-key-") + QString::fromUtf8(ModelSelection::storedText(provider)));
    }

    QString labelText(QWidget* under, const QString& name) { return find<QLabel>(under, name)->text(); }

    bool shown(QWidget* under, const QString& name)
    {
        auto* widget = under->findChild<QWidget*>(name);
        return widget && widget->isVisible();
    }

    void open()
    {
        view().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view()));
    }

    void close()
    {
        view().hide();
        QCoreApplication::processEvents();
    }
};

TEST_F(SettingsViewTest, OpensOnThePaneLastChosenAndSizesByIt)
{
    open();
    EXPECT_EQ(view().selection(), SettingsPane::general);
    EXPECT_EQ(view().size(), QSize(640, 460));
    const QStringList tabs = {view().tabs().tabText(0), view().tabs().tabText(1), view().tabs().tabText(2)};
    EXPECT_EQ(tabs, (QStringList{QStringLiteral("General"), QStringLiteral("AI models"), QStringLiteral("API keys")}));

    view().tabs().setCurrentIndex(1);
    EXPECT_EQ(defaults.value(QStringLiteral("selectedSettingsPane")).toString(), QStringLiteral("models"));
    EXPECT_EQ(view().size(), QSize(640, 620));
    dropView();
    EXPECT_EQ(view().selection(), SettingsPane::models);

    defaults.setValue(QStringLiteral("selectedSettingsPane"), QStringLiteral("advanced"));
    dropView();
    EXPECT_EQ(view().selection(), SettingsPane::general);
    EXPECT_EQ(view().size(), QSize(640, 460));
}

TEST_F(SettingsViewTest, AKeyIsCheckedSavedReplacedAndRemovedAndATypedKeyIsDroppedOnClose)
{
    finish(keyStores.at(Provider::anthropic)->save("sk-ant-saved"));
    view().setSelection(SettingsPane::apiKeys);
    open();
    QWidget* openAI = keySection(Provider::openAI);
    QWidget* anthropic = keySection(Provider::anthropic);
    auto* field = find<QLineEdit>(openAI, QStringLiteral("api-key-field"));
    EXPECT_EQ(field->echoMode(), QLineEdit::Password);
    EXPECT_EQ(field->accessibleName(), QStringLiteral("OpenAI API key"));
    waitUntil([&] { return field->isEnabled() && !shown(anthropic, QStringLiteral("api-key-activity")); });
    EXPECT_EQ(labelText(openAI, QStringLiteral("api-key-status")), QStringLiteral("No API key saved"));
    EXPECT_EQ(labelText(anthropic, QStringLiteral("api-key-status")), QStringLiteral("API key saved"));
    EXPECT_TRUE(find<QLineEdit>(anthropic, QStringLiteral("api-key-field"))->text().isEmpty());
    EXPECT_TRUE(shown(anthropic, QStringLiteral("api-key-remove")));
    EXPECT_FALSE(shown(openAI, QStringLiteral("api-key-remove")));

    // Blank: the button stays disabled and Return shows the empty-key sentence, focus kept in the field.
    auto* save = find<TavlenButton>(openAI, QStringLiteral("api-key-save"));
    field->setFocus();
    QTest::keyClicks(field, QStringLiteral("   "));
    EXPECT_FALSE(save->isEnabled());
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(labelText(openAI, QStringLiteral("api-key-error")), QStringLiteral("Enter an API key."));
    EXPECT_TRUE(field->hasFocus());

    // An inner space is refused and stays; surrounding spaces are trimmed away.
    field->clear();
    QTest::keyClicks(field, QStringLiteral("sk one"));
    EXPECT_FALSE(shown(openAI, QStringLiteral("api-key-error")));
    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_EQ(labelText(openAI, QStringLiteral("api-key-error")),
              QStringLiteral("The API key cannot contain spaces, line breaks, or control characters."));
    EXPECT_EQ(field->text(), QStringLiteral("sk one"));
    EXPECT_TRUE(field->hasFocus());
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("  sk-openai-1  "));
    QTest::keyClick(field, Qt::Key_Return);
    waitUntil([&] { return labelText(openAI, QStringLiteral("api-key-status")) == QStringLiteral("API key saved"); });
    EXPECT_TRUE(field->text().isEmpty());
    EXPECT_EQ(save->text(), QStringLiteral("Replace key"));
    EXPECT_EQ(finish(keyStores.at(Provider::openAI)->apiKey()), "sk-openai-1");

    // Removal asks nothing.
    QTest::mouseClick(find<TavlenButton>(anthropic, QStringLiteral("api-key-remove")), Qt::LeftButton);
    waitUntil(
        [&] { return labelText(anthropic, QStringLiteral("api-key-status")) == QStringLiteral("No API key saved"); });
    EXPECT_FALSE(shown(anthropic, QStringLiteral("api-key-remove")));
    EXPECT_FALSE(finish(keyStores.at(Provider::anthropic)->hasKey()));

    // A key typed and refused, then the window closed: reopened, neither the text nor the error is there.
    auto* gemini = find<QLineEdit>(keySection(Provider::gemini), QStringLiteral("api-key-field"));
    QTest::keyClicks(gemini, QStringLiteral("AIza key"));
    QTest::keyClick(gemini, Qt::Key_Return);
    EXPECT_TRUE(shown(keySection(Provider::gemini), QStringLiteral("api-key-error")));
    close();
    open();
    waitUntil([&] { return gemini->isEnabled(); });
    EXPECT_TRUE(gemini->text().isEmpty());
    EXPECT_FALSE(shown(keySection(Provider::gemini), QStringLiteral("api-key-error")));
}

TEST_F(SettingsViewTest, AddingAModelFromTheListingOfALoopbackServer)
{
    finish(keyStores.at(Provider::openAI)->save("sk-openai-1"));
    view().setSelection(SettingsPane::models);
    open();
    auto* pane = find<AIModelSettingsView>(&view(), QStringLiteral("settings-models"));
    waitUntil([&] { return !models.isLoading(); });
    EXPECT_TRUE(shown(pane, QStringLiteral("models-empty")));
    EXPECT_FALSE(shown(pane, QStringLiteral("models-default-section")));
    EXPECT_FALSE(shown(pane, QStringLiteral("models-retry")));

    QTest::mouseClick(find<TavlenButton>(pane, QStringLiteral("models-add")), Qt::LeftButton);
    AddModelView* sheet = pane->addModelSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->size(), QSize(580, 420));
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    auto* add = find<TavlenButton>(sheet, QStringLiteral("add-model-add"));
    auto* picker = find<QComboBox>(sheet, QStringLiteral("add-model-model"));
    waitUntil([&] { return picker->isVisible(); });
    EXPECT_EQ(labelText(sheet, QStringLiteral("add-model-status")), QStringLiteral("Connected"));
    EXPECT_EQ(picker->currentText(), QStringLiteral("Select a model"));
    EXPECT_FALSE(add->isEnabled());
    picker->setCurrentIndex(2);
    Q_EMIT picker->activated(2);
    ASSERT_TRUE(add->isEnabled());
    QTest::mouseClick(add, Qt::LeftButton);
    waitUntil([&] { return pane->addModelSheet() == nullptr; });

    // The first model is the default; the database holds it.
    ASSERT_EQ(models.registry().models.size(), 1u);
    const ConfiguredModel added = models.registry().models[0];
    EXPECT_EQ(added.selection.modelIdentifier, "gpt-5");
    EXPECT_EQ(models.registry().defaultID, added.id);
    EXPECT_EQ(queryText("SELECT model_identifier FROM configured_models"), "gpt-5");
    EXPECT_EQ(queryText("SELECT default_model_id FROM app_settings"), added.id.lowercaseString());
    auto* row = find<QWidget>(pane, QStringLiteral("model-") + QString::fromStdString(added.id.lowercaseString()));
    EXPECT_NE(row->findChild<QLabel*>(QStringLiteral("model-default")), nullptr);
    EXPECT_TRUE(shown(pane, QStringLiteral("models-default-section")));
    EXPECT_EQ(find<QComboBox>(pane, QStringLiteral("models-default"))->currentText(),
              QStringLiteral("gpt-5 \u00b7 OpenAI"));

    // The same model again: the sheet stays open with the refusal.
    QTest::mouseClick(find<TavlenButton>(pane, QStringLiteral("models-add")), Qt::LeftButton);
    sheet = pane->addModelSheet();
    picker = find<QComboBox>(sheet, QStringLiteral("add-model-model"));
    waitUntil([&] { return picker->isVisible(); });
    picker->setCurrentIndex(2);
    Q_EMIT picker->activated(2);
    QTest::mouseClick(find<TavlenButton>(sheet, QStringLiteral("add-model-add")), Qt::LeftButton);
    waitUntil([&] { return shown(sheet, QStringLiteral("add-model-error")); });
    EXPECT_EQ(labelText(sheet, QStringLiteral("add-model-error")), QStringLiteral("This model is already configured."));
    EXPECT_TRUE(sheet->isVisible());

    // Closing the window with the sheet open leaves the discovery reset.
    close();
    EXPECT_TRUE(models.discovery().models().empty());
    EXPECT_FALSE(models.discovery().selectedModelIdentifier());
    EXPECT_FALSE(models.discovery().isConnecting());
}

TEST_F(SettingsViewTest, OllamaLoadsOnlyOnConnectAndReturnInTheHostDoesNotAdd)
{
    view().setSelection(SettingsPane::models);
    open();
    auto* pane = find<AIModelSettingsView>(&view(), QStringLiteral("settings-models"));
    waitUntil([&] { return !models.isLoading(); });
    QTest::mouseClick(find<TavlenButton>(pane, QStringLiteral("models-add")), Qt::LeftButton);
    AddModelView* sheet = pane->addModelSheet();
    // OpenAI without a key saved: only the note, no button.
    waitUntil([&] { return shown(sheet, QStringLiteral("add-model-missing-key")); });
    EXPECT_EQ(labelText(sheet, QStringLiteral("add-model-missing-key")),
              QStringLiteral("Add your OpenAI API key in Settings \u2192 API keys first."));
    EXPECT_FALSE(shown(sheet, QStringLiteral("add-model-connect")));

    auto* provider = find<QComboBox>(sheet, QStringLiteral("add-model-provider"));
    provider->setCurrentIndex(3);
    Q_EMIT provider->activated(3);
    auto* host = find<QLineEdit>(sheet, QStringLiteral("add-model-host"));
    ASSERT_TRUE(host->isVisible());
    EXPECT_EQ(labelText(sheet, QStringLiteral("add-model-status")), QStringLiteral("Not connected"));
    const std::size_t requestsBefore = m_server.requests().size();
    host->selectAll();
    QTest::keyClicks(host, QString::fromStdString(serverURL()));
    EXPECT_EQ(m_server.requests().size(), requestsBefore);
    QTest::keyClick(host, Qt::Key_Return);
    auto* picker = find<QComboBox>(sheet, QStringLiteral("add-model-model"));
    waitUntil([&] { return picker->isVisible(); });
    picker->setCurrentIndex(1);
    Q_EMIT picker->activated(1);
    ASSERT_TRUE(find<TavlenButton>(sheet, QStringLiteral("add-model-add"))->isEnabled());

    // One more character resets the listing; Return there connects again instead of adding.
    QTest::keyClicks(host, QStringLiteral("/"));
    EXPECT_FALSE(picker->isVisible());
    EXPECT_FALSE(find<TavlenButton>(sheet, QStringLiteral("add-model-add"))->isEnabled());
    QTest::keyClick(host, Qt::Key_Return);
    waitUntil([&] { return !models.discovery().isConnecting(); });
    EXPECT_TRUE(models.registry().models.empty());
    EXPECT_TRUE(sheet->isVisible());
}

TEST_F(SettingsViewTest, TheGeneralSectionsShowTheServicesAndTheirFailures)
{
    loginService->current = LoginItemStatus::requiresApproval;
    loginItem.refresh();
    open();
    auto* startAtLogin = find<QCheckBox>(&view(), QStringLiteral("login-item-toggle"));
    EXPECT_TRUE(startAtLogin->isChecked());
    EXPECT_TRUE(shown(&view(), QStringLiteral("login-item-open-settings")));
    QTest::mouseClick(find<TavlenButton>(&view(), QStringLiteral("login-item-open-settings")), Qt::LeftButton);
    EXPECT_EQ(loginService->openedSettings, 1);

    // A login item that cannot be written shows its sentence and the status read afterwards.
    loginService->current = LoginItemStatus::notRegistered;
    loginService->failure = "The autostart folder is read-only.";
    loginItem.refresh();
    EXPECT_FALSE(startAtLogin->isChecked());
    startAtLogin->click();
    EXPECT_FALSE(startAtLogin->isChecked());
    EXPECT_EQ(labelText(&view(), QStringLiteral("login-item-error")),
              QStringLiteral("Couldn\u2019t enable Start at login: The autostart folder is read-only."));
    loginService->current = LoginItemStatus::notFound;
    loginItem.refresh();
    EXPECT_FALSE(shown(&view(), QStringLiteral("login-item-error")));
    EXPECT_TRUE(labelText(&view(), QStringLiteral("login-item-note")).startsWith(QStringLiteral("The login item")));

    // The inhibitor refused: the sentence, the toggle off, the preference untouched.
    auto* keepAwakeToggle = find<QCheckBox>(&view(), QStringLiteral("keep-awake-toggle"));
    keepAwakeToggle->click();
    EXPECT_FALSE(keepAwakeToggle->isChecked());
    EXPECT_EQ(labelText(&view(), QStringLiteral("keep-awake-error")),
              QStringLiteral("Couldn\u2019t enable Keep computer awake: The system returned power management error "
                             "org.freedesktop.DBus.Error.AccessDenied."));
    EXPECT_FALSE(defaults.contains(QStringLiteral("keepMacAwake")));

    // This build does not update itself.
    EXPECT_EQ(labelText(&view(), QStringLiteral("installed-version")), QStringLiteral("1.4.2"));
    EXPECT_TRUE(shown(&view(), QStringLiteral("updates-unavailable")));
    EXPECT_EQ(view().findChild<QCheckBox*>(QStringLiteral("automatic-updates-toggle")), nullptr);
}

} // namespace
} // namespace tavlen::ui

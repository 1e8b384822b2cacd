#include "StepsOpenPageCard.h"

#include "Accessibility.h"
#include "Icons.h"
#include "KitColors.h"
#include "QtText.h"
#include "Step.h"
#include "StepsDraft.h"
#include "StepsEditorText.h"
#include "StepsModelReconciliation.h"
#include "StepsOpenPageEditing.h"
#include "StepsScreenshotCapturing.h"
#include "StepsScreenshotView.h"
#include "StepsStore.h"
#include "StepsStoreObservation.h"
#include "TavlenButton.h"
#include "TextStyles.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace tavlen::ui {

namespace {

constexpr TavlenButtonStyle iconButton{TavlenButtonStyle::Variant::icon, TavlenButtonStyle::Size::compact};
constexpr TavlenButtonStyle compactButton{TavlenButtonStyle::Variant::standard, TavlenButtonStyle::Size::compact};

// The box shown before the first capture: a faint rounded background behind a symbol and a sentence.
class ScreenshotPlaceholder final : public QWidget
{
public:
    explicit ScreenshotPlaceholder(QWidget* parent)
        : QWidget(parent)
    {
        setObjectName(QStringLiteral("steps-screenshot-placeholder"));
        setFixedHeight(130);
        auto* layout = new QVBoxLayout(this);
        layout->setAlignment(Qt::AlignCenter);
        layout->setSpacing(8);
        auto* symbol = new QLabel(this);
        const int side = QFontMetrics(textStyleFont(TextStyle::title2)).height();
        symbol->setPixmap(
            kitIconPixmap(QStringLiteral("photo"), secondaryColor(palette()), QSize(side, side), devicePixelRatioF()));
        layout->addWidget(symbol, 0, Qt::AlignHCenter);
        auto* sentence = new QLabel(text::screenshotPlaceholder(), this);
        sentence->setFont(textStyleFont(TextStyle::callout));
        sentence->setWordWrap(true);
        sentence->setAlignment(Qt::AlignCenter);
        QPalette secondary = sentence->palette();
        secondary.setColor(QPalette::WindowText, secondaryColor(palette()));
        sentence->setPalette(secondary);
        layout->addWidget(sentence);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), 4, 4);
        painter.fillPath(shape, withOpacity(primaryColor(palette()), 0.025));
    }
};

void setSecondary(QLabel* label)
{
    QPalette secondary = label->palette();
    secondary.setColor(QPalette::WindowText, secondaryColor(label->palette()));
    label->setPalette(secondary);
}

} // namespace

StepsOpenPageCard::StepsOpenPageCard(Uuid monitorID,
                                     std::shared_ptr<Step> step,
                                     std::shared_ptr<StepsDraft> draft,
                                     StepsStore& store,
                                     ModelSettings* models,
                                     std::function<void()> onTestStep,
                                     std::function<void(const Uuid&)> onAppend,
                                     QWidget* parent)
    : QWidget(parent)
    , m_monitorID(monitorID)
    , m_step(std::move(step))
    , m_draft(std::move(draft))
    , m_store(store)
    , m_models(models)
    , m_onTestStep(std::move(onTestStep))
    , m_onAppend(std::move(onAppend))
    , m_zoomRequest{Uuid::random(), StepsZoomRequest::Action::fit}
    , m_url(new QLineEdit(this))
    , m_status(new QLabel(this))
    , m_failure(new QLabel(this))
    , m_toolbar(new QWidget(this))
    , m_imageSize(new QLabel(m_toolbar))
    , m_screenshot(new StepsScreenshotView(this))
    , m_placeholder(new ScreenshotPlaceholder(this))
    , m_addStep(new TavlenButton(text::addStep(), compactButton, this))
    , m_menu(new QMenu(this))
{
    StepsOpenPageSettings& settings = *m_step->content().openPageSettings();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);

    m_url->setPlaceholderText(text::pageURLPlaceholder());
    m_url->setText(toQString(settings.url()));
    setAccessibility(m_url, text::pageURL());
    setIdentifier(m_url, QStringLiteral("steps-page-url"));
    layout->addWidget(m_url);

    m_status->setFont(textStyleFont(TextStyle::caption));
    m_status->setWordWrap(true);
    setSecondary(m_status);
    setIdentifier(m_status, QStringLiteral("steps-capture-status"));
    layout->addWidget(m_status);

    m_failure->setFont(textStyleFont(TextStyle::callout));
    m_failure->setWordWrap(true);
    QPalette red = m_failure->palette();
    red.setColor(QPalette::WindowText, kitColor(KitColor::red, palette()));
    m_failure->setPalette(red);
    setIdentifier(m_failure, QStringLiteral("steps-page-failure"));
    layout->addWidget(m_failure);

    auto* toolbar = new QHBoxLayout(m_toolbar);
    toolbar->setContentsMargins(0, 0, 0, 0);
    toolbar->setSpacing(8);

    const struct
    {
        const char* symbol;
        QString title;
        QString help;
        StepsZoomRequest::Action action;
        const char* identifier;
    } zoomItems[] = {
        {"minus.magnifyingglass", {}, text::zoomOut(), StepsZoomRequest::Action::zoomOut, "steps-zoom-out"},
        {"plus.magnifyingglass", {}, text::zoomIn(), StepsZoomRequest::Action::zoomIn, "steps-zoom-in"},
        {nullptr, text::fitWidth(), {}, StepsZoomRequest::Action::fit, "steps-zoom-fit"},
        {nullptr, text::actualSize(), {}, StepsZoomRequest::Action::actual, "steps-zoom-actual"},
    };

    for (const auto& item : zoomItems) {
        auto* button = item.symbol ? new TavlenButton(iconButton, m_toolbar)
                                   : new TavlenButton(item.title, compactButton, m_toolbar);
        if (item.symbol) {
            button->setSymbolName(QString::fromUtf8(item.symbol));
            setHelp(button, item.help);
        }
        setIdentifier(button, QString::fromUtf8(item.identifier));
        connect(button, &QAbstractButton::clicked, this, [this, action = item.action] { requestZoom(action); });
        toolbar->addWidget(button);
    }
    toolbar->addStretch(1);
    // The default fonts' digits are of equal width already.
    m_imageSize->setFont(textStyleFont(TextStyle::caption));
    setSecondary(m_imageSize);
    setIdentifier(m_imageSize, QStringLiteral("steps-image-size"));
    toolbar->addWidget(m_imageSize);
    layout->addWidget(m_toolbar);

    m_screenshot->setFixedHeight(300);
    layout->addWidget(m_screenshot);
    layout->addWidget(m_placeholder);

    m_addStep->setSymbolName(QStringLiteral("chevron.down"));
    setIdentifier(m_addStep, itemIdentifier(text::addStepIdentifierPrefix(), m_step->id()));
    QAction* read = m_menu->addAction(kitIcon(QStringLiteral("eye")), text::readStepKind());
    QAction* anything = m_menu->addAction(kitIcon(QStringLiteral("sparkles")), text::doAnythingComingSoon());
    anything->setEnabled(false);
    connect(read, &QAction::triggered, this, &StepsOpenPageCard::addReadStep);
    connect(m_addStep, &QAbstractButton::clicked, this, [this] {
        m_menu->popup(m_addStep->mapToGlobal(QPoint(0, m_addStep->height())));
    });
    layout->addWidget(m_addStep, 0, Qt::AlignLeft);

    connect(m_url, &QLineEdit::textEdited, this, [this](const QString& url) {
        m_step->content().openPageSettings()->setUrl(fromQString(url));
    });
    connect(m_url, &QLineEdit::returnPressed, this, [this] {
        if (!m_store.isBusy() && m_onTestStep) {
            m_onTestStep();
        }
    });
    connect(m_screenshot, &StepsScreenshotView::regionSelected, this, [this](std::optional<Uuid> id) {
        selectStepsRegion(*m_draft, *m_step->content().openPageSettings(), id);
    });
    connect(
        m_screenshot, &StepsScreenshotView::regionCommitted, this, [this](BrowserRect rect, std::optional<Uuid> id) {
            commitStepsRegion(*m_draft, *m_step->content().openPageSettings(), isRunningSteps(), id, rect);
        });

    const auto refreshAll = [this] { refresh(); };
    for (auto signal : {&StepsOpenPageSettings::urlChanged,
                        &StepsOpenPageSettings::phaseChanged,
                        &StepsOpenPageSettings::screenshotChanged,
                        &StepsOpenPageSettings::selectionChanged,
                        &StepsOpenPageSettings::focusRegionTokenChanged}) {
        connect(&settings, signal, this, refreshAll);
    }
    connect(m_step.get(), &Step::executionChanged, this, refreshAll);
    connect(m_draft.get(), &StepsDraft::stepsChanged, this, refreshAll);
    connect(m_draft.get(), &StepsDraft::selectedIDChanged, this, refreshAll);
    connect(m_draft.get(), &StepsDraft::revisionChanged, this, refreshAll);
    observeStepsRunState(m_store, this, refreshAll);
    refresh();
}

StepsOpenPageCard::~StepsOpenPageCard() = default;

bool StepsOpenPageCard::isRunningSteps() const
{
    return m_store.isRunningSteps(m_monitorID);
}

void StepsOpenPageCard::requestZoom(StepsZoomRequest::Action action)
{
    m_zoomRequest = {Uuid::random(), action};
    applyScreenshotInputs();
}

void StepsOpenPageCard::addReadStep()
{
    StepsOpenPageSettings& settings = *m_step->content().openPageSettings();
    if (isRunningSteps() || !settings.selection()) {
        return;
    }
    const std::optional<Uuid> added =
        appendStepsReadStep(*m_draft, settings, m_step->id(), defaultStepModelID(m_models), *settings.selection());
    if (added && m_onAppend) {
        m_onAppend(*added);
    }
}

void StepsOpenPageCard::applyScreenshotInputs()
{
    const StepsOpenPageSettings& settings = *m_step->content().openPageSettings();
    if (!settings.screenshot()) {
        return;
    }
    StepsScreenshotViewInputs inputs;
    inputs.screenshot = settings.screenshot();
    inputs.regions = openPageRegionOverlays(*m_draft, m_step->id());
    inputs.selectedID = selectedReadStepID(*m_draft, m_step->id());
    inputs.selection = settings.selection();
    inputs.zoomRequest = m_zoomRequest;
    inputs.focusToken = settings.focusRegionToken();
    inputs.allowsEditing = !isRunningSteps();
    m_screenshot->apply(inputs);
}

void StepsOpenPageCard::refresh()
{
    const StepsOpenPageSettings& settings = *m_step->content().openPageSettings();
    const bool running = isRunningSteps();
    if (m_url->text() != toQString(settings.url())) {
        m_url->setText(toQString(settings.url()));
    }
    m_url->setEnabled(!running);

    const std::optional<QString> status = openPageStatusText(
        settings.phase(), running, m_store.isBusy(), m_store.gate().captureService().unavailableReason());
    m_status->setVisible(status.has_value());
    m_status->setText(status.value_or(QString()));

    const StepsExecutionState& execution = m_step->execution();
    const bool failed = execution.kind() == StepsExecutionState::Kind::failed;
    m_failure->setVisible(failed);
    if (failed) {
        m_failure->setText(toQString(execution.message()));
    }

    const bool hasScreenshot = settings.screenshot() != nullptr;
    m_toolbar->setVisible(hasScreenshot);
    m_screenshot->setVisible(hasScreenshot);
    m_placeholder->setVisible(!hasScreenshot);
    if (hasScreenshot) {
        const RgbaImage& image = settings.screenshot()->image();
        m_imageSize->setText(screenshotSizeText(image.width, image.height));
        applyScreenshotInputs();
    }

    const bool hasSelection = settings.selection().has_value();
    m_addStep->setEnabled(hasSelection && !running);
    setAccessibility(m_addStep, text::addStep(), hasSelection ? text::addStepForSelection() : text::selectAreaFirst());
}

} // namespace tavlen::ui

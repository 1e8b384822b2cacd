#include "StepsCardView.h"

#include "Accessibility.h"
#include "Icons.h"
#include "KitColors.h"
#include "ModelSettings.h"
#include "QtText.h"
#include "Step.h"
#include "StepsCropPreview.h"
#include "StepsDiagramState.h"
#include "StepsDraft.h"
#include "StepsEditorText.h"
#include "StepsModelReconciliation.h"
#include "StepsOpenPageCard.h"
#include "StepsReadFields.h"
#include "StepsReadingResults.h"
#include "StepsStore.h"
#include "StepsStoreObservation.h"
#include "StepsTestControl.h"
#include "TavlenButton.h"
#include "TextStyles.h"

#include <QFrame>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace tavlen::ui {

namespace {

constexpr TavlenButtonStyle iconButton{TavlenButtonStyle::Variant::icon, TavlenButtonStyle::Size::compact};
constexpr double cornerRadius = 10;
// A press that moves less than this is a tap.
constexpr double dragDistance = 4;

QPainterPath cardShape(const QRectF& rect)
{
    QPainterPath shape;
    shape.addRoundedRect(rect, cornerRadius, cornerRadius);
    return shape;
}

} // namespace

StepsCardView::StepsCardView(Uuid monitorID,
                             std::shared_ptr<Step> step,
                             std::shared_ptr<StepsDraft> draft,
                             StepsStore& store,
                             StepsDiagramState& diagram,
                             ModelSettings* models,
                             std::optional<StepsValidationContext> validation,
                             QWidget* parent)
    : QWidget(parent)
    , m_monitorID(monitorID)
    , m_step(std::move(step))
    , m_draft(std::move(draft))
    , m_store(store)
    , m_diagram(diagram)
    , m_models(models)
    , m_validation(std::move(validation))
    , m_layout(new QVBoxLayout(this))
    , m_header(new QWidget(this))
    , m_headerLayout(new QHBoxLayout(m_header))
{
    setObjectName(QStringLiteral("steps-card-") + QString::fromUtf8(m_step->id().uppercaseString()));
    m_layout->setContentsMargins(14, 14, 14, 14);
    m_layout->setSpacing(12);
    buildHeader();
    m_layout->addWidget(m_header);
    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    QPalette faint = divider->palette();
    faint.setColor(QPalette::WindowText, withOpacity(primaryColor(palette()), 0.12));
    divider->setPalette(faint);
    m_layout->addWidget(divider);

    if (isRead()) {
        m_crop = new StepsCropPreview(this);
        m_layout->addWidget(m_crop, 0, Qt::AlignLeft);
        connect(m_crop, &StepsCropPreview::selectRequested, this, [this] {
            m_draft->toggleReadStepSelection(m_step->id());
        });
        connect(m_step.get(), &Step::regionChanged, this, &StepsCardView::refreshCrop);
        connect(m_draft.get(), &StepsDraft::stepsChanged, this, &StepsCardView::refreshCrop);
        if (const auto source = m_step->sourceID() ? m_draft->step(*m_step->sourceID()) : nullptr) {
            if (const auto* page = source->content().openPageSettings()) {
                connect(page, &StepsOpenPageSettings::screenshotChanged, this, &StepsCardView::refreshCrop);
            }
        }
        if (m_models) {
            connect(m_models, &ModelSettings::registryChanged, this, &StepsCardView::reconcileModel);
            connect(m_models, &ModelSettings::isLoadingChanged, this, &StepsCardView::reconcileModel);
            connect(m_models, &ModelSettings::errorChanged, this, &StepsCardView::reconcileModel);
        }
        m_fields =
            new StepsReadFields(*m_step->content().readSettings(), StepsFieldEnvironment{m_step, m_validation}, this);
        m_layout->addWidget(m_fields);
        m_results = new StepsReadingResults(true, this);
        m_layout->addWidget(m_results);
        connect(m_step.get(), &Step::executionChanged, this, &StepsCardView::refreshResults);
        connect(m_step.get(), &Step::executionDurationChanged, this, &StepsCardView::refreshResults);
        refreshCrop();
        refreshResults();
        reconcileModel();
    } else {
        m_openPageCard = new StepsOpenPageCard(
            m_monitorID,
            m_step,
            m_draft,
            m_store,
            m_models,
            [this] { testStep(); },
            [this](const Uuid& id) { appendedStep(id); },
            this);
        m_layout->addWidget(m_openPageCard);
    }

    connect(m_draft.get(), &StepsDraft::selectedIDChanged, this, &StepsCardView::refresh);
    connect(m_draft.get(), &StepsDraft::stepsChanged, this, &StepsCardView::refresh);
    // Any edit may change why the step cannot be tested.
    connect(m_draft.get(), &StepsDraft::revisionChanged, this, &StepsCardView::refresh);
    connect(&m_store.state(), &StepsStoreState::sessionsChanged, this, &StepsCardView::refresh);
    connect(&m_diagram, &StepsDiagramState::dragChanged, this, &StepsCardView::refresh);
    connect(&m_diagram, &StepsDiagramState::configurationStepIDChanged, this, &StepsCardView::refresh);
    observeStepsRunState(m_store, this, [this] { refresh(); });
    refresh();
}

StepsCardView::~StepsCardView() = default;

void StepsCardView::buildHeader()
{
    m_headerLayout->setContentsMargins(0, 0, 0, 0);
    m_headerLayout->setSpacing(8);
    m_testControl = new StepsTestControl(m_step, m_header);
    connect(m_testControl, &StepsTestControl::testRequested, this, &StepsCardView::testStep);
    m_headerLayout->addWidget(m_testControl);
    const QString kindTitle = isRead() ? text::readStepKind() : text::openPageStepKind();
    if (isRead()) {
        m_number = new QLabel(m_header);
        QPalette secondary = m_number->palette();
        secondary.setColor(QPalette::WindowText, secondaryColor(palette()));
        m_number->setPalette(secondary);
        m_headerLayout->addWidget(m_number);
    }
    auto* kind = new QWidget(m_header);
    auto* kindLayout = new QHBoxLayout(kind);
    kindLayout->setContentsMargins(0, 0, 0, 0);
    kindLayout->setSpacing(4);
    auto* symbol = new QLabel(kind);
    QFont semibold = font();
    semibold.setWeight(QFont::DemiBold);
    const int side = QFontMetrics(semibold).height();
    symbol->setPixmap(kitIcon(isRead() ? QStringLiteral("eye") : QStringLiteral("globe")).pixmap(QSize(side, side)));
    auto* title = new QLabel(kindTitle, kind);
    title->setFont(semibold);
    kindLayout->addWidget(symbol);
    kindLayout->addWidget(title);
    m_headerLayout->addWidget(kind);
    m_headerLayout->addStretch(1);
    m_headerLayout->addSpacing(4);

    m_configure = new TavlenButton(iconButton, m_header);
    m_configure->setSymbolName(QStringLiteral("gearshape"));
    setHelp(m_configure, text::configurePrefix() + kindTitle);
    setIdentifier(m_configure, itemIdentifier(text::configureIdentifierPrefix(), m_step->id()));
    connect(m_configure, &QAbstractButton::clicked, this, [this] {
        m_diagram.setConfigurationPresented(m_step->id(), !m_diagram.isConfigurationPresented(m_step->id()));
    });
    m_headerLayout->addWidget(m_configure);
    if (!isRead()) {
        return;
    }

    const struct
    {
        TavlenButton*& button;
        const char* symbol;
        QString help;
        const char* identifier;
    } buttons[] = {
        {m_moveUp, "chevron.up", text::moveStepUp(), "steps-move-up-"},
        {m_moveDown, "chevron.down", text::moveStepDown(), "steps-move-down-"},
        {m_delete, "trash", text::deleteStep(), "steps-delete-"},
    };

    for (const auto& item : buttons) {
        item.button = new TavlenButton(iconButton, m_header);
        item.button->setSymbolName(QString::fromUtf8(item.symbol));
        item.button->setToolTip(item.help);
        setIdentifier(item.button, itemIdentifier(QString::fromUtf8(item.identifier), m_step->id()));
        m_headerLayout->addWidget(item.button);
    }
    m_delete->setRole(ButtonRole::destructive);
    connect(m_moveUp, &QAbstractButton::clicked, this, [this] { m_draft->moveStep(m_step->id(), m_index - 1); });
    connect(m_moveDown, &QAbstractButton::clicked, this, [this] { m_draft->moveStep(m_step->id(), m_index + 2); });
    connect(m_delete, &QAbstractButton::clicked, this, [this] { m_draft->removeStep(m_step->id()); });
}

bool StepsCardView::isRead() const
{
    return m_step->content().kind() == StepKind::read;
}

bool StepsCardView::isRunningSteps() const
{
    return m_store.isRunningSteps(m_monitorID);
}

void StepsCardView::setIndex(int index)
{
    if (index != m_index) {
        m_index = index;
        refresh();
    }
}

QRect StepsCardView::headerGeometry() const
{
    return m_header->geometry();
}

int StepsCardView::heightForWidth(int width) const
{
    return m_layout->hasHeightForWidth() ? m_layout->totalHeightForWidth(width) : m_layout->totalSizeHint().height();
}

void StepsCardView::refresh()
{
    const bool dragged = m_diagram.drag().draggingID == m_step->id();
    if (dragged != (graphicsEffect() != nullptr)) {
        if (dragged) {
            auto* effect = new QGraphicsOpacityEffect(this);
            effect->setOpacity(0.7);
            setGraphicsEffect(effect);
        } else {
            setGraphicsEffect(nullptr);
        }
    }
    m_testControl->setExecuting(m_store.isBusy());
    const std::optional<std::string> blocker = m_store.executionBlocker(m_monitorID, m_step->id(), false);
    m_testControl->setUnavailableReason(blocker ? std::optional<QString>(toQString(*blocker)) : std::nullopt);
    m_configure->setCheckable(true);
    m_configure->setChecked(m_diagram.isConfigurationPresented(m_step->id()));
    m_configure->setAccessibleDescription(m_configure->isChecked() ? text::expandedValue() : text::collapsedValue());
    if (isRead()) {
        const QString number = QString::number(m_index);
        m_number->setText(number);
        const bool running = isRunningSteps();
        m_moveUp->setEnabled(!running && m_draft->reorderedSteps(m_step->id(), m_index - 1).has_value());
        m_moveDown->setEnabled(!running && m_draft->reorderedSteps(m_step->id(), m_index + 2).has_value());
        m_delete->setEnabled(!running);
        m_fields->setEnabled(!running);
        m_moveUp->setAccessibleName(text::moveStepPrefix() + number + text::upSuffix());
        m_moveDown->setAccessibleName(text::moveStepPrefix() + number + text::downSuffix());
        m_delete->setAccessibleName(text::deleteStep() + QStringLiteral(" ") + number);
        if (m_crop) {
            m_crop->setSelected(m_draft->selectedID() == m_step->id());
        }
    }
    update();
}

void StepsCardView::refreshCrop()
{
    const auto source = m_step->sourceID() ? m_draft->step(*m_step->sourceID()) : nullptr;
    const StepsOpenPageSettings* page = source ? source->content().openPageSettings() : nullptr;
    const bool shows = page && page->screenshot() && m_step->region();
    m_crop->setVisible(shows);
    if (shows) {
        m_crop->setSource(page->screenshot(), *m_step->region());
    }
}

void StepsCardView::refreshResults()
{
    m_results->setExecution(m_step->execution(), m_step->executionDuration());
}

void StepsCardView::reconcileModel()
{
    reconcileStepModel(*m_step, stepsConfiguredModels(m_models));
}

void StepsCardView::testStep()
{
    m_store.startExecution(m_monitorID, StepsExecutionMode::testStep(m_step->id()));
}

void StepsCardView::appendedStep(const Uuid& stepID)
{
    m_diagram.setScrollTarget(stepID);
}

void StepsCardView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = QRectF(rect());
    painter.fillPath(cardShape(bounds), palette().color(QPalette::Base));
    const bool selected = m_draft->selectedID() == m_step->id();
    const QColor border =
        selected ? withOpacity(accentColor(palette()), 0.65) : withOpacity(primaryColor(palette()), 0.12);
    painter.setPen(QPen(border, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(cardShape(bounds.adjusted(0.5, 0.5, -0.5, -0.5)));
}

void StepsCardView::mousePressEvent(QMouseEvent* event)
{
    if (!isRead() || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressAt = event->position();
    m_dragging = false;
}

void StepsCardView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_pressAt) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    if (!m_dragging && QLineF(*m_pressAt, event->position()).length() < dragDistance) {
        return;
    }
    m_dragging = true;
    if (isRunningSteps()) {
        return;
    }
    StepsDragState drag = m_diagram.drag();
    updateStepsDrag(drag, *m_draft, m_step->id(), mapToParent(event->position()), m_diagram.dragGeometry.headerFrames);
    m_diagram.setDrag(drag);
}

void StepsCardView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_pressAt || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_pressAt.reset();
    if (!m_dragging) {
        m_draft->toggleReadStepSelection(m_step->id());
        return;
    }
    m_dragging = false;
    StepsDragState drag = m_diagram.drag();
    // A drag that started while the steps ran set nothing, so it commits nothing either.
    if (drag.draggingID == m_step->id()) {
        commitStepsDrop(drag, *m_draft, m_step->id(), !isRunningSteps());
    }
    m_diagram.setDrag(drag);
}

} // namespace tavlen::ui

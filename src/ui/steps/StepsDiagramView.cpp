#include "StepsDiagramView.h"

#include "KitColors.h"
#include "Step.h"
#include "StepsCardView.h"
#include "StepsDiagramLayout.h"
#include "StepsDiagramState.h"
#include "StepsDraft.h"
#include "StepsFocusRegistry.h"
#include "StepsOpenPageCard.h"
#include "StepsSession.h"
#include "StepsValidationFocus.h"

#include <QCoroTimer>
#include <QEvent>
#include <QLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScrollBar>

#include <chrono>
#include <cmath>

namespace tavlen::ui {

// The padded column: lays the cards out and draws the drop slots and the connectors around them.
class StepsDiagramColumn final : public QWidget
{
public:
    explicit StepsDiagramColumn(StepsDiagramView& diagram)
        : m_diagram(diagram)
    {
        setObjectName(QStringLiteral("steps-diagram-column"));
    }

    std::vector<QRectF> slotRows;

protected:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::LayoutRequest) {
            m_diagram.layoutColumn();
        }
        return QWidget::event(event);
    }

    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const auto& drag = m_diagram.state().drag();
        for (std::size_t boundary = 0; boundary < slotRows.size(); ++boundary) {
            if (drag.dropBoundary == std::int64_t(boundary)) {
                painter.fillRect(stepsDropSlotFill(slotRows[boundary], true), accentColor(palette()));
            }
        }
        const auto& anchors = m_diagram.anchors();
        const auto& draft = *m_diagram.m_draft;
        for (const auto& step : draft.steps()) {
            if (!step->sourceID()) {
                continue;
            }
            const auto source = anchors.find(StepsAnchor::card(*step->sourceID()));
            const auto card = anchors.find(StepsAnchor::card(step->id()));
            const auto header = anchors.find(StepsAnchor::header(step->id()));
            if (source == anchors.end() || card == anchors.end() || header == anchors.end()) {
                continue;
            }
            const bool selected = draft.selectedID() == step->id();
            QPen pen(selected ? accentColor(palette()) : withOpacity(secondaryColor(palette()), 0.4),
                     selected ? 1.5 : 1);
            pen.setCapStyle(Qt::RoundCap);
            pen.setJoinStyle(Qt::RoundJoin);
            pen.setMiterLimit(10);
            painter.strokePath(stepsConnectorPath(source->second, card->second, header->second), pen);
        }
    }

private:
    StepsDiagramView& m_diagram;
};

StepsDiagramView::StepsDiagramView(Uuid monitorID,
                                   std::shared_ptr<StepsDraft> draft,
                                   StepsStore& store,
                                   std::shared_ptr<StepsSession> session,
                                   ModelSettings* models,
                                   QWidget* parent)
    : QScrollArea(parent)
    , m_monitorID(monitorID)
    , m_draft(std::move(draft))
    , m_store(store)
    , m_session(std::move(session))
    , m_models(models)
    , m_state(new StepsDiagramState(this))
    , m_focus(new StepsFocusRegistry(this))
    , m_column(new StepsDiagramColumn(*this))
    , m_scrollAnimation(new QPropertyAnimation(verticalScrollBar(), "value", this))
    , m_focusTask(this, [this](Uuid, std::stop_token stop) { return focusFirstIssue(std::move(stop)); })
{
    setObjectName(QStringLiteral("steps-diagram"));
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidget(m_column);
    m_scrollAnimation->setDuration(250);
    m_scrollAnimation->setEasingCurve(QEasingCurve::InOutQuad);

    connect(m_draft.get(), &StepsDraft::stepsChanged, this, &StepsDiagramView::syncCards);
    connect(m_draft.get(), &StepsDraft::selectedIDChanged, m_column, qOverload<>(&QWidget::update));
    connect(m_state, &StepsDiagramState::dragChanged, m_column, qOverload<>(&QWidget::update));
    connect(m_state, &StepsDiagramState::scrollTargetChanged, this, &StepsDiagramView::scrollToRequestedCard);
    // The inputs' own focus follows the diagram's, and the other way round.
    connect(m_state, &StepsDiagramState::focusedFieldChanged, m_focus, [this] {
        m_focus->setFocusedField(m_state->focusedField());
    });
    connect(m_focus, &StepsFocusRegistry::focusedFieldChanged, m_state, [this] {
        m_state->setFocusedField(m_focus->focusedField());
    });
    connect(m_focus, &StepsFocusRegistry::focusedFieldChanged, this, [this] {
        const auto& field = m_focus->focusedField();
        if (!field) {
            return;
        }
        if (QWidget* control = m_focus->control(*field)) {
            ensureWidgetVisible(control, 0, viewport()->height() / 2);
        }
    });
    connect(m_state, &StepsDiagramState::focusedFieldChanged, this, [this] {
        const auto& field = m_state->focusedField();
        if (!field || field->kind.kindCase() != StepsField::Kind::Case::url) {
            return;
        }
        if (StepsCardView* owner = card(field->stepID); owner && owner->openPageCard()) {
            QLineEdit* url = owner->openPageCard()->urlField();
            url->setFocus(Qt::OtherFocusReason);
            ensureWidgetVisible(url, 0, viewport()->height() / 2);
        }
    });
    connect(m_session.get(), &StepsSession::submissionChanged, this, [this] {
        m_focusTask.setKey(m_session->submission());
    });
    syncCards();
    m_focusTask.setKey(m_session->submission());
}

StepsDiagramView::~StepsDiagramView()
{
    // The cards and inputs go after this body: a focused input losing its focus then must not reach the
    // half-destroyed diagram or its cards through the shared state.
    disconnect(m_focus, nullptr, nullptr, nullptr);
    disconnect(m_state, nullptr, nullptr, nullptr);
}

StepsCardView* StepsDiagramView::card(const Uuid& stepID) const
{
    const auto found = m_cards.find(stepID);
    return found == m_cards.end() ? nullptr : found->second;
}

void StepsDiagramView::resizeEvent(QResizeEvent* event)
{
    QScrollArea::resizeEvent(event);
    layoutColumn();
}

QWidget* StepsDiagramView::column() const
{
    return m_column;
}

void StepsDiagramView::syncCards()
{
    std::map<Uuid, StepsCardView*> kept;
    const auto& steps = m_draft->steps();
    for (std::size_t index = 0; index < steps.size(); ++index) {
        const auto& step = steps[index];
        StepsCardView* view = card(step->id());
        if (!view) {
            view = new StepsCardView(m_monitorID,
                                     step,
                                     m_draft,
                                     m_store,
                                     *m_state,
                                     m_models,
                                     StepsValidationContext{m_session,
                                                            m_focus,
                                                            [state = QPointer<StepsDiagramState>(m_state)] {
                                                                if (state) {
                                                                    state->configurationDidClose();
                                                                }
                                                            }},
                                     m_column);
            view->show();
        }
        m_cards.erase(step->id());
        view->setIndex(int(index));
        kept[step->id()] = view;
    }
    for (const auto& [id, view] : m_cards) {
        if (m_state->configurationStepID() == id) {
            m_state->setConfigurationStepID(std::nullopt);
        }
        view->deleteLater();
        view->hide();
    }
    m_cards = std::move(kept);
    layoutColumn();
}

void StepsDiagramView::layoutColumn()
{
    const int available = viewport()->width();
    const double width = stepsColumnWidth(available);
    double y = 0;
    m_column->slotRows.clear();
    m_anchors.clear();
    for (const auto& step : m_draft->steps()) {
        StepsCardView* view = card(step->id());
        m_column->slotRows.emplace_back(stepsDiagram::leadingPadding, y, width, stepsDiagram::slotRowHeight);
        y += stepsDiagram::slotRowHeight;
        if (!view) {
            continue;
        }
        const int height = view->heightForWidth(int(width));
        view->setGeometry(int(stepsDiagram::leadingPadding), int(y), int(width), height);
        // Lay the card out now, also while it is hidden, so its header frame is known at once.
        view->layout()->setGeometry(view->rect());
        m_anchors[StepsAnchor::card(step->id())] = QRectF(view->geometry());
        m_anchors[StepsAnchor::header(step->id())] = QRectF(view->headerGeometry().translated(view->pos()));
        y += height;
    }
    m_column->slotRows.emplace_back(stepsDiagram::leadingPadding, y, width, stepsDiagram::slotRowHeight);
    y += stepsDiagram::slotRowHeight + stepsDiagram::bottomPadding;
    m_column->resize(available, int(std::ceil(y)));
    m_state->dragGeometry.headerFrames = stepsHeaderFrames(m_anchors);
    m_column->update();
}

void StepsDiagramView::scrollToRequestedCard()
{
    const std::optional<Uuid> target = m_state->scrollTarget();
    if (!target) {
        return;
    }
    // Let the new card be laid out first, so its place is known.
    layoutColumn();
    scrollToCard(*target, true);
    m_state->setScrollTarget(std::nullopt);
}

void StepsDiagramView::scrollToCard(const Uuid& stepID, bool animated)
{
    StepsCardView* view = card(stepID);
    if (!view) {
        return;
    }
    m_scrollAnimation->stop();
    const int top = std::min(view->y(), verticalScrollBar()->maximum());
    if (!animated) {
        verticalScrollBar()->setValue(top);
        return;
    }
    m_scrollAnimation->setStartValue(verticalScrollBar()->value());
    m_scrollAnimation->setEndValue(top);
    m_scrollAnimation->start();
}

QCoro::Task<void> StepsDiagramView::focusFirstIssue(std::stop_token stop)
{
    const std::optional<StepsValidationFocus> focus =
        stepsValidationFocus(m_session->showsValidation(), m_draft->validationIssues(), m_state->configurationStepID());
    if (!focus) {
        co_return;
    }
    m_state->setFocusedField(std::nullopt);
    scrollToCard(focus->field.stepID, false);
    co_await QCoro::sleepFor(std::chrono::milliseconds(0));
    if (stop.stop_requested()) {
        co_return;
    }
    switch (focus->action) {
    case StepsValidationFocus::Action::openConfiguration:
        m_state->setFocusAfterConfiguration(std::nullopt);
        m_state->setConfigurationStepID(focus->field.stepID);
        break;
    case StepsValidationFocus::Action::focusField:
        m_state->setFocusedField(focus->field);
        break;
    case StepsValidationFocus::Action::closeConfigurationThenFocus:
        m_state->setFocusAfterConfiguration(focus->field);
        m_state->setConfigurationStepID(std::nullopt);
        break;
    }
}

} // namespace tavlen::ui
